#include "screens/kit/SelectableWrappedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/WrapAnywhere.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

bool hasNoWidth(char32_t character) {
  switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
      return true;
    default:
      return false;
  }
}

// What the label shows of a text. Its box is never wider than one line of all the text's
// characters of some width at the font's widest advance, so the kit's bound for such a box
// cuts only a text that is almost wholly characters of no width, or a letter under more
// marks than one character carries; any other text is shown as given.
QString shownText(const QString &text, const QFont &font) {
  qsizetype charactersOfSomeWidth = 0;
  for (qsizetype at = 0; at < text.size(); ++at) {
    char32_t character = text.at(at).unicode();
    if (text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
      character = QChar::surrogateToUcs4(text.at(at), text.at(at + 1));
      ++at;
    }
    if (!hasNoWidth(character)) ++charactersOfSomeWidth;
  }
  const double widest = std::max(1.0, QFontMetricsF(font).maxWidth());
  return boundedText(text, static_cast<double>(charactersOfSomeWidth) * widest, 1);
}

}  // namespace

SelectableWrappedLabel::SelectableWrappedLabel(const QString &text, QWidget *parent)
    : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // Selectable text is what gives the label its text document, where the wrapping lives.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setText(text);
}

void SelectableWrappedLabel::setText(const QString &text) {
  if (text == fullText_) return;
  fullText_ = text;
  setAccessibleName(text);
  QLabel::setText(shownText(text, font()));
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
      // The bound of a text of no width follows the font's widest character.
      QLabel::setText(shownText(fullText_, font()));
      wrapDocumentAnywhere();
      break;
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
