#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace tarnik {

// A measured value with exactly one fraction digit in the locale's separators and grouping,
// followed literally by its unit suffix (" ms", " s", " msg/s").
QString measurementText(double value, const QString &unitSuffix, const QLocale &locale = QLocale());

// A byte count the way a file size is shown, in decimal units: "Zero KB", "1 byte",
// "N bytes" below 1000, then whole KB, MB with one fraction digit and GB and larger with two,
// trailing fraction zeros dropped.
QString byteCountText(qint64 bytes, const QLocale &locale = QLocale());

// Abbreviated month, day, hour, minute and second in the locale's own arrangement.
QString diagnosticsTimestampText(const QDateTime &moment, const QLocale &locale = QLocale(),
                                 const QTimeZone &zone = QTimeZone::systemTimeZone());

}  // namespace tarnik
