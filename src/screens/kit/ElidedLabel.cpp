#include "screens/kit/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

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

QSize ElidedLabel::sizeHint() const {
  const QFontMetrics metrics(font());
  const QMargins margins = contentsMargins();
  return {metrics.horizontalAdvance(fullText_) + margins.left() + margins.right(),
          metrics.height() + margins.top() + margins.bottom()};
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
  // The same measure as the size hint: a label given its hint shows the whole text.
  const QFontMetrics metrics(font());
  const int width = contentsRect().width();
  const QString shown = metrics.horizontalAdvance(fullText_) <= width
                            ? fullText_
                            : metrics.elidedText(fullText_, Qt::ElideRight, width);
  if (text() != shown) {
    setText(shown);
  }
}

}  // namespace tarnik
