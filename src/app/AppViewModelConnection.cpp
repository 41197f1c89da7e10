#include "app/AppViewModel.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tarnik {

void AppViewModel::resetSessionState(const QString &status) {
  clearPendingPatchWrite(u"Patch confirmation canceled — "_s + status);
  resetParkState();
  resetLiveControls();

  publish(eosSoftwareVersion_, std::nullopt, &AppViewModel::eosSoftwareVersionChanged);
  publish(eosFixtureLibraryVersion_, std::nullopt, &AppViewModel::eosFixtureLibraryVersionChanged);
  syncTimeoutWorkItem_.cancel();
  notificationRefreshWorkItem_.cancel();
  // The flash is forgotten without a release: whoever ends a session on purpose has
  // released it first.
  cancelIdentifyTimers();
  patchWrite_->resetChannelReads();
  directCueFragments_.clear();
  refreshNeededAfterSync_ = false;
  session_.liveShowName.reset();
  session_.liveShowIdentity.reset();
  session_.completedSyncSessionID.reset();
  session_.showIsCleared = false;

  commandLine_->resetSession();
  // The running sync goes before the session identity moves on.
  syncGeneration_.reset();

  // Late replies, timers and callbacks of the old session find a different identity now.
  session_.id = QUuid::createUuid();

  publish(isLoadingCues_, false, &AppViewModel::isLoadingCuesChanged);
  publish(isLoadingPatch_, false, &AppViewModel::isLoadingPatchChanged);
  supervisor_->markUnreachable();
  publish(syncProgressDescription_, u"Not syncing"_s,
          &AppViewModel::syncProgressDescriptionChanged);
  publish(dataStatusMessage_, status, &AppViewModel::dataStatusMessageChanged);
}

void AppViewModel::disconnect() {
  resetConnectionTest();
  connectionForm_->forgetLastConnected();
  releaseOwnedFlash(u"Disconnect"_s);
  supervisor_->disconnect();
}

void AppViewModel::beginSession() { session_.id = QUuid::createUuid(); }

void AppViewModel::reportStatus(const QString &text) {
  publish(dataStatusMessage_, text, &AppViewModel::dataStatusMessageChanged);
}

void AppViewModel::startInitialSync() { requestFullSync(u"Initial sync"_s); }

bool AppViewModel::releaseOwnedFlash(const QString &action) {
  if (!ownedFlash_) return true;
  const qint64 channel = ownedFlash_->channelNumber;
  identifyWorkItems_.erase(channel);

  bool releaseNeeded = false;
  if (ownedFlash_->sessionID == session_.id && oscManager_->isConnected()) {
    // Only a flash the console still shows for this very channel is ours to end: the word
    // boundaries keep channel 12 from matching "Chan 1" or "Chan 123".
    const QString line = rawConsoleCommandLine().toLower();
    const QRegularExpression namesChannel(u"\\bchan(?:nel)?\\s*"_s + QString::number(channel) +
                                          u"\\b"_s);
    releaseNeeded = line.startsWith(u"live:"_s) && line.contains(u"flash"_s) &&
                    namesChannel.match(line).hasMatch();
  }
  if (!releaseNeeded) {
    ownedFlash_.reset();
    return true;
  }

  const QString summary = u"End identify channel "_s + QString::number(channel);
  if (!oscManager_->send({u"/eos/key/flash"_s, {}})) {
    reportCommandRejected(summary, u"could not release Flash before "_s + action.toLower());
    return false;
  }
  ownedFlash_.reset();
  commandSent(summary);
  return true;
}

void AppViewModel::reportCommandRejected(const QString &summary, const QString &reason) {
  publish(dataStatusMessage_, u"Command rejected — "_s + reason,
          &AppViewModel::dataStatusMessageChanged);
  recordCommandHistory(summary + u" — "_s + reason, u"Rejected"_s);
}

}  // namespace tarnik
