#include "screens/kit/ReflowingLabel.h"

#include <QEvent>

namespace tarnik {

ReflowingLabel::ReflowingLabel(QWidget *parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void ReflowingLabel::setFullText(const QString &text) {
  if (text == fullText_ && !text.isEmpty()) return;
  fullText_ = text;
  setAccessibleName(text);
  fullTextChanged(text);
  updateGeometry();
  reflow();
}

void ReflowingLabel::reflow() {
  const QString shown = linesAt(contentsRect().width()).join(QLatin1Char('\n'));
  if (text() != shown) setText(shown);
}

void ReflowingLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  reflow();
}

void ReflowingLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    updateGeometry();
    reflow();
  }
}

}  // namespace tarnik
