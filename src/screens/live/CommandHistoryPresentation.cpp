#include "screens/live/CommandHistoryPresentation.h"

#include <algorithm>

namespace tarnik::CommandHistoryPresentation {

QList<CommandHistoryEntry> recentEntries(const QList<CommandHistoryEntry> &entries,
                                         qsizetype maximumCount) {
  const qsizetype count = std::clamp<qsizetype>(maximumCount, 0, entries.size());
  QList<CommandHistoryEntry> recent = entries.sliced(entries.size() - count);
  std::reverse(recent.begin(), recent.end());
  return recent;
}

HistorySourceColor sourceColor(const QString &source) {
  const QString lowered = source.toLower();
  if (lowered == u"console") return HistorySourceColor::blue;
  if (lowered == u"sent") return HistorySourceColor::green;
  if (lowered == u"rejected") return HistorySourceColor::orange;
  return HistorySourceColor::secondary;
}

}  // namespace tarnik::CommandHistoryPresentation
