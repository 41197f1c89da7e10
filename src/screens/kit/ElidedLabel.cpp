#include "screens/kit/ElidedLabel.h"

#include "screens/kit/FitTextPainter.h"

#include <QEvent>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace tarnik {

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setFullText(text);
}

void ElidedLabel::setFullText(const QString &text) {
  if (text == fullText_ && !text.isEmpty()) {
    return;
  }
  fullText_ = text;
  setToolTip(text);
  setAccessibleName(text);
  updateGeometry();
  elide();
}

void ElidedLabel::setLineCount(int lines) {
  lineCount_ = std::max(1, lines);
  updateGeometry();
  elide();
}

double ElidedLabel::linesHeight() const {
  const QFontMetricsF metrics(font());
  return metrics.height() + metrics.lineSpacing() * (lineCount_ - 1);
}

QSize ElidedLabel::sizeHint() const {
  // The same measure as the fitting: a label given its hint shows the whole text.
  const QFontMetricsF metrics(font());
  const QMargins margins = contentsMargins();
  return {static_cast<int>(std::ceil(metrics.horizontalAdvance(fullText_))) + margins.left() +
              margins.right(),
          static_cast<int>(std::ceil(linesHeight())) + margins.top() + margins.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  elide();
}

void ElidedLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    updateGeometry();
    elide();
  }
}

void ElidedLabel::elide() {
  // Never shrunk: the label's font is the page's, only the text is cut.
  const FittedText fitted =
      fitText(fullText_, font(), QSizeF(contentsRect().width(), linesHeight()), lineCount_, 1);
  const QString shown = fitted.lines.join(QLatin1Char('\n'));
  if (text() != shown) {
    setText(shown);
  }
}

}  // namespace tarnik
