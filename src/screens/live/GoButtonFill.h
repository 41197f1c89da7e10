#pragma once

#include "screens/live/GoButtonLook.h"

class QPainter;
class QRectF;

namespace tarnik {

// The Go buttons' background, one painter for the bar and the cue detail: a green capsule
// and over it, clipped to it, a white band at 0.22 across the run's share of the width.
void paintGoButtonFill(QPainter &painter, const QRectF &area, const GoFillLook &look);

}  // namespace tarnik
