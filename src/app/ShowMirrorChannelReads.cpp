#include "app/ListReplySlice.h"
#include "app/ReplyArguments.h"
#include "app/ShowMirror.h"
#include "model/ShowIdentity.h"
#include "operations/EosOSCAddress.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

// Single-channel patch reads on the main connection: one outstanding read per channel, the
// newest reason for reading each channel kept beside it, reads deferred while a full sync
// runs, a full sync held back until the last read has ended, and a read left unanswered
// treated as a lost console.

namespace tarnik {

void ShowMirror::readChannelPatch(qint64 channel, DirectPatchReadIntent intent) {
  latestPatchReadIntents_.insert(channel, intent);
  if (syncGeneration_) return;
  if (pendingDirectPatchReads_.contains(channel)) return;
  if (!connection_.isConnected()) return;
  if (!session_.liveShowIdentity || session_.liveShowIdentity->isEmpty()) return;
  pendingDirectPatchReads_.insert(channel, {session_.id, *session_.liveShowIdentity, intent});
  if (!connection_.send(
          {EosOSCAddress::channelPatchRequestPrefix + QString::number(channel), {}})) {
    pendingDirectPatchReads_.remove(channel);
    latestPatchReadIntents_.remove(channel);
    runQueuedFullRefresh();
    return;
  }
  const auto outstanding = pendingDirectPatchReads_.constFind(channel);
  if (outstanding == pendingDirectPatchReads_.cend() || outstanding->intent != intent) return;
  directPatchReadTimeouts_[channel] =
      timing_->schedule(channelReadTimeLimit_,
                        [mirror = QPointer<ShowMirror>(this), session = session_.id, channel,
                         intent] { directPatchReadTimedOut(mirror, session, channel, intent); });
}

void ShowMirror::directPatchReadTimedOut(const QPointer<ShowMirror> &mirror, const QUuid &session,
                                         qint64 channel, DirectPatchReadIntent intent) {
  if (!mirror || mirror->session_.id != session) return;
  const auto outstanding = mirror->pendingDirectPatchReads_.constFind(channel);
  if (outstanding == mirror->pendingDirectPatchReads_.cend() || outstanding->intent != intent) {
    return;
  }
  emit mirror->channelReadTimedOut(u"Channel "_s + QString::number(channel) +
                                   u" readback timed out"_s);
}

void ShowMirror::replayDeferredPatchReads() {
  if (syncGeneration_) return;
  std::vector<std::pair<qint64, DirectPatchReadIntent>> intents;
  for (auto it = latestPatchReadIntents_.cbegin(); it != latestPatchReadIntents_.cend(); ++it) {
    intents.emplace_back(it.key(), it.value());
  }
  std::ranges::sort(intents, {}, &std::pair<qint64, DirectPatchReadIntent>::first);
  for (const auto &[channel, intent] : intents) readChannelPatch(channel, intent);
}

void ShowMirror::moveChannelReads(const QString &showIdentity) {
  for (DirectPatchRead &read : pendingDirectPatchReads_) read.showName = showIdentity;
}

void ShowMirror::runQueuedFullRefresh() {
  if (!pendingDirectPatchReads_.isEmpty() || !queuedFullRefreshReason_) return;
  const QString reason = *std::exchange(queuedFullRefreshReason_, std::nullopt);
  requestFullSync(reason);
}

void ShowMirror::resetChannelReads() {
  directPatchReadTimeouts_.clear();
  pendingDirectPatchReads_.clear();
  directPatchFragments_.clear();
  latestPatchReadIntents_.clear();
  queuedFullRefreshReason_.reset();
}

void ShowMirror::handleChannelPatchReply(const QList<OSCArgument> &arguments,
                                         const PatchListSlice &slice) {
  const auto outstanding = pendingDirectPatchReads_.constFind(slice.channel);
  if (outstanding == pendingDirectPatchReads_.cend() || outstanding->sessionID != session_.id ||
      !isSameShow(outstanding->showName, session_.liveShowIdentity)) {
    return;
  }
  const QString key = patchRecordKey(slice.channel, slice.part);
  const std::optional<QList<OSCArgument>> fields =
      accumulateRecordSlice(directPatchFragments_, key, slice.fieldCount, slice.start, arguments);
  if (!fields || integerArgument(*fields, 0) != -1) return;
  const std::optional<PatchPart> row = makePatchPart(*fields, slice.channel, slice.part);
  if (!row) return;
  directPatchFragments_.remove(key);
  completeDirectPatchRead(slice.channel, *row);
}

void ShowMirror::completeDirectPatchRead(qint64 channel, const PatchPart &part) {
  const DirectPatchReadIntent answered = pendingDirectPatchReads_.take(channel).intent;
  if (auto timeout = directPatchReadTimeouts_.extract(channel)) timeout.mapped().cancel();
  const auto latest = latestPatchReadIntents_.constFind(channel);
  if (latest != latestPatchReadIntents_.cend() && *latest != answered) {
    // A newer reason arrived while this read was out: its answer may predate that change.
    return readChannelPatch(channel, *latest);
  }
  // A confirmation would need the sequence of the channel's own last change, which nothing
  // records; only a level read that no change has overtaken is published.
  if (latest != latestPatchReadIntents_.cend() &&
      answered.purpose == DirectPatchReadPurpose::levelRefresh &&
      changesSent_ == answered.mutationSequence && isShowDataCurrent()) {
    updateChannelLevel(channel, part.snapshotLevel);
  }
  latestPatchReadIntents_.remove(channel);
  runQueuedFullRefresh();
}

}  // namespace tarnik
