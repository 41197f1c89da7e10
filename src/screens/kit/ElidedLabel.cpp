#include "screens/kit/ElidedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/PlainToolTip.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace tarnik {

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : ReflowingLabel(parent) {
  setFullText(text);
}

void ElidedLabel::setLineCount(int lines) {
  lineCount_ = std::max(1, lines);
  updateGeometry();
  reflow();
}

double ElidedLabel::boxHeight() const { return linesHeight(QFontMetricsF(font()), lineCount_); }

QSize ElidedLabel::sizeHint() const {
  // The same measure as the fitting: a label given its hint shows the whole text.
  const QMargins margins = contentsMargins();
  return {lineHintWidth(*this, font(), fullText()) + margins.left() + margins.right(),
          static_cast<int>(std::ceil(boxHeight())) + margins.top() + margins.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void ElidedLabel::fullTextChanged(const QString &text) { setToolTip(plainToolTip(*this, text)); }

QStringList ElidedLabel::linesAt(double width) const {
  // Never shrunk: the label's font is the page's, only the text is cut.
  return fitText(fullText(), font(), QSizeF(width, boxHeight()), lineCount_, 1).lines;
}

}  // namespace tarnik
