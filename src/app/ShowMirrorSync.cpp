#include "app/ShowMirror.h"
#include "operations/EosOSCAddress.h"

#include <numeric>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// Progress is published at most this often (monotonic seconds).
constexpr double progressInterval = 0.1;
// How often a running sync looks for index requests that went unanswered (seconds).
constexpr double indexReplyCheckInterval = 1.0;

}  // namespace

void ShowMirror::requestFullSync(const QString &reason) {
  // Refusals in the order the user should read them; each leaves everything else as it is.
  const auto refuse = [this](const QString &text) {
    publish(dataStatusMessage_, text, &ShowMirror::dataStatusMessageChanged);
  };
  if (patchCommandHold_) return refuse(u"Patch commands are in progress"_s);
  if (!connection_.isConnected()) return refuse(u"Offline — cached data retained"_s);
  if (session_.showIsCleared) return refuse(u"No show loaded"_s);
  if (syncGeneration_) return refuse(u"Sync already in progress"_s);
  // Started again with this reason once the last single-channel read has ended.
  if (!pendingDirectPatchReads_.isEmpty()) {
    queuedFullRefreshReason_ = reason;
    return refuse(u"Waiting for channel readback"_s);
  }

  auto generation = std::make_unique<SyncGeneration>(session_.id, std::nullopt);
  emit syncStarting();
  SyncGeneration &started = *generation;
  syncGeneration_ = std::move(generation);
  announce();
  assign(isLoadingCues_, true, &ShowMirror::isLoadingCuesChanged);
  assign(isLoadingPatch_, true, &ShowMirror::isLoadingPatchChanged);
  publish(dataStatusMessage_,
          reconnectFailureStatus_ ? *reconnectFailureStatus_ + u" — syncing reconnect"_s : reason,
          &ShowMirror::dataStatusMessageChanged);
  publishSyncProgress(started);

  const QUuid generationID = started.id;
  for (const QString &request :
       {EosOSCAddress::showPathRequest, EosOSCAddress::versionRequest,
        EosOSCAddress::cueCountRequest, EosOSCAddress::patchCountRequest}) {
    if (!connection_.send({request, {}})) {
      return failSync(generationID, u"Sync request could not be sent"_s);
    }
  }
  // A finished sync leaves the item to fire into a different generation, which it ignores.
  syncTimeoutWorkItem_ = timing_->schedule(
      syncTimeout_,
      [this, generationID, session = session_.id] { syncTimedOut(generationID, session); });
  indexReplyCheckWorkItem_ = timing_->repeat(
      indexReplyCheckInterval, [this, generationID] { reaskLateIndexes(generationID); });
}

void ShowMirror::cancelSyncWorkItems() {
  syncTimeoutWorkItem_.cancel();
  indexReplyCheckWorkItem_.cancel();
}

ShowMirror::SyncGeneration *ShowMirror::currentSyncGeneration() const {
  if (!syncGeneration_ || syncGeneration_->sessionID != session_.id || !connection_.isConnected()) {
    return nullptr;
  }
  return syncGeneration_.get();
}

void ShowMirror::handleCountReply(qint64 count, bool isPatch) {
  if (!syncGeneration_) return;
  SyncGeneration &generation = *syncGeneration_;
  if (generation.sessionID != session_.id || !connection_.isConnected() || count < 0 ||
      count > maximumIndexCount) {
    return failSync(generation.id, u"Console returned an invalid item count"_s);
  }
  std::optional<qint64> &expected =
      isPatch ? generation.expectedPatchCount : generation.expectedCueCount;
  if (expected) {
    // The first answer wins; a later one answers a count asked again.
    noteCountAnswered(generation, isPatch ? IndexRequestKind::patch : IndexRequestKind::cue);
  } else {
    expected = count;
    std::deque<qint64> &pending =
        isPatch ? generation.pendingPatchIndexes : generation.pendingCueIndexes;
    pending.resize(static_cast<std::size_t>(count));
    std::iota(pending.begin(), pending.end(), qint64{0});
  }
  pumpIndexRequests(generation);
  // The pump may have failed the sync and released the generation.
  if (syncGeneration_.get() == &generation) completeSync(generation);
}

