#include "screens/live/LiveSymbolButton.h"

#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"

#include <QPainter>

#include <cmath>

namespace tarnik {

namespace {

constexpr int side = 44;
constexpr double dotDiameter = 9;
constexpr double dotRing = 1.5;

}  // namespace

LiveSymbolButton::LiveSymbolButton(const QString &objectName, int symbolSize, QWidget *parent)
    : QAbstractButton(parent), symbolSize_(symbolSize) {
  setObjectName(objectName);
  setFixedSize(side, side);
  setCursor(Qt::PointingHandCursor);
}

void LiveSymbolButton::setSymbol(const QString &symbolName, const QColor &color) {
  if (symbolName == symbolName_ && color == symbolColor_) return;
  symbolName_ = symbolName;
  symbolColor_ = color;
  update();
}

void LiveSymbolButton::setDot(const std::optional<QColor> &color) {
  if (color == dotColor_) return;
  dotColor_ = color;
  update();
}

QSize LiveSymbolButton::sizeHint() const { return {side, side}; }

void LiveSymbolButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (isDown()) painter.setOpacity(0.6);
  const qreal ratio = devicePixelRatioF();
  QPixmap symbol =
      symbolPixmap(symbolName_, symbolColor_, static_cast<int>(std::ceil(symbolSize_ * ratio)));
  symbol.setDevicePixelRatio(ratio);
  const QRectF glyph((side - symbolSize_) / 2.0, (side - symbolSize_) / 2.0, symbolSize_,
                     symbolSize_);
  painter.drawPixmap(glyph.topLeft(), symbol);
  if (dotColor_) {
    const QRectF dot(glyph.right() - dotDiameter, glyph.bottom() - dotDiameter, dotDiameter,
                     dotDiameter);
    painter.setPen(QPen(Style::dark(Style::Role::ground), dotRing));
    painter.setBrush(*dotColor_);
    painter.drawEllipse(dot);
  }
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
  }
}

}  // namespace tarnik
