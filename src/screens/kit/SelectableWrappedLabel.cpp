#include "screens/kit/SelectableWrappedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/WrapAnywhere.h"

#include <QFontMetricsF>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace tarnik {

SelectableWrappedLabel::SelectableWrappedLabel(const QString &text, QWidget *parent)
    : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // Selectable text is what gives the label its text document, where the wrapping lives.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setText(text);
}

void SelectableWrappedLabel::setReservedLength(int characters) {
  reservedLength_ = std::max(0, characters);
  updateGeometry();
}

int SelectableWrappedLabel::reservedHeight(int width) const {
  const QMargins margins = contentsMargins();
  const int lines = reservedLineCount(font(), reservedLength_,
                                      width - margins.left() - margins.right() - 2 * margin());
  if (lines == 0) return 0;
  return static_cast<int>(std::ceil(linesHeight(QFontMetricsF(font()), lines))) + margins.top() +
         margins.bottom() + 2 * margin();
}

void SelectableWrappedLabel::letDocumentWrapAnywhere() const {
  // Polishing may change the font, after which QLabel lays its text out afresh; measuring
  // makes it bring its document up to date now, with its own wrapping.
  ensurePolished();
  QLabel::heightForWidth(width());
  auto *document = findChild<QTextDocument *>();
  if (!document) return;
  QTextOption option = document->defaultTextOption();
  if (option.wrapMode() == wrapAnywhereMode) return;
  option.setWrapMode(wrapAnywhereMode);
  document->setDefaultTextOption(option);
}

QSize SelectableWrappedLabel::sizeHint() const {
  letDocumentWrapAnywhere();
  return QLabel::sizeHint();
}

QSize SelectableWrappedLabel::minimumSizeHint() const {
  letDocumentWrapAnywhere();
  // QLabel asks for its widest word; this label fits its text into one character's width.
  QSize minimum = QLabel::minimumSizeHint();
  const QMargins margins = contentsMargins();
  minimum.setWidth(std::min(
      minimum.width(), fontMetrics().maxWidth() + margins.left() + margins.right() + 2 * margin()));
  return minimum;
}

int SelectableWrappedLabel::heightForWidth(int width) const {
  letDocumentWrapAnywhere();
  return std::max(QLabel::heightForWidth(width), reservedHeight(width));
}

void SelectableWrappedLabel::paintEvent(QPaintEvent *event) {
  letDocumentWrapAnywhere();
  QLabel::paintEvent(event);
}

}  // namespace tarnik
