#pragma once

#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace tarnik {

// Texts a screen shows in the user's own locale, through ICU's patterns, which is where the
// locale's conventions (the 12- or 24-hour clock, its separators and spacing) are kept.

// A time of day with hour, minute and second and no date: ICU's best pattern for the
// skeleton "jms", so the hour takes the AM/PM marker only where the locale uses one. The
// date is in seconds since 2001-01-01 00:00:00 UTC.
QString timeOfDayText(double referenceSeconds, const QLocale &locale = QLocale(),
                      const QTimeZone &zone = QTimeZone::systemTimeZone());

}  // namespace tarnik
