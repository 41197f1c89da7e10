#pragma once

#include "model/CommandHistoryEntry.h"

#include <QList>

namespace tarnik {

// The colour of a history row's source badge.
enum class HistorySourceColor { blue, green, orange, secondary };

namespace CommandHistoryPresentation {

// The newest maximumCount entries, newest first. A count below zero shows none, as zero
// does: it never reaches past the list.
QList<CommandHistoryEntry> recentEntries(const QList<CommandHistoryEntry> &entries,
                                         qsizetype maximumCount);

// "console" blue, "sent" green, "rejected" orange in any letter case, nothing trimmed;
// anything else the secondary colour.
HistorySourceColor sourceColor(const QString &source);

}  // namespace CommandHistoryPresentation

}  // namespace tarnik
