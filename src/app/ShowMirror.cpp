#include "app/ShowMirror.h"

#include "foundation/TextRules.h"
#include "model/ShowIdentity.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// A burst of edits leads to one refresh this many seconds after its last notification.
constexpr double notificationRefreshDelay = 0.75;

}  // namespace

ShowMirror::ShowMirror(OSCManager &connection, std::shared_ptr<AppTiming> timing,
                       ConsoleSession &session,
                       const std::optional<QString> &reconnectFailureStatus, double syncTimeout,
                       double channelReadTimeLimit, QObject *parent)
    : ObservableObject(parent),
      connection_(connection),
      timing_(std::move(timing)),
      session_(session),
      reconnectFailureStatus_(reconnectFailureStatus),
      syncTimeout_(syncTimeout),
      channelReadTimeLimit_(channelReadTimeLimit) {}

ShowMirror::~ShowMirror() = default;

QString ShowMirror::showDisplayName(const QString &path) {
  // By hand rather than through a file-system type: the path is the console's, not ours.
  QStringView name = path;
  while (name.endsWith(u'/')) name.chop(1);
  name = name.sliced(name.lastIndexOf(u'/') + 1);
  // A name whose only dot leads it (".esf") has no extension to remove.
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot > 0) name.truncate(dot);
  return name.isEmpty() ? path : name.toString();
}

void ShowMirror::handleShowPath(const QString &path) {
  session_.showIsCleared = false;

  if (session_.liveShowIdentity && !isSameShow(*session_.liveShowIdentity, path)) {
    // Another show is loaded: nothing of the old one may stay on screen under its name.
    const std::optional<QString> previousIdentity = session_.liveShowIdentity;
    session_.liveShowIdentity = path;
    session_.publishedShowIdentity.reset();
    session_.completedSyncSessionID.reset();
    clearLists(u"Show changed — reloading"_s);
    if (syncGeneration_) return failSync(syncGeneration_->id, u"Show changed during sync"_s);
    if (connection_.isConnected()) {
      // A throw-away sync, failed at once: the reconnect that follows reads the new show.
      syncGeneration_ = std::make_unique<SyncGeneration>(session_.id, previousIdentity);
      return failSync(syncGeneration_->id, u"Show changed"_s);
    }
    return;
  }

  session_.liveShowIdentity = path;
  if (!session_.liveShowName) {
    session_.liveShowName = showDisplayName(path);
    publish(showFileName_, *session_.liveShowName, &ShowMirror::showFileNameChanged);
  }

  if (SyncGeneration *generation = currentSyncGeneration()) {
    if (generation->showName && !isSameShow(*generation->showName, path)) {
      return failSync(generation->id, u"Show identity changed during sync"_s);
    }
    generation->showName = path;
    completeSync(*generation);
  }

  if (session_.publishedShowIdentity && !isSameShow(*session_.publishedShowIdentity, path) &&
      (!cues_.isEmpty() || !channels_.isEmpty())) {
    session_.publishedShowIdentity.reset();
    clearLists(u"Show changed — awaiting sync"_s);
  }
}

void ShowMirror::handleShowName(const QString &name) {
  const QString trimmed = trimmedText(name);
  if (trimmed.isEmpty()) return;
  session_.liveShowName = trimmed;
  publish(showFileName_, trimmed, &ShowMirror::showFileNameChanged);
}

bool ShowMirror::handleShowSaved(const QString &path, bool rereads) {
  const std::optional<QString> previousIdentity = session_.liveShowIdentity;
  session_.showIsCleared = false;
  session_.liveShowIdentity = path;
  if (SyncGeneration *generation = currentSyncGeneration()) {
    generation->showName = path;
    completeSync(*generation);
  }
  if (rereads) return false;
  // The data of this session's sync is the saved show's: it moves to the new identity.
  if (session_.completedSyncSessionID != session_.id || !session_.publishedShowIdentity ||
      (!isSameShow(session_.publishedShowIdentity, previousIdentity) &&
       !isSameShow(*session_.publishedShowIdentity, path))) {
    return false;
  }
  session_.publishedShowIdentity = path;
  return true;
}

void ShowMirror::handleShowLoaded(const QString &path, const QString &status) {
  session_.completedSyncSessionID.reset();
  session_.publishedShowIdentity.reset();
  clearLists(status);
  if (!connection_.isConnected()) session_.liveShowIdentity = path;
}

void ShowMirror::invalidateCompletedSync(const QString &status) {
  markPatchChangedDuringRead();
  session_.completedSyncSessionID.reset();
  emit completedSyncInvalidated();
  reportStatus(status);
}

void ShowMirror::handleVersions(const QString &software, const QString &fixtureLibrary) {
  announce();
  assign(eosSoftwareVersion_, software, &ShowMirror::eosSoftwareVersionChanged);
  assign(eosFixtureLibraryVersion_, fixtureLibrary, &ShowMirror::eosFixtureLibraryVersionChanged);
}

