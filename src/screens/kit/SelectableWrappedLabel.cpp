#include "screens/kit/SelectableWrappedLabel.h"

#include "screens/kit/FitTextPainter.h"
#include "screens/kit/WrapAnywhere.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
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

qsizetype charactersOfSomeWidth(const QString &text) {
  qsizetype count = 0;
  for (qsizetype at = 0; at < text.size(); ++at) {
    char32_t character = text.at(at).unicode();
    if (text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
      character = QChar::surrogateToUcs4(text.at(at), text.at(at + 1));
      ++at;
    }
    if (!hasNoWidth(character)) ++count;
  }
  return count;
}

// What the label lays out of a text: no more than the kit's bound for a console's text in a
// label that wraps it (a couple of screen-wide lines' worth, far more than any real text),
// and, for a text almost wholly of characters of no width, as much as that bound gives a line
// as wide as its other characters could be at the font's widest advance. A letter under more
// marks than one character carries is cut after them. Any real text is shown as given.
QString shownText(const QWidget &label, const QString &text) {
  const QString screens = screenBoundedText(label, text);
  const double widest = std::max(1.0, QFontMetricsF(label.font()).maxWidth());
  const QString noWidth =
      boundedText(text, static_cast<double>(charactersOfSomeWidth(text)) * widest, 1);
  return noWidth.size() < screens.size() ? noWidth : screens;
}

// A position in a label's document as an index into its plain text: the document keeps a
// line break written "\r\n" as one.
qsizetype textIndex(const QString &text, int position) {
  qsizetype index = 0;
  for (int at = 0; at < position && index < text.size(); ++at) {
    index +=
        text.at(index) == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n' ? 2 : 1;
  }
  return index;
}

}  // namespace

SelectableWrappedLabel::SelectableWrappedLabel(const QString &text, QWidget *parent)
    : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // Selectable text is what gives the label its text document, where the wrapping lives.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setText(text);
  followGivenText();
}

QString SelectableWrappedLabel::fullText() const {
  followGivenText();
  return fullText_;
}

void SelectableWrappedLabel::followGivenText() const {
  if (text() == shown_) return;
  fullText_ = text();
  showBoundedText();
}

void SelectableWrappedLabel::showBoundedText() const {
  auto *self = const_cast<SelectableWrappedLabel *>(this);
  const QString shown = shownText(*this, fullText_);
  if (accessibleName() != fullText_) self->setAccessibleName(fullText_);
  if (shown != shown_ || text() != shown) {
    shown_ = shown;
    self->setText(shown);
  }
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

QString SelectableWrappedLabel::selectedWholeText() const {
  followGivenText();
  const int start = selectionStart();
  if (start < 0) return {};
  const qsizetype from = textIndex(shown_, start);
  qsizetype to = textIndex(shown_, start + static_cast<int>(selectedText().size()));
  // The "…" stands for the rest of the whole text.
  if (shown_ != fullText_ && to == shown_.size()) to = fullText_.size();
  return fullText_.mid(from, to - from);
}

void SelectableWrappedLabel::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy) && hasSelectedText()) {
    QGuiApplication::clipboard()->setText(selectedWholeText());
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

// The menu QLabel gives selectable text, with a copy of the whole text selected.
void SelectableWrappedLabel::contextMenuEvent(QContextMenuEvent *event) {
  QMenu menu;
  QAction *copy = menu.addAction(
      tr("&Copy"), this, [this] { QGuiApplication::clipboard()->setText(selectedWholeText()); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(hasSelectedText());
  menu.addSeparator();
  QAction *selectAll = menu.addAction(tr("Select All"), this, [this] {
    const auto *document = findChild<QTextDocument *>();
    if (document) setSelection(0, document->characterCount() - 1);
  });
  selectAll->setShortcut(QKeySequence::SelectAll);
  menu.exec(event->globalPos());
}

bool SelectableWrappedLabel::event(QEvent *event) {
  // Every event looks for a new text first, a paint too: given through QLabel, a text may
  // reach its first paint before any other event, and QLabel would lay it out whole to draw
  // it. Once looked at, a text is not looked at again, so a paint leaves everything alone.
  followGivenText();
  const bool handled = QLabel::event(event);
  // Each change after which QLabel lays its document out afresh.
  switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
      // The bound of a text of no width follows the font's widest character.
      showBoundedText();
      break;
    case QEvent::Resize:
    case QEvent::ContentsRectChange:
    case QEvent::StyleChange:
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
  followGivenText();
  if (shown_ != fullText_) {
    // A cut text fills more lines than any screen: it asks for the width QLabel gives a long
    // text, eighty characters, at once rather than by laying the text out at several widths.
    const QMargins margins = contentsMargins();
    const int width = 80 * fontMetrics().horizontalAdvance(QLatin1Char('x')) + margins.left() +
                      margins.right() + 2 * margin();
    return {width, heightForWidth(width)};
  }
  const QSize hint = QLabel::sizeHint();
  if (documentLostItsWrap()) wrapDocumentAnywhere();
  return hint;
}

// QLabel finds its least width by laying its text out at no width, a line for each character
// and each line read on to the end of its word: this label fits its text into one
// character's width instead, and asks, as QLabel does, for no more than one line's height.
QSize SelectableWrappedLabel::minimumSizeHint() const {
  const QSize hint = sizeHint();
  const int oneLine = QLabel::heightForWidth(QWIDGETSIZE_MAX);
  if (documentLostItsWrap()) wrapDocumentAnywhere();
  const QMargins margins = contentsMargins();
  const int oneCharacter =
      fontMetrics().maxWidth() + margins.left() + margins.right() + 2 * margin();
  return {std::min(hint.width(), oneCharacter), std::min(hint.height(), oneLine)};
}

int SelectableWrappedLabel::heightForWidth(int width) const {
  followGivenText();
  const LayoutInputs inputs{text(), font(), contentsMargins(), margin(), indent(), alignment()};
  if (inputs != measuredInputs_ || documentLostItsWrap()) {
    measuredInputs_ = inputs;
    measuredHeights_.clear();
  }
  for (const auto &[measuredWidth, height] : measuredHeights_) {
    if (measuredWidth == width) return height;
  }
  const int height = measuredHeight(width);
  if (measuredHeights_.size() == measuredWidthsKept) measuredHeights_.removeFirst();
  measuredHeights_.append({width, height});
  return height;
}

int SelectableWrappedLabel::measuredHeight(int width) const {
  int height = QLabel::heightForWidth(width);
  if (documentLostItsWrap()) {
    wrapDocumentAnywhere();
    height = QLabel::heightForWidth(width);
  }
  return std::max(height, reservedHeight(width));
}

}  // namespace tarnik
