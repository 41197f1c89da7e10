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
  if (writingStarted) {
    mirror_->invalidateCompletedSync(u"Patch result unknown after save — reloading"_s);
  }
  resetParkState();

  // The data of this session's sync is the saved show's: it moves to the new identity.
  const bool followed = mirror_->handleShowSaved(path, writingStarted);
  if (writingStarted) return requestFullSync(u"Verifying saved show after partial patch"_s);
  if (!followed) return;
  resetLiveControls();
  fixtureControl_->bindStore(session_.id, path);
  mirror_->moveChannelReads(path);
  mirror_->reportSyncedAgain();
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
  const QString status = u"Show loaded — reloading"_s;
  mirror_->handleShowLoaded(path, status);
  if (!oscManager_->isConnected()) return;
  // The reconnect's initial sync reads the new show.
  supervisor_->dropForReconnect(status);
}

void AppViewModel::handleChangeNotification(bool isPatch) {
  if (!patchWrite_->isPending()) {
    if (isPatch) mirror_->invalidateCompletedSync(u"Patch changed — reloading"_s);
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
    mirror_->invalidateCompletedSync(u"Patch changed — reloading"_s);
    mirror_->scheduleRefresh();
    return;
  }
  if (mirror_->isSyncing()) {
    mirror_->markPatchChangedDuringRead();
    patchWrite_->noteChangeDuringRead();
  }
}

}  // namespace tarnik
