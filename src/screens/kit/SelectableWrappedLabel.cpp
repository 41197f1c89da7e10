#include "screens/kit/SelectableWrappedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/WrapAnywhere.h"

#include <QEvent>
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

void SelectableWrappedLabel::setText(const QString &text) {
  if (text == this->text()) return;
  QLabel::setText(text);
  wrapDocumentAnywhere();
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

void SelectableWrappedLabel::wrapDocumentAnywhere() const {
  auto *document = findChild<QTextDocument *>();
  if (!document) return;
  // QLabel lays a changed document out at its next measure or paint, with word wrapping only;
  // measuring has it do so now, so the paint that follows finds it laid out and changes
  // nothing.
  QLabel::heightForWidth(width());
  QTextOption option = document->defaultTextOption();
  if (option.wrapMode() == wrapAnywhereMode) return;
  option.setWrapMode(wrapAnywhereMode);
  document->setDefaultTextOption(option);
}

bool SelectableWrappedLabel::documentLostItsWrap() const {
  const auto *document = findChild<QTextDocument *>();
  return document && document->defaultTextOption().wrapMode() != wrapAnywhereMode;
}

bool SelectableWrappedLabel::event(QEvent *event) {
  const bool handled = QLabel::event(event);
  // Each change after which QLabel lays its document out afresh.
  switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
    case QEvent::Resize:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
    case QEvent::Polish:
      wrapDocumentAnywhere();
      break;
    default:
      break;
  }
  return handled;
}

// QLabel's measures lay a changed document out first. After a change this label does not see
// (an alignment, margin or indent set once it is polished), that layout wraps at word
// boundaries only: the document is let wrap anywhere again, and the height measured afresh.

QSize SelectableWrappedLabel::sizeHint() const {
  const QSize hint = QLabel::sizeHint();
  if (documentLostItsWrap()) wrapDocumentAnywhere();
  return hint;
}

QSize SelectableWrappedLabel::minimumSizeHint() const {
  QSize minimum = QLabel::minimumSizeHint();
  if (documentLostItsWrap()) wrapDocumentAnywhere();
  // QLabel asks for its widest word; this label fits its text into one character's width.
  const QMargins margins = contentsMargins();
  minimum.setWidth(std::min(
      minimum.width(), fontMetrics().maxWidth() + margins.left() + margins.right() + 2 * margin()));
  return minimum;
}

int SelectableWrappedLabel::heightForWidth(int width) const {
  int height = QLabel::heightForWidth(width);
  if (documentLostItsWrap()) {
    wrapDocumentAnywhere();
    height = QLabel::heightForWidth(width);
  }
  return std::max(height, reservedHeight(width));
}

}  // namespace tarnik
