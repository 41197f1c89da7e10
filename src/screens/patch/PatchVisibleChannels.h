#pragma once

#include "model/Channel.h"
#include "operations/FixtureControlState.h"
#include "screens/patch/PatchSortOption.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <map>
#include <vector>

namespace tarnik {

// Every channel's search texts, folded once for a list of channels, so that each keystroke
// in the search field folds only the query. Build a new one when the channels change.
class PatchSearchIndex {
 public:
  PatchSearchIndex() = default;
  PatchSearchIndex(const QList<Channel> &channels, const QLocale &locale);

  // Whether a search text of the channel at this position holds the folded query
  // (Channel::foldedForSearch); an empty query matches every channel.
  bool matches(qsizetype position, const QString &foldedQuery) const;
  qsizetype size() const { return qsizetype(entries_.size()); }

 private:
  // One channel's folded texts end to end, and where each of them ends, so that a match
  // is counted only inside one text.
  struct Entry {
    QString texts;
    std::vector<qsizetype> ends;
  };
  std::vector<Entry> entries_;
};

// What a search and the "Parked Only" filter leave of the channels, then ordered: positions
// in `channels`, in the order the rows show them. With a search, the index must be the one
// built for these channels in the same locale; a search that is blank never reads it.
QList<qsizetype> visiblePatchChannels(const QList<Channel> &channels,
                                      const PatchSearchIndex &searchIndex,
                                      const QString &searchText, bool parkedOnly,
                                      const std::map<int, FixtureControlState> &states,
                                      PatchSortOption order, const QLocale &locale);

}  // namespace tarnik
