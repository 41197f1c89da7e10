#pragma once

#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <span>

namespace tarnik {

// The field count that a cue or patch list reply names in its address (the component at
// countIndex), when the model can read such a record: the count it knows or more. Newer
// console software adds fields at the end of a record; those are carried along and ignored,
// while the known fields keep their positions, up to FragmentAccumulator::maximumFieldCount.
// A shorter, longer or unreadable count gives nothing, and the dropped reply is logged under
// tarnik.app with its address and count.
std::optional<qint64> readableFieldCount(std::span<const QStringView> components,
                                         qsizetype countIndex, qsizetype knownCount);

}  // namespace tarnik
