#include "screens/kit/WrapAnywhereLabel.h"

#include <QTextDocument>
#include <QTextOption>

#include <algorithm>

namespace tarnik {

WrapAnywhereLabel::WrapAnywhereLabel(const QString &text, QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // Selectable text is what gives the label its text document, where the wrapping lives.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setText(text);
}

void WrapAnywhereLabel::wrapAnywhere() const {
  // Polishing may change the font, after which QLabel lays its text out afresh; measuring
  // makes it bring its document up to date now, with its own wrapping.
  ensurePolished();
  QLabel::heightForWidth(width());
  auto *document = findChild<QTextDocument *>();
  if (!document) return;
  QTextOption option = document->defaultTextOption();
  if (option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere) return;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document->setDefaultTextOption(option);
}

QSize WrapAnywhereLabel::sizeHint() const {
  wrapAnywhere();
  return QLabel::sizeHint();
}

QSize WrapAnywhereLabel::minimumSizeHint() const {
  wrapAnywhere();
  // QLabel asks for its widest word; this label fits its text into one character's width.
  QSize minimum = QLabel::minimumSizeHint();
  const QMargins margins = contentsMargins();
  minimum.setWidth(std::min(
      minimum.width(), fontMetrics().maxWidth() + margins.left() + margins.right() + 2 * margin()));
  return minimum;
}

int WrapAnywhereLabel::heightForWidth(int width) const {
  wrapAnywhere();
  return QLabel::heightForWidth(width);
}

void WrapAnywhereLabel::paintEvent(QPaintEvent *event) {
  wrapAnywhere();
  QLabel::paintEvent(event);
}

}  // namespace tarnik
