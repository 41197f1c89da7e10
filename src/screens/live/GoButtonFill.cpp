#include "screens/live/GoButtonFill.h"

#include "screens/kit/Style.h"
#include "screens/live/CueStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tarnik {

namespace {

QPainterPath capsule(const QRectF &area) {
  QPainterPath path;
  const double radius = std::min(area.width(), area.height()) / 2;
  path.addRoundedRect(area, radius, radius);
  return path;
}

}  // namespace

void paintGoButtonFill(QPainter &painter, const QRectF &area, const GoFillLook &look) {
  if (area.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QPainterPath outline = capsule(area);
  painter.setClipPath(outline);
  QColor green = Style::light(Style::Role::success);
  green.setAlphaF(static_cast<float>(look.fillOpacity));
  painter.fillPath(outline, green);
  const double bandWidth = goBandWidth(look, area.width());
  if (look.bandOpacity > 0 && bandWidth > 0) {
    QColor white = Style::onColour(Style::Role::success, Style::Ground::light);
    white.setAlphaF(static_cast<float>(0.22 * look.bandOpacity));
    painter.fillPath(capsule(QRectF(area.topLeft(), QSizeF(bandWidth, area.height()))), white);
  }
  painter.restore();
}

}  // namespace tarnik
