#pragma once

#include "screens/live/LivePresentation.h"

#include <QColor>

namespace tarnik {

// A tint of the header or the command line bar as the screen paints it.
QColor liveColor(const TintedColor &color);

}  // namespace tarnik