void ShowMirror::pumpIndexRequests(SyncGeneration &generation) {
  if (currentSyncGeneration() != &generation) return;
  // Cue and patch take turns while both have work; either fills every free slot alone.
  while (generation.slotsHeld < maximumInFlightIndexRequests) {
    const bool cueFirst = generation.nextKind == IndexRequestKind::cue;
    std::deque<qint64> &first =
        cueFirst ? generation.pendingCueIndexes : generation.pendingPatchIndexes;
    std::deque<qint64> &second =
        cueFirst ? generation.pendingPatchIndexes : generation.pendingCueIndexes;
    const bool takeCue = !first.empty() ? cueFirst : !cueFirst;
    std::deque<qint64> &pending = !first.empty() ? first : second;
    if (pending.empty()) break;

    const qint64 index = pending.front();
    pending.pop_front();
    generation.nextKind = takeCue ? IndexRequestKind::patch : IndexRequestKind::cue;
    if (!askForIndex(generation, takeCue ? IndexRequestKind::cue : IndexRequestKind::patch,
                     index)) {
      return failSync(generation.id, u"Sync request could not be sent"_s);
    }
  }
  publishSyncProgress(generation);
}

void ShowMirror::reaskLateIndexes(const QUuid &generationID) {
  SyncGeneration *generation = currentSyncGeneration();
  if (!generation || generation->id != generationID) return;
  const double now = timing_->uptime();
  for (const IndexRequestKind kind : {IndexRequestKind::cue, IndexRequestKind::patch}) {
    auto &inFlight = generation->inFlight(kind);
    for (auto request = inFlight.begin(); request != inFlight.end();) {
      auto &[index, state] = *request;
      if (!state.passedByAt || now - *state.passedByAt < indexReplyWait) {
        ++request;
      } else if (state.reasks < maximumIndexReasks) {
        if (!askForIndex(*generation, kind, index)) {
          return failSync(generationID, u"Sync request could not be sent"_s);
        }
        ++request;
      } else {
        // Its replies never made a record: done with, as a record that cannot be shown is.
        if (kind == IndexRequestKind::cue) {
          ++generation->skippedCueRecords;
        } else {
          generation->answeredPatchIndexes.insert(index);
        }
        ++generation->unreadableRecords;
        request = inFlight.erase(request);
      }
    }
  }
  if (!askWhetherConsoleAnswers(*generation)) {
    return failSync(generationID, u"Sync request could not be sent"_s);
  }
  pumpIndexRequests(*generation);
  if (syncGeneration_.get() == generation) completeSync(*generation);
}

QString ShowMirror::syncProgressCountText(qint64 received, std::optional<qint64> expected) {
  return QString::number(received) + u'/' + (expected ? QString::number(*expected) : u"?"_s);
}

void ShowMirror::publishSyncProgress(SyncGeneration &generation) {
  const double now = timing_->uptime();
  if (now - generation.lastProgressPublicationAt < progressInterval) return;
  const qint64 cues = qint64(generation.cueRows.size()) + generation.skippedCueRecords;
  const qint64 patchRows = qint64(generation.answeredPatchIndexes.size());
  QString text = u"Cues "_s + syncProgressCountText(cues, generation.expectedCueCount) +
                 u" · Patch "_s + syncProgressCountText(patchRows, generation.expectedPatchCount);
  // An unchanged text is not announced again and does not restart the interval.
  if (text == syncProgressDescription_) return;
  generation.lastProgressPublicationAt = now;
  publish(syncProgressDescription_, std::move(text), &ShowMirror::syncProgressDescriptionChanged);
}

void ShowMirror::failSync(const QUuid &generationID, const QString &reason) {
  if (!syncGeneration_ || syncGeneration_->id != generationID) return;
  cancelSyncWorkItems();
  syncGeneration_.reset();
  const QString status = reason + u" — cached data retained"_s;
  announce();
  assign(isLoadingCues_, false, &ShowMirror::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &ShowMirror::isLoadingPatchChanged);
  assign(dataStatusMessage_, status, &ShowMirror::dataStatusMessageChanged);
  session_.completedSyncSessionID.reset();
  publish(syncProgressDescription_, u"Incomplete"_s, &ShowMirror::syncProgressDescriptionChanged);
  // The cached show stays on screen; the link is dropped and rebuilt, and the next ready
  // transport syncs again.
  emit syncFailed(status, reason);
}

void ShowMirror::syncTimedOut(const QUuid &generationID, const QUuid &sessionID) {
  if (!syncGeneration_ || syncGeneration_->id != generationID ||
      syncGeneration_->sessionID != sessionID) {
    return;
  }
  failSync(generationID, u"Sync timed out"_s);
}

}  // namespace tarnik
