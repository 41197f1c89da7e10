#include "screens/patch/ChannelDetailStyle.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tarnik::ChannelDetailStyle {

QFont scaledFont(const QFont &base, double scale, QFont::Weight weight) {
  QFont font = base;
  font.setPointSizeF(base.pointSizeF() * scale);
  font.setWeight(weight);
  return font;
}

void setTextColor(QLabel &label, const QColor &color) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  label.setPalette(palette);
}

void paintPanel(QPainter &painter, const QRectF &rect, double radius, const QColor &color) {
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  painter.fillPath(path, color);
}

}  // namespace tarnik::ChannelDetailStyle
