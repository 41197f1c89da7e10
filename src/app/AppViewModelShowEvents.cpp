#include "app/AppViewModel.h"
#include "model/ShowIdentity.h"

using namespace Qt::StringLiterals;

// The console's word that the show behind the mirrored data changed: cleared, saved or
// loaded, and the change notifications of edits inside the same show. Cues and channels
// of one show are never kept or confirmed under another show's identity.

namespace tarnik {

namespace {

// A burst of edits leads to one refresh this many seconds after its last notification.
constexpr double notificationRefreshDelay = 0.75;

}  // namespace

void AppViewModel::handleShowCleared() {
  resetParkState();
  clearPendingPatchWrite(u"The console show was cleared during patching."_s);
  resetLiveControls();
  syncTimeoutWorkItem_.cancel();
  notificationRefreshWorkItem_.cancel();
  syncGeneration_.reset();
  session_.completedSyncSessionID.reset();
  patchWrite_->resetChannelReads();
  directCueFragments_.clear();
  refreshNeededAfterSync_ = false;
  cancelIdentifyTimers();
  session_.showIsCleared = true;
  session_.liveShowName.reset();
  session_.liveShowIdentity.reset();
  session_.publishedShowIdentity.reset();
  announce();
  assign(isLoadingCues_, false, &AppViewModel::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &AppViewModel::isLoadingPatchChanged);
  assign(showFileName_, QString(), &AppViewModel::showFileNameChanged);
  assign(cues_, QList<Cue>(), &AppViewModel::cuesChanged);
  assign(channels_, QList<Channel>(), &AppViewModel::channelsChanged);
  commandLine_->clearCues();
  assign(lastDataRefresh_, std::nullopt, &AppViewModel::lastDataRefreshChanged);
  assign(dataStatusMessage_, u"No show loaded"_s, &AppViewModel::dataStatusMessageChanged);
  assign(syncProgressDescription_, u"No show loaded"_s,
         &AppViewModel::syncProgressDescriptionChanged);
}

void AppViewModel::handleShowSaved(const QString &reportedPath) {
  const QString path = showIdentity(reportedPath);
  if (path.isEmpty()) return;
  const bool writingStarted = patchWrite_->hasStartedWriting();
  // Even a save under the same path ends the write: what was saved is not what was reviewed.
  if (patchWrite_->isPending()) {
    clearPendingPatchWrite(
        u"The show was saved under a different identity during patching. Review and try again."_s);
  }
  if (writingStarted) invalidateCompletedSync(u"Patch result unknown after save — reloading"_s);
  resetParkState();

  const std::optional<QString> previousIdentity = session_.liveShowIdentity;
  session_.showIsCleared = false;
  session_.liveShowIdentity = path;
  if (SyncGeneration *generation = currentSyncGeneration()) {
    generation->showName = path;
    completeSync(*generation);
  }
  if (writingStarted) return requestFullSync(u"Verifying saved show after partial patch"_s);

  // The data of this session's sync is the saved show's: it moves to the new identity.
  if (session_.completedSyncSessionID != session_.id || !session_.publishedShowIdentity ||
      (!isSameShow(session_.publishedShowIdentity, previousIdentity) &&
       !isSameShow(*session_.publishedShowIdentity, path))) {
    return;
  }
  session_.publishedShowIdentity = path;
  resetLiveControls();
  fixtureControl_->bindStore(session_.id, path);
  patchWrite_->followSavedShow(path);
  publish(dataStatusMessage_, u"Synced"_s, &AppViewModel::dataStatusMessageChanged);
  saveShowSnapshot();
  if (startNetworkingOnInit_) prepareLiveControls();
}

void AppViewModel::handleShowLoaded(const QString &reportedPath) {
  clearPendingPatchWrite(
      u"The show changed during patching. Sync to inspect any partial changes."_s);
  resetLiveControls();
  const QString path = showIdentity(reportedPath);
  if (path.isEmpty()) return handleShowCleared();

  cancelIdentifyTimers();
  session_.completedSyncSessionID.reset();
  session_.publishedShowIdentity.reset();
  const QString status = u"Show loaded — reloading"_s;
  announce();
  assign(cues_, QList<Cue>(), &AppViewModel::cuesChanged);
  assign(channels_, QList<Channel>(), &AppViewModel::channelsChanged);
  assign(dataStatusMessage_, status, &AppViewModel::dataStatusMessageChanged);
  if (!oscManager_->isConnected()) {
    session_.liveShowIdentity = path;
    return;
  }
  // The reconnect's initial sync reads the new show.
  supervisor_->dropForReconnect(status);
}

void AppViewModel::invalidateCompletedSync(const QString &status) {
  // The lists stay visible; without a completed sync they no longer count as current.
  if (syncGeneration_) syncGeneration_->externalPatchChangedDuringRead = true;
  session_.completedSyncSessionID.reset();
  resetParkState();
  resetLiveControls();
  publish(dataStatusMessage_, status, &AppViewModel::dataStatusMessageChanged);
}

void AppViewModel::handleChangeNotification(bool isPatch) {
  if (!patchWrite_->isPending()) {
    if (isPatch) invalidateCompletedSync(u"Patch changed — reloading"_s);
    if (syncGeneration_) {
      refreshNeededAfterSync_ = true;
    } else {
      scheduleNotificationRefresh();
    }
    return;
  }
  if (!isPatch) {
    refreshNeededAfterSync_ = true;
    return;
  }
  if (patchWrite_->isSending()) {
    // Once writing has started, the notification is the console's notice of our own write.
    if (patchWrite_->hasStartedWriting()) return;
    clearPendingPatchWrite(
        u"The console patch changed after preflight. Review it before trying again."_s);
    invalidateCompletedSync(u"Patch changed — reloading"_s);
    scheduleNotificationRefresh();
    return;
  }
  if (syncGeneration_) {
    syncGeneration_->externalPatchChangedDuringRead = true;
    patchWrite_->noteChangeDuringRead();
  }
}

void AppViewModel::scheduleNotificationRefresh(const QString &reason) {
  if (!oscManager_->isConnected()) return;
  if (syncGeneration_) {
    refreshNeededAfterSync_ = true;
    return;
  }
  // Replacing the handle cancels the earlier item, so the delay starts again.
  notificationRefreshWorkItem_ = timing_->schedule(
      notificationRefreshDelay,
      [this, session = session_.id, reason] { handleConsoleDataChanged(session, reason); });
}

void AppViewModel::handleConsoleDataChanged(const QUuid &session, const QString &reason) {
  // The item dies with the model, so only a stale session or a lost link can meet it here.
  if (session != session_.id || !oscManager_->isConnected()) return;
  requestFullSync(reason);
}

}  // namespace tarnik
