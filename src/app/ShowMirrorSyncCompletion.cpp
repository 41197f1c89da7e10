#include "app/ShowMirror.h"
#include "app/ShowOrderings.h"
#include "foundation/BackgroundRelease.h"
#include "model/ShowIdentity.h"

#include <QStringList>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// What a sync that published tells: the records it left out, and a snapshot that could not
// be stored, so that a show kept with gaps, or not kept, is not taken for a whole one.
QString syncedStatusText(qint64 unreadableRecords, bool snapshotSaved) {
  QStringList faults;
  if (unreadableRecords > 0) {
    faults.append(QString::number(unreadableRecords) +
                  (unreadableRecords == 1 ? u" record"_s : u" records"_s) +
                  u" could not be read"_s);
  }
  if (!snapshotSaved) faults.append(u"the snapshot could not be saved"_s);
  return faults.isEmpty() ? u"Synced"_s : u"Synced — "_s + faults.join(u", and "_s);
}

}  // namespace

void ShowMirror::completeSync(SyncGeneration &generation) {
  const auto answered = [](qint64 count, std::optional<qint64> expected) {
    return expected && count == *expected;
  };
  // The data is published only when every record is in and the console has confirmed
  // that it still holds the show the records were read from.
  const bool complete =
      currentSyncGeneration() == &generation &&
      answered(qint64(generation.cueRows.size()) + generation.skippedCueRecords,
               generation.expectedCueCount) &&
      answered(qint64(generation.answeredPatchIndexes.size()), generation.expectedPatchCount) &&
      generation.cueInFlight.empty() && generation.patchInFlight.empty() &&
      generation.pendingCueIndexes.empty() && generation.pendingPatchIndexes.empty() &&
      generation.showName && !generation.showName->isEmpty() &&
      isSameShow(session_.liveShowIdentity, generation.showName);
  if (!complete) return publishSyncProgress(generation);
  // The check that runs every second completes the sync once the wait is over.
  if (awaitsAnnouncedParts(generation) &&
      timing_->uptime() - generation.lastPatchRowAt < missingPartsWait) {
    return publishSyncProgress(generation);
  }
  if (generation.externalPatchChangedDuringRead) return discardSyncAfterPatchChange();
  publishSync(generation);
}

bool ShowMirror::awaitsAnnouncedParts(const SyncGeneration &generation) {
  // Each row says how many parts its channel has; the rows come in channel order.
  qint64 channel = 0;
  qint64 rows = 0;
  qint64 announced = 0;
  for (const auto &[key, row] : generation.patchRows) {
    if (key.first != channel) {
      if (rows < announced) return true;
      channel = key.first;
      rows = 0;
      announced = 0;
    }
    ++rows;
    announced = std::max(announced, row.partCount.value_or(0));
  }
  return rows < announced;
}

void ShowMirror::discardSyncAfterPatchChange() {
  // The staged rows may mix the patch before and after the change: none of them is shown,
  // and a fresh sync follows once the console is quiet.
  cancelSyncWorkItems();
  syncGeneration_.reset();
  session_.completedSyncSessionID.reset();
  announce();
  assign(isLoadingCues_, false, &ShowMirror::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &ShowMirror::isLoadingPatchChanged);
  assign(dataStatusMessage_, u"Patch changed during sync — reloading"_s,
         &ShowMirror::dataStatusMessageChanged);
  assign(syncProgressDescription_, u"Patch changed — staged results discarded"_s,
         &ShowMirror::syncProgressDescriptionChanged);
  refreshNeededAfterSync_ = false;
  emit syncDiscardedForPatchChange();
}

void ShowMirror::publishSync(SyncGeneration &generation) {
  QList<Cue> cues;
  cues.reserve(qsizetype(generation.cueRows.size()));
  for (auto &[index, cue] : generation.cueRows) cues.append(std::move(cue));
  sortByCueNumber(cues);
  const QString completion = u"Complete — "_s + QString::number(cues.size()) + u" cues, "_s +
                             QString::number(generation.patchRows.size()) + u" patch rows"_s;
  // The staged rows go with the generation just below, so they are moved, not copied.
  QList<Channel> channels = makeChannels(std::move(generation.patchRows), timing_->date());
  const QString showName = *generation.showName;
  // Records whose replies never made a record are left out; the status says how many.
  syncedUnreadableRecords_ = generation.unreadableRecords;
  const QString status = syncedStatusText(syncedUnreadableRecords_, true);

  cancelSyncWorkItems();
  // The staging and the show it replaces are freed off the GUI thread, in one task (see
  // SavedShowStore::store for the snapshot that shares the replaced rows).
  auto replaced = std::make_tuple(std::move(syncGeneration_), cues_, channels_);
  announce();
  assign(cues_, std::move(cues), &ShowMirror::cuesChanged);
  assign(channels_, std::move(channels), &ShowMirror::channelsChanged);
  releaseInBackground(std::move(replaced));
  assign(showFileName_,
         session_.liveShowName && !session_.liveShowName->isEmpty() ? *session_.liveShowName
                                                                    : showDisplayName(showName),
         &ShowMirror::showFileNameChanged);
  session_.publishedShowIdentity = showName;
  session_.completedSyncSessionID = session_.id;
  assign(isLoadingCues_, false, &ShowMirror::isLoadingCuesChanged);
  assign(isLoadingPatch_, false, &ShowMirror::isLoadingPatchChanged);
  assign(lastDataRefresh_, timing_->date(), &ShowMirror::lastDataRefreshChanged);
  assign(dataStatusMessage_, status, &ShowMirror::dataStatusMessageChanged);
  assign(syncProgressDescription_, completion, &ShowMirror::syncProgressDescriptionChanged);

  // The model's follow-on steps, then a refresh asked for while the sync ran.
  emit syncPublished(showName);
  if (std::exchange(refreshNeededAfterSync_, false)) scheduleRefresh();
}

void ShowMirror::reportSyncedAgain() {
  reportStatus(syncedStatusText(syncedUnreadableRecords_, true));
}

void ShowMirror::noteSnapshotSaved(bool saved) {
  // The snapshot is stored after the sync published; its outcome joins the sync's while the
  // status still tells that.
  const qint64 unreadable = syncedUnreadableRecords_;
  if (dataStatusMessage_ != syncedStatusText(unreadable, true) &&
      dataStatusMessage_ != syncedStatusText(unreadable, false)) {
    return;
  }
  publish(dataStatusMessage_, syncedStatusText(unreadable, saved),
          &ShowMirror::dataStatusMessageChanged);
}

}  // namespace tarnik
