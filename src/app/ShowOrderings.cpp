#include "app/ShowOrderings.h"

#include <algorithm>
#include <vector>

namespace tarnik {

namespace {

bool valueThenTextBefore(double aValue, const QString &aText, double bValue, const QString &bText,
                         const QCollator &collator) {
  if (aValue != bValue) return aValue < bValue;
  return collator.compare(aText, bText) < 0;
}

template <class Record>
void sortByNumberField(QList<Record> &records, qint64 Record::*number) {
  std::ranges::stable_sort(records, std::less{}, number);
}

}  // namespace

QCollator cueNumberCollator() {
  QCollator collator;  // the default locale, which follows the desktop's
  collator.setNumericMode(true);
  return collator;
}

bool cueNumberOrder(const Cue &a, const Cue &b, const QCollator &collator) {
  return valueThenTextBefore(Cue::numberSortValue(a.number), a.number,
                             Cue::numberSortValue(b.number), b.number, collator);
}

void sortByCueNumber(QList<Cue> &cues) {
  // Each number is read once, not once per comparison: a show holds up to 20,000 cues.
  struct Key {
    double value;
    qsizetype index;
  };
  std::vector<Key> keys;
  keys.reserve(static_cast<size_t>(cues.size()));
  for (qsizetype i = 0; i < cues.size(); ++i)
    keys.push_back({Cue::numberSortValue(cues[i].number), i});
  const QCollator collator = cueNumberCollator();
  std::ranges::stable_sort(keys, [&](const Key &a, const Key &b) {
    return valueThenTextBefore(a.value, cues[a.index].number, b.value, cues[b.index].number,
                               collator);
  });
  QList<Cue> sorted;
  sorted.reserve(cues.size());
  for (const Key &key : keys) sorted.append(std::move(cues[key.index]));
  cues = std::move(sorted);
}

void sortByChannelNumber(QList<Channel> &channels) {
  sortByNumberField(channels, &Channel::number);
}

void sortByPartNumber(QList<PatchPart> &rows) { sortByNumberField(rows, &PatchPart::partNumber); }

void sortByPartNumber(QList<EosPatchPart> &parts) {
  sortByNumberField(parts, &EosPatchPart::partNumber);
}

}  // namespace tarnik
