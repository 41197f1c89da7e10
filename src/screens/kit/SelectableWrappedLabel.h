#pragma once

#include <QLabel>

namespace tarnik {

// A selectable plain-text label that wraps at word boundaries and, where one word is wider
// than the row, anywhere inside that word: a long command or path from the console is shown
// whole on as many lines as it needs instead of being cut at the label's edge, and it never
// asks for more width than one character. The breaks are only drawn: the text, what a person
// selects and what they copy stay exactly as given.
//
// A text made almost wholly of characters of no width (a 64 KB run of joiners, a letter
// under thousands of combining marks) is shown as `boundedText` bounds it, cut with
// "…", so laying it out costs what the label shows; its accessible name stays the whole text.
//
// Like `WrappedLabel`, it may keep room for a text of a given length, so a message up to that
// long comes, goes or grows without moving anything below it.
//
// QLabel lays selectable text out in a text document of its own and sets that document to
// plain word wrapping whenever its text, font, style, margins or size changed. This label
// lets it do so at once after each such change and then lets the document break inside words
// too, so drawing never changes the document: change the text through this class's `setText`.
class SelectableWrappedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit SelectableWrappedLabel(const QString &text = {}, QWidget *parent = nullptr);

  // Shows the text (hides QLabel's own, which would leave the document wrapping only at
  // word boundaries until the next change of size).
  void setText(const QString &text);
  // The text as given; `text()` is what is shown, the same but for a text of no width.
  const QString &fullText() const { return fullText_; }

  // Room kept for a text of this many characters of the label's font; none unless told.
  void setReservedLength(int characters);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  int heightForWidth(int width) const override;

 protected:
  bool event(QEvent *event) override;

 private:
  // Has QLabel lay its document out now, then lets it break inside words.
  void wrapDocumentAnywhere() const;
  // Whether QLabel set its document back to word wrapping while measuring.
  bool documentLostItsWrap() const;
  int reservedHeight(int width) const;

  QString fullText_;
  int reservedLength_ = 0;
};

}  // namespace tarnik
