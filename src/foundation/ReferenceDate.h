#pragma once

#include <QDateTime>

namespace tarnik {

// Dates are kept as seconds since 2001-01-01 00:00:00 UTC, the form they are stored in.
inline constexpr qint64 referenceDateUnixSeconds = 978307200;

double referenceSecondsFromDateTime(const QDateTime &dateTime);
QDateTime dateTimeFromReferenceSeconds(double seconds);
double referenceSecondsNow();

}  // namespace tarnik
