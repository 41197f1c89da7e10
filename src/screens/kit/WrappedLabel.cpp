#include "screens/kit/WrappedLabel.h"

#include "screens/kit/WrapAnywhere.h"

#include <QEvent>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace tarnik {

WrappedLabel::WrappedLabel(const QString &text, QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  QSizePolicy policy = sizePolicy();
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setFullText(text);
}

void WrappedLabel::setFullText(const QString &text) {
  if (text == fullText_ && !text.isEmpty()) return;
  fullText_ = text;
  setAccessibleName(text);
  updateGeometry();
  rewrap();
}

void WrappedLabel::setReservedLength(int characters) {
  reservedLength_ = std::max(0, characters);
  updateGeometry();
}

int WrappedLabel::lineCount(int width) const {
  const QMargins margins = contentsMargins();
  const double textWidth = width - margins.left() - margins.right();
  const auto wrapped = static_cast<int>(wrapAnywhere(fullText_, font(), textWidth).size());
  int reserved = 0;
  if (reservedLength_ > 0 && textWidth > 0) {
    // Breaking between words leaves part of each line empty: one more line covers it.
    const double advance = QFontMetricsF(font()).averageCharWidth() * reservedLength_;
    reserved = static_cast<int>(std::ceil(advance / textWidth)) + 1;
  }
  return std::max({1, wrapped, reserved});
}

int WrappedLabel::heightForWidth(int width) const {
  const QFontMetricsF metrics(font());
  const QMargins margins = contentsMargins();
  const double lines = metrics.height() + metrics.lineSpacing() * (lineCount(width) - 1);
  return static_cast<int>(std::ceil(lines)) + margins.top() + margins.bottom();
}

QSize WrappedLabel::sizeHint() const {
  // The whole text on as few lines as its own breaks allow.
  const QFontMetricsF metrics(font());
  double widest = 0;
  for (const QString &paragraph : fullText_.split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(paragraph));
  }
  const QMargins margins = contentsMargins();
  const int width = static_cast<int>(std::ceil(widest)) + margins.left() + margins.right();
  return {width, heightForWidth(width)};
}

QSize WrappedLabel::minimumSizeHint() const { return {0, heightForWidth(sizeHint().width())}; }

void WrappedLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  rewrap();
}

void WrappedLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    updateGeometry();
    rewrap();
  }
}

void WrappedLabel::rewrap() {
  const QString shown =
      wrapAnywhere(fullText_, font(), contentsRect().width()).join(QLatin1Char('\n'));
  if (text() != shown) setText(shown);
}

}  // namespace tarnik
