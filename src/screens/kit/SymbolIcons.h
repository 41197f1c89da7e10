#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tarnik {

// The screens name their symbols as the design does ("network", "circle.fill"); each name is
// an SVG compiled in under ":/icons/<name>.svg". The icons are single-colour shapes, so they
// are drawn in the colour of the place they stand in.
QPixmap symbolPixmap(const QString &symbolName, const QColor &color, int size);
// The same, sharp on high-density screens too, and in a second colour where it stands on a
// selection. A name without an SVG gives a null icon.
QIcon symbolIcon(const QString &symbolName, const QColor &color, const QColor &selectedColor,
                 int size = 16);

}  // namespace tarnik
