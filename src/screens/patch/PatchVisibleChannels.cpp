#include "screens/patch/PatchVisibleChannels.h"

#include "screens/patch/PatchListRules.h"

#include <algorithm>

namespace tarnik {

PatchSearchIndex::PatchSearchIndex(const QList<Channel> &channels, const QLocale &locale) {
  entries_.reserve(std::size_t(channels.size()));
  for (const Channel &channel : channels) {
    Entry entry;
    const QStringList texts = channel.foldedSearchTexts(locale);
    entry.ends.reserve(std::size_t(texts.size()));
    for (const QString &text : texts) {
      entry.texts += text;
      entry.ends.push_back(entry.texts.size());
    }
    entries_.push_back(std::move(entry));
  }
}

bool PatchSearchIndex::matches(qsizetype position, const QString &foldedQuery) const {
  if (foldedQuery.isEmpty()) return true;
  const Entry &entry = entries_[std::size_t(position)];
  qsizetype from = 0;
  qsizetype found;
  while ((found = entry.texts.indexOf(foldedQuery, from)) >= 0) {
    // The text the match starts in; a later match starting in it would cross its end too.
    const qsizetype end = *std::ranges::upper_bound(entry.ends, found);
    if (found + foldedQuery.size() <= end) return true;
    from = end;
  }
  return false;
}

QList<qsizetype> visiblePatchChannels(const QList<Channel> &channels,
                                      const PatchSearchIndex &searchIndex,
                                      const QString &searchText, bool parkedOnly,
                                      const std::map<int, FixtureControlState> &states,
                                      PatchSortOption order, const QLocale &locale) {
  const QString query = Channel::foldedForSearch(searchText, locale);
  QList<qsizetype> kept;
  kept.reserve(channels.size());
  for (qsizetype position = 0; position < channels.size(); ++position) {
    if (searchIndex.matches(position, query) &&
        (!parkedOnly || isConfirmedParked(channels[position].number, states)))
      kept.append(position);
  }
  orderPatchChannels(kept, channels, order, locale);
  return kept;
}

}  // namespace tarnik
