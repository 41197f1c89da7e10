#pragma once

#include <QLabel>
#include <QList>

#include <utility>

namespace tarnik {

// A selectable plain-text label that wraps at word boundaries and, where one word is wider
// than the row, anywhere inside that word: a long command or path from the console is shown
// whole on as many lines as it needs instead of being cut at the label's edge, and it never
// asks for more width than one character. The breaks are only drawn: the text, what a person
// selects and what they copy stay exactly as given.
//
// Its text is QLabel's own `setText`, which it follows: the whole text given is kept, and
// what is laid out of it is no more than `screenBoundedText` gives (a console's 64 KB word,
// or a letter under thousands of combining marks is cut with "…"), so
// laying it out costs what the label shows. The whole text stays its accessible name, and a
// copy gives it: a selection reaching the "…" copies on to the whole text's end.
//
// Like `WrappedLabel`, it may keep room for a text of a given length, so a message up to that
// long comes, goes or grows without moving anything below it.
//
// QLabel lays selectable text out in a text document of its own and sets that document to
// plain word wrapping whenever its text, font, style, margins or size changed. This label
// lets it do so at once after each such change and then lets the document break inside words
// too, so drawing never changes the document. A text given through QLabel is taken at the
// next event the label gets, even when that is a paint, which QLabel would otherwise draw by
// laying the whole text out.
class SelectableWrappedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit SelectableWrappedLabel(const QString &text = {}, QWidget *parent = nullptr);

  // The whole text last given to `setText`; `text()` is what is shown of it.
  QString fullText() const;

  // Room kept for a text of this many characters of the label's font; none unless told.
  void setReservedLength(int characters);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  int heightForWidth(int width) const override;

 protected:
  bool event(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

 private:
  // Takes a text given to `setText` since the last look as the whole text.
  void followGivenText() const;
  // Shows as much of the whole text as the kit's bound and the label's font call for.
  void showBoundedText() const;
  // Has QLabel lay its document out now, then lets it break inside words.
  void wrapDocumentAnywhere() const;
  // Whether QLabel set its document back to word wrapping while measuring.
  bool documentLostItsWrap() const;
  int reservedHeight(int width) const;
  int measuredHeight(int width) const;
  // The part of the whole text the selection covers.
  QString selectedWholeText() const;

  mutable QString fullText_;
  // What this label last gave QLabel to show.
  mutable QString shown_;
  int reservedLength_ = 0;

  // Everything but the width that QLabel's height for a width follows. Each measure lays the
  // whole text out twice, and layouts ask for the same widths again and again: the heights
  // of the last few widths are kept while these stay as they are.
  struct LayoutInputs {
    QString text;
    QFont font;
    QMargins margins;
    int margin = 0;
    int indent = 0;
    Qt::Alignment alignment;
    bool operator==(const LayoutInputs &) const = default;
  };
  static constexpr qsizetype measuredWidthsKept = 4;
  mutable LayoutInputs measuredInputs_;
  mutable QList<std::pair<int, int>> measuredHeights_;
};

}  // namespace tarnik
