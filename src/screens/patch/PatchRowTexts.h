#pragma once

#include "model/Channel.h"

#include <QString>

namespace tarnik {

// The texts of one row of the patch list, apart from how it is drawn.

// The label unchanged, or "No label" when it is the empty text; a label of blanks stays.
QString patchRowLabel(const Channel &channel);
// "3 parts" for two parts or more; empty for one part or none.
QString patchRowPartsText(const Channel &channel);
// The one sentence an assistive technology speaks for the row, e.g. "Channel 12, Wash,
// Dimmer, address 1/101-1/102, 2 parts, parked". The parked marker itself is never spoken.
QString patchRowAccessibleText(const Channel &channel, bool isParked);

}  // namespace tarnik
