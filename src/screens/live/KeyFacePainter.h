#pragma once

#include "screens/live/KeyFaceLook.h"
#include "screens/live/KeypadPalette.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace tarnik {

// A palette colour as the painters use it, made once for the life of the process.
const QColor &keypadColor(KeypadColor color);

// How a face's title is set: its size before shrinking, how far it may shrink before it is
// cut, and the room kept clear at its left and right.
struct KeyTitleStyle {
  double size = 15;
  double minimumScale = 0.7;
  double sidePadding = 3;
};

// A key face: the rounded fill of the look, and the title centred on up to two lines,
// painted as plain text.
void paintKeyFace(QPainter &painter, const QRectF &face, const KeyFaceLook &look,
                  const QString &title, const KeyTitleStyle &style);

// The system font at a size in the same points as the keys' measures: one of them is one
// device-independent pixel, so text keeps its proportion to the faces on every screen.
QFont keyFont(const QFont &base, double size, QFont::Weight weight = QFont::Normal);

// The rounded ground every key panel stands on.
void paintKeyPanel(QPainter &painter, const QRectF &panel);

}  // namespace tarnik
