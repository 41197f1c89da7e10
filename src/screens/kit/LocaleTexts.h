#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace tarnik {

// Texts a screen shows in the user's own locale. Dates and times go through ICU's patterns,
// which is where the locale's conventions (the 12- or 24-hour clock, its separators and
// spacing) are kept.

// A time of day with hour, minute and second and no date: ICU's best pattern for the
// skeleton "jms", so the hour takes the AM/PM marker only where the locale uses one. The
// date is in seconds since 2001-01-01 00:00:00 UTC.
QString timeOfDayText(double referenceSeconds, const QLocale &locale = QLocale(),
                      const QTimeZone &zone = QTimeZone::systemTimeZone());

// The short time of day, hour and minute, no date: ICU's best pattern for the skeleton "jmm"
// ("9:41 PM", "21:41"). The date is in seconds since 2001-01-01 00:00:00 UTC.
QString shortTimeOfDayText(double referenceSeconds, const QLocale &locale = QLocale(),
                           const QTimeZone &zone = QTimeZone::systemTimeZone());

// Abbreviated month, day, hour, minute and second in the locale's own arrangement.
QString diagnosticsTimestampText(const QDateTime &moment, const QLocale &locale = QLocale(),
                                 const QTimeZone &zone = QTimeZone::systemTimeZone());

// A measured value with exactly one fraction digit in the locale's separators and grouping,
// followed literally by its unit suffix (" ms", " s", " msg/s").
QString measurementText(double value, const QString &unitSuffix, const QLocale &locale = QLocale());

// A byte count the way a file size is shown, in decimal units: "Zero KB", "1 byte",
// "N bytes" below 1000, then whole KB, MB with one fraction digit and GB and larger with two,
// trailing fraction zeros dropped.
QString byteCountText(qint64 bytes, const QLocale &locale = QLocale());

}  // namespace tarnik
