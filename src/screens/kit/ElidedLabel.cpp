#include "screens/kit/ElidedLabel.h"

#include "screens/kit/FitTextPainter.h"

#include <QFontMetricsF>
#include <QScreen>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// The lines a tooltip takes at most, each nearly the screen's width, leaving room for its
// frame: a real text fits in them.
constexpr int toolTipLines = 6;
constexpr double toolTipShareOfScreen = 0.9;

}  // namespace

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

void ElidedLabel::fullTextChanged(const QString &text) {
  // A console's far longer text would be laid out whole by the tooltip, a strip or a block
  // covering the screen: it is shown on a few lines, the last one ending in "…".
  const QFont font = QToolTip::font();
  const double width = screen()->availableGeometry().width() * toolTipShareOfScreen;
  const FittedText fitted = fitText(
      text, font, QSizeF(width, linesHeight(QFontMetricsF(font), toolTipLines)), toolTipLines, 1);
  const QString tip = fitted.elided ? fitted.lines.join(QLatin1Char('\n')) : text;
  // A tooltip reads a text that looks like markup as markup: such a text is given escaped.
  setToolTip(Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpacePre) : tip);
}

QStringList ElidedLabel::linesAt(double width) const {
  // Never shrunk: the label's font is the page's, only the text is cut.
  return fitText(fullText(), font(), QSizeF(width, boxHeight()), lineCount_, 1).lines;
}

}  // namespace tarnik
