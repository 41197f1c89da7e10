#include "app/AppViewModel.h"
#include "model/ShowIdentity.h"

using namespace Qt::StringLiterals;

// The console's word that the show behind the mirrored data changed: cleared, saved or
// loaded, and the change notifications of edits inside the same show. Cues and channels
// of one show are never kept or confirmed under another show's identity.

namespace tarnik {

void AppViewModel::handleShowPath(const QString &reportedPath) {
  const QString path = showIdentity(reportedPath);
  if (path.isEmpty()) return handleShowCleared();
  if (session_.liveShowIdentity && !isSameShow(*session_.liveShowIdentity, path)) {
    // Another show is loaded: what was started for the old one ends first; the old show's
    // flash belongs to a show that is gone, so nothing is sent for it.
    resetLiveControls();
    flash_->forget();
  }
  mirror_->handleShowPath(path);
}

void AppViewModel::handleShowCleared() {
  resetParkState();
  clearPendingPatchWrite(u"The console show was cleared during patching."_s);
  resetLiveControls();
  patchWrite_->resetChannelReads();
  flash_->forget();
  mirror_->clearShow();
  commandLine_->clearCues();
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
  mirror_->adoptSavedShowPath(path);
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
  mirror_->reportStatus(u"Synced"_s);
  saveShowSnapshot();
  if (startNetworkingOnInit_) prepareLiveControls();
}

void AppViewModel::handleShowLoaded(const QString &reportedPath) {
  clearPendingPatchWrite(
      u"The show changed during patching. Sync to inspect any partial changes."_s);
  resetLiveControls();
  const QString path = showIdentity(reportedPath);
  if (path.isEmpty()) return handleShowCleared();

  flash_->forget();
  session_.completedSyncSessionID.reset();
  session_.publishedShowIdentity.reset();
  const QString status = u"Show loaded — reloading"_s;
  mirror_->clearLists(status);
  if (!oscManager_->isConnected()) {
    session_.liveShowIdentity = path;
    return;
  }
  // The reconnect's initial sync reads the new show.
  supervisor_->dropForReconnect(status);
}

void AppViewModel::invalidateCompletedSync(const QString &status) {
  // The lists stay visible; without a completed sync they no longer count as current.
  mirror_->markPatchChangedDuringRead();
  session_.completedSyncSessionID.reset();
  resetParkState();
  resetLiveControls();
  mirror_->reportStatus(status);
}

void AppViewModel::handleChangeNotification(bool isPatch) {
  if (!patchWrite_->isPending()) {
    if (isPatch) invalidateCompletedSync(u"Patch changed — reloading"_s);
    mirror_->scheduleRefresh();
    return;
  }
  if (!isPatch) {
    mirror_->refreshAfterSync();
    return;
  }
  if (patchWrite_->isSending()) {
    // Once writing has started, the notification is the console's notice of our own write.
    if (patchWrite_->hasStartedWriting()) return;
    clearPendingPatchWrite(
        u"The console patch changed after preflight. Review it before trying again."_s);
    invalidateCompletedSync(u"Patch changed — reloading"_s);
    mirror_->scheduleRefresh();
    return;
  }
  if (mirror_->isSyncing()) {
    mirror_->markPatchChangedDuringRead();
    patchWrite_->noteChangeDuringRead();
  }
}

}  // namespace tarnik
