#include "screens/live/LiveShowButton.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/live/KeyFacePainter.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

constexpr double nameSize = 21;
constexpr double minimumScale = 0.75;
constexpr int chevronSize = 12;
constexpr int gap = 5;
constexpr int buttonHeight = 44;
constexpr double opacity = 0.86;

}  // namespace

LiveShowButton::LiveShowButton(QWidget *parent) : QAbstractButton(parent) {
  setObjectName(QStringLiteral("live.header.show"));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setFixedHeight(buttonHeight);
  setCursor(Qt::PointingHandCursor);
}

void LiveShowButton::setShowName(const QString &name) {
  if (name == showName_) return;
  showName_ = name;
  updateGeometry();
  update();
}

QFont LiveShowButton::nameFont() const { return keyFont(font(), nameSize, QFont::Medium); }

QSize LiveShowButton::sizeHint() const {
  const int besideName = gap + chevronSize;
  return {lineHintWidth(*this, nameFont(), showName_, besideName) + besideName, buttonHeight};
}

QSize LiveShowButton::minimumSizeHint() const { return {chevronSize, buttonHeight}; }

void LiveShowButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setOpacity(isDown() ? opacity * 0.6 : opacity);
  painter.setFont(nameFont());
  // The name takes what the chevron leaves; name and chevron stand centred together.
  const double room = std::max(0.0, double(width() - gap - chevronSize));
  const FittedText fitted = fitText(showName_, nameFont(), QSizeF(room, height()), 1, minimumScale);
  const double nameWidth =
      fitted.lines.isEmpty()
          ? 0
          : std::min(room,
                     std::ceil(QFontMetricsF(fitted.font).horizontalAdvance(fitted.lines.first())));
  const double groupWidth = nameWidth + (nameWidth > 0 ? gap : 0) + chevronSize;
  const double left = (width() - groupWidth) / 2;
  painter.setPen(Style::dark(Style::Role::primaryText));
  paintFittedText(painter, QRectF(left, 0, nameWidth, height()), showName_, 1, minimumScale,
                  Qt::AlignLeft | Qt::AlignVCenter);
  const qreal ratio = devicePixelRatioF();
  QPixmap chevron =
      symbolPixmap(QStringLiteral("chevron.down"), Style::dark(Style::Role::primaryText),
                   static_cast<int>(std::ceil(chevronSize * ratio)));
  chevron.setDevicePixelRatio(ratio);
  painter.drawPixmap(QPointF(left + groupWidth - chevronSize, (height() - chevronSize) / 2.0),
                     chevron);
}

}  // namespace tarnik
