#include "screens/kit/WrappedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/WrapAnywhere.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace tarnik {

WrappedLabel::WrappedLabel(const QString &text, QWidget *parent) : ReflowingLabel(parent) {
  QSizePolicy policy = sizePolicy();
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setFullText(text);
}

void WrappedLabel::setReservedLength(int characters) {
  reservedLength_ = std::max(0, characters);
  updateGeometry();
}

int WrappedLabel::lineCount(int width) const {
  const QMargins margins = contentsMargins();
  const double textWidth = width - margins.left() - margins.right();
  const auto wrapped = static_cast<int>(wrapAnywhere(fullText(), font(), textWidth).size());
  return std::max({1, wrapped, reservedLineCount(font(), reservedLength_, textWidth)});
}

int WrappedLabel::heightForWidth(int width) const {
  const QMargins margins = contentsMargins();
  return static_cast<int>(std::ceil(linesHeight(QFontMetricsF(font()), lineCount(width)))) +
         margins.top() + margins.bottom();
}

QSize WrappedLabel::sizeHint() const {
  // The whole text on as few lines as its own breaks allow.
  const QFontMetricsF metrics(font());
  double widest = 0;
  for (const QString &paragraph : fullText().split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(paragraph));
  }
  const QMargins margins = contentsMargins();
  const int width = static_cast<int>(std::ceil(widest)) + margins.left() + margins.right();
  return {width, heightForWidth(width)};
}

QSize WrappedLabel::minimumSizeHint() const { return {0, heightForWidth(sizeHint().width())}; }

QStringList WrappedLabel::linesAt(double width) const {
  return wrapAnywhere(fullText(), font(), width);
}

}  // namespace tarnik
