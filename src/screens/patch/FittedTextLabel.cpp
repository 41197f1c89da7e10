#include "screens/patch/FittedTextLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tarnik {

FittedTextLabel::FittedTextLabel(int maximumLines, double minimumScale, QWidget *parent)
    : QLabel(parent), maximumLines_(maximumLines), minimumScale_(minimumScale) {
  setTextFormat(Qt::PlainText);
}

double FittedTextLabel::boxHeight() const {
  return linesHeight(QFontMetricsF(font()), maximumLines_);
}

FittedText FittedTextLabel::fittedAt(double width) const {
  return fitText(text(), font(), QSizeF(width, boxHeight()), maximumLines_, minimumScale_);
}

FittedText FittedTextLabel::fitted() const { return fittedAt(contentsRect().width()); }

int FittedTextLabel::heightForWidth(int width) const {
  const QMargins margins = contentsMargins();
  const FittedText shown = fittedAt(width - margins.left() - margins.right());
  // An empty text keeps one line's height, so the card does not jump when it arrives.
  const QFontMetricsF metrics(shown.lines.isEmpty() ? font() : shown.font);
  const qsizetype lines = std::max<qsizetype>(1, shown.lines.size());
  return int(std::ceil(linesHeight(metrics, lines))) + margins.top() + margins.bottom();
}

QSize FittedTextLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  const int width = lineHintWidth(*this, font(), text()) + margins.left() + margins.right();
  return {width, heightForWidth(width)};
}

QSize FittedTextLabel::minimumSizeHint() const {
  const QMargins margins = contentsMargins();
  return {0, int(std::ceil(QFontMetricsF(font()).height())) + margins.top() + margins.bottom()};
}

void FittedTextLabel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(foregroundRole()));
  const QRectF room = contentsRect();
  paintFittedText(painter, QRectF(room.topLeft(), QSizeF(room.width(), boxHeight())), text(),
                  maximumLines_, minimumScale_, Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace tarnik