void ShowMirror::clearShow() {
  resetChannelReads();
  cancelSyncWorkItems();
  notificationRefreshWorkItem_.cancel();
  syncGeneration_.reset();
  directCueFragments_.clear();
  refreshNeededAfterSync_ = false;
  session_.completedSyncSessionID.reset();
  session_.showIsCleared = true;
  session_.liveShowName.reset();
  session_.liveShowIdentity.reset();
  session_.publishedShowIdentity.reset();
  announce();
  assign(isLoadingCues_, false, &ShowMirror::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &ShowMirror::isLoadingPatchChanged);
  assign(showFileName_, QString(), &ShowMirror::showFileNameChanged);
  assign(cues_, QList<Cue>(), &ShowMirror::cuesChanged);
  assign(channels_, QList<Channel>(), &ShowMirror::channelsChanged);
  assign(lastDataRefresh_, std::nullopt, &ShowMirror::lastDataRefreshChanged);
  assign(dataStatusMessage_, u"No show loaded"_s, &ShowMirror::dataStatusMessageChanged);
  assign(syncProgressDescription_, u"No show loaded"_s,
         &ShowMirror::syncProgressDescriptionChanged);
}

void ShowMirror::clearLists(const QString &status) {
  announce();
  assign(cues_, QList<Cue>(), &ShowMirror::cuesChanged);
  assign(channels_, QList<Channel>(), &ShowMirror::channelsChanged);
  assign(dataStatusMessage_, status, &ShowMirror::dataStatusMessageChanged);
}

void ShowMirror::markPatchChangedDuringRead() {
  if (syncGeneration_) syncGeneration_->externalPatchChangedDuringRead = true;
}

void ShowMirror::resetSession() {
  resetChannelReads();
  publish(eosSoftwareVersion_, std::nullopt, &ShowMirror::eosSoftwareVersionChanged);
  publish(eosFixtureLibraryVersion_, std::nullopt, &ShowMirror::eosFixtureLibraryVersionChanged);
  cancelSyncWorkItems();
  notificationRefreshWorkItem_.cancel();
  directCueFragments_.clear();
  refreshNeededAfterSync_ = false;
  syncGeneration_.reset();
  session_.liveShowName.reset();
  session_.liveShowIdentity.reset();
  session_.completedSyncSessionID.reset();
  session_.showIsCleared = false;
}

void ShowMirror::showSessionEnded(const QString &status) {
  publish(isLoadingCues_, false, &ShowMirror::isLoadingCuesChanged);
  publish(isLoadingPatch_, false, &ShowMirror::isLoadingPatchChanged);
  publish(syncProgressDescription_, u"Not syncing"_s, &ShowMirror::syncProgressDescriptionChanged);
  publish(dataStatusMessage_, status, &ShowMirror::dataStatusMessageChanged);
}

void ShowMirror::scheduleRefresh(const QString &reason) {
  if (!connection_.isConnected()) return;
  if (syncGeneration_) {
    refreshNeededAfterSync_ = true;
    return;
  }
  // Replacing the handle cancels the earlier item, so the delay starts again.
  notificationRefreshWorkItem_ = timing_->schedule(
      notificationRefreshDelay,
      [this, session = session_.id, reason] { handleConsoleDataChanged(session, reason); });
}

void ShowMirror::cancelRefresh() {
  notificationRefreshWorkItem_.cancel();
  refreshNeededAfterSync_ = false;
}

void ShowMirror::handleConsoleDataChanged(const QUuid &session, const QString &reason) {
  // The item dies with the mirror, so only a stale session or a lost link can meet it here.
  if (session != session_.id || !connection_.isConnected()) return;
  requestFullSync(reason);
}

void ShowMirror::updateChannelLevel(qint64 channel, qint64 level) {
  const auto entry = std::ranges::find(std::as_const(channels_), channel, &Channel::number);
  if (entry == channels_.cend()) return;
  QList<Channel> channels = channels_;
  Channel &updated = channels[entry - channels_.cbegin()];
  updated.level = level;
  updated.levelSnapshotAt = timing_->date();
  publish(channels_, std::move(channels), &ShowMirror::channelsChanged);
}

bool ShowMirror::isShowDataCurrent() const {
  return !session_.showIsCleared && !syncGeneration_ &&
         session_.completedSyncSessionID == session_.id && session_.liveShowIdentity &&
         !session_.liveShowIdentity->isEmpty() &&
         isSameShow(session_.liveShowIdentity, session_.publishedShowIdentity);
}

void ShowMirror::reportStatus(const QString &text) {
  publish(dataStatusMessage_, text, &ShowMirror::dataStatusMessageChanged);
}

}  // namespace tarnik
