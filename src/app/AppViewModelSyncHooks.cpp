#include "app/AppViewModel.h"

using namespace Qt::StringLiterals;

// Steps that the show sync and the show identity call into but that belong to other flows.
// Each body here is the least the step must do while its flow is not built yet; the flow
// that owns a step replaces its body with its own file.

namespace tarnik {

namespace {

constexpr double notificationRefreshDelay = 0.75;

}  // namespace

void AppViewModel::prepareLiveControls() {
  // Live controls come with the fixture-control flow.
}

void AppViewModel::scheduleNotificationRefresh() {
  if (!oscManager_->isConnected()) return;
  if (syncGeneration_) {
    refreshNeededAfterSync_ = true;
    return;
  }
  notificationRefreshWorkItem_ =
      timing_->schedule(notificationRefreshDelay, [this, session = sessionID_] {
        notificationRefreshWorkItem_.cancel();
        if (session == sessionID_) requestFullSync(u"Console data changed"_s);
      });
}

void AppViewModel::handleShowCleared() {
  resetParkState();
  clearPendingPatchWrite(u"The console show was cleared during patching."_s);
  resetLiveControls();
  syncTimeoutWorkItem_.cancel();
  notificationRefreshWorkItem_.cancel();
  syncGeneration_.reset();
  completedSyncSessionID_.reset();
  directPatchReadTimeouts_.clear();
  pendingDirectPatchReads_.clear();
  directPatchFragments_.clear();
  directCueFragments_.clear();
  latestPatchReadIntents_.clear();
  channelMutationSequence_.clear();
  queuedFullRefreshReason_.reset();
  refreshNeededAfterSync_ = false;
  cancelIdentifyTimers();
  showIsCleared_ = true;
  knownLiveShowName_.reset();
  knownLiveShowIdentity_.reset();
  publishedShowIdentity_.reset();
  announce();
  assign(isLoadingCues_, false, &AppViewModel::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &AppViewModel::isLoadingPatchChanged);
  assign(showFileName_, QString(), &AppViewModel::showFileNameChanged);
  assign(cues_, QList<Cue>(), &AppViewModel::cuesChanged);
  assign(channels_, QList<Channel>(), &AppViewModel::channelsChanged);
  assign(activeCue_, QString(), &AppViewModel::activeCueChanged);
  assign(activeCueNumber_, QString(), &AppViewModel::activeCueNumberChanged);
  assign(activeCueLabel_, QString(), &AppViewModel::activeCueLabelChanged);
  assign(pendingCueNumber_, QString(), &AppViewModel::pendingCueNumberChanged);
  assign(pendingCueLabel_, QString(), &AppViewModel::pendingCueLabelChanged);
  assign(activeCueProgress_, std::nullopt, &AppViewModel::activeCueProgressChanged);
  assign(lastDataRefresh_, std::nullopt, &AppViewModel::lastDataRefreshChanged);
  assign(dataStatusMessage_, u"No show loaded"_s, &AppViewModel::dataStatusMessageChanged);
  assign(syncProgressDescription_, u"No show loaded"_s,
         &AppViewModel::syncProgressDescriptionChanged);
}

}  // namespace tarnik
