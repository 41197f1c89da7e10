#pragma once

#include "operations/FixtureControlState.h"
#include "screens/patch/FixtureParameterSlots.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarnik {

// A value the console reported for a parameter. Whole values are plain decimal without
// grouping ("1234", and -0 as "0"), also beyond 64 bits; others take up to three fraction
// digits, trailing zeros dropped, in the locale's separators and grouping ("1,234.5").
// Values that are not finite read "NaN", "∞" and "−∞".
QString formatParameterNumber(double value, const QLocale &locale);

// "Range 0–255", with " · read only" when the parameter cannot be adjusted.
QString parameterRangeText(const FixtureControlParameter &parameter, const QLocale &locale);

// Absolute slots as universes and addresses, sorted: slots 512 and 513 read
// "DMX U1 · 512 · DMX U2 · 001"; no slots give an empty text.
QString dmxSlotText(QList<qint64> dmxSlots);

// One part's line; "Part N · " goes in front only when the parameter has two or more parts.
QString parameterPartText(const FixtureParameterPartDMX &partDMX, qsizetype partCount);

// The DMX lines of a row: "DMX Checking…" while nothing is resolved yet, else one per part.
QStringList parameterDMXLines(const std::optional<QList<FixtureParameterPartDMX>> &partDMX,
                              bool isResolvingDMX);

// What assistive technology reads for a row, as one sentence.
QString parameterAccessibleSentence(const FixtureControlParameter &parameter,
                                    const std::optional<QList<FixtureParameterPartDMX>> &partDMX,
                                    bool isResolvingDMX, const QLocale &locale);

}  // namespace tarnik
