#include "screens/live/SoftKeyButton.h"

#include "screens/kit/Style.h"
#include "screens/live/KeyFacePainter.h"
#include "screens/live/KeypadGeometry.h"

#include <QFontMetricsF>
#include <QPainter>

namespace tarnik {

namespace {

constexpr double badgeInset = 4;

}  // namespace

SoftKeyButton::SoftKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent)
    : ConsoleKeyButton(cell, std::move(press), parent),
      number_(cell.number),
      isSelected_(cell.isSelected) {
  setFixedHeight(static_cast<int>(KeypadMetrics::softKeyHeight));
}

QSize SoftKeyButton::sizeHint() const {
  return {static_cast<int>(KeypadMetrics::minimumColumnWidth),
          static_cast<int>(KeypadMetrics::softKeyHeight)};
}

void SoftKeyButton::paintFace(QPainter &painter) {
  paintKeyFace(painter, rect(), softKeyFaceLook(isSelected_, isViewer()), title(), {13, 0.66, 2});
  if (!number_) return;
  const QFont font = keyFont(painter.font(), 12, QFont::Medium);
  painter.setFont(font);
  QColor white = Style::dark(Style::Role::primaryText);
  white.setAlphaF(static_cast<float>(softKeyBadgeOpacity));
  painter.setPen(white);
  const QString badge = softKeyBadgeText(*number_);
  const QFontMetricsF metrics(font);
  const QRectF face(rect());
  // Drawn at a point, so the badge's digits are never read as markup either.
  painter.drawText(QPointF(face.right() + 1 - badgeInset - metrics.horizontalAdvance(badge),
                           face.bottom() + 1 - badgeInset - metrics.descent()),
                   badge);
}

}  // namespace tarnik
