#pragma once

#include "model/Channel.h"

#include <QString>

namespace tarnik {

// The texts of a channel's header card, from the mirrored patch alone.

// The label as the console holds it (blanks and all), or "No label" when it is empty.
QString channelTitleText(const Channel &channel);
// "Manufacturer · Model" from the trimmed names that are not empty, else the type name.
QString fixtureDescription(const Channel &channel);
// The occupied DMX addresses of every part together, or "-" while any part's span is unknown.
QString footprintSummary(const Channel &channel);
// "2 parts", "Universe 2 · DMX 101", "Universe 1 · DMX 001–012", the address as typed, or "-".
QString addressSummary(const Channel &channel);
// "Addresses" for a channel of two or more parts, else "Address".
QString addressMetricLabel(const Channel &channel);

}  // namespace tarnik
