#include "app/CueReplyFields.h"
#include "app/ListReplySlice.h"
#include "app/ReplyArguments.h"
#include "app/ShowMirror.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// The index a complete record answers, when it is a list index at all.
std::optional<qint64> recordIndex(const QList<OSCArgument> &fields) {
  const std::optional<qint64> index = integerArgument(fields, 0);
  if (!index || *index < 0) return std::nullopt;
  return index;
}

}  // namespace

void ShowMirror::handleCueListReply(const QList<OSCArgument> &arguments,
                                    const AddressComponents &components) {
  const std::optional<CueListSlice> slice = readCueListSlice(components);
  if (!slice) return;
  // Outside a sync a cue reply is a single read.
  if (syncGeneration_) return parseCueListReply(arguments, *slice);
  parseCueFragment(arguments, *slice);
}

void ShowMirror::parseCueListReply(const QList<OSCArgument> &arguments, const CueListSlice &slice) {
  SyncGeneration *generation = currentSyncGeneration();
  if (!generation) return;

  const QString key = cueRecordKey(slice.cueNumber);
  const std::optional<QList<OSCArgument>> fields = accumulateRecordSlice(
      generation->cueFragments, key, slice.fieldCount, slice.start, arguments);
  if (!fields) return;
  const std::optional<qint64> index = recordIndex(*fields);
  if (!index || !generation->cueInFlight.contains(*index) || generation->cueRows.contains(*index))
    return;

  // A record whose number is not a cue number is still an answer: the index is done with,
  // so the sync completes without that cue instead of waiting for its time limit.
  if (std::optional<Cue> cue = makeCue(*fields, slice.cueNumber.toString())) {
    generation->cueRows.emplace(*index, std::move(*cue));
  } else {
    ++generation->skippedCueRecords;
  }
  generation->cueFragments.remove(key);
  noteIndexAnswered(*generation, IndexRequestKind::cue, *index);
  pumpIndexRequests(*generation);
  if (syncGeneration_.get() == generation) completeSync(*generation);
}

void ShowMirror::handlePatchListReply(const QList<OSCArgument> &arguments,
                                      const AddressComponents &components) {
  const std::optional<PatchListSlice> slice = readPatchListSlice(components);
  if (!slice) return;
  // Outside a sync a patch reply answers a single channel read.
  if (!syncGeneration_) return handleChannelPatchReply(arguments, *slice);
  SyncGeneration *generation = currentSyncGeneration();
  if (!generation) return;

  const QString key = patchRecordKey(slice->channel, slice->part);
  const std::optional<QList<OSCArgument>> fields = accumulateRecordSlice(
      generation->patchFragments, key, slice->fieldCount, slice->start, arguments);
  if (!fields) return;
  const std::optional<qint64> index = recordIndex(*fields);
  if (!index) return;
  const bool awaited = generation->patchInFlight.contains(*index);
  // A console may answer one index with every part of its channel: each part of an index
  // asked for is kept, while the index itself is answered once.
  if (!awaited && !generation->answeredPatchIndexes.contains(*index)) return;

  // As with cues: a row that cannot be a channel answers its index and is left out.
  if (std::optional<PatchPart> row = makePatchPart(*fields, slice->channel, slice->part)) {
    generation->patchRows.insert_or_assign({slice->channel, slice->part}, std::move(*row));
    generation->lastPatchRowAt = timing_->uptime();
  }
  generation->patchFragments.remove(key);
  if (awaited) {
    generation->answeredPatchIndexes.insert(*index);
    noteIndexAnswered(*generation, IndexRequestKind::patch, *index);
    pumpIndexRequests(*generation);
  }
  // A part that follows its index's answer may be the last one the sync waits for.
  if (syncGeneration_.get() == generation) completeSync(*generation);
}

void ShowMirror::parseCueFragment(const QList<OSCArgument> &arguments, const CueListSlice &slice) {
  // One cue read on its own replaces the published cue of that number, and only that.
  const QString cueNumber = slice.cueNumber.toString();
  const QString key = cueRecordKey(cueNumber);
  const std::optional<QList<OSCArgument>> fields =
      accumulateRecordSlice(directCueFragments_, key, slice.fieldCount, slice.start, arguments);
  if (!fields || integerArgument(*fields, 0) != -1) return;
  const std::optional<Cue> cue = makeCue(*fields, cueNumber);
  if (!cue) return;
  const auto published = std::ranges::find(std::as_const(cues_), cue->number, &Cue::number);
  if (published == cues_.cend()) return;
  QList<Cue> cues = cues_;
  cues[published - cues_.cbegin()] = *cue;
  directCueFragments_.remove(key);
  publish(cues_, std::move(cues), &ShowMirror::cuesChanged);
}

QList<Channel> ShowMirror::makeChannels(std::map<PatchRowKey, PatchPart> rows, double now) {
  // Rows come in channel and part order; the map hands the channels out in channel order.
  std::map<qint64, QList<PatchPart>> byChannel;
  for (auto &[key, row] : rows) byChannel[row.channelNumber].append(std::move(row));
  QList<Channel> channels;
  channels.reserve(qsizetype(byChannel.size()));
  for (auto &[number, channelRows] : byChannel) {
    channels.append(makeChannel(number, std::move(channelRows), now));
  }
  return channels;
}

}  // namespace tarnik
