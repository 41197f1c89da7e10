#pragma once

#include <QLineEdit>

namespace tarnik {

// A one-line field that edits a text the console sent, such as a label. A text longer than
// a screen-wide line could show, or a letter under more combining marks than one character
// carries, is shown as `screenBoundedText` bounds it, ending in "…", and kept whole beside it: the
// field then lays out what it shows, so a caret blinking in a console's 64 KB label costs what it
// does in a short one. Every real text is shown whole, as a plain field shows it.
//
// `wholeText()` is what the field stands for: the text set by `setWholeText`, byte for byte,
// while the field still shows it as set (also after an edit undone), and what the person
// typed once they change it.
class ConsoleTextField : public QLineEdit {
  Q_OBJECT

 public:
  explicit ConsoleTextField(QWidget *parent = nullptr);

  void setWholeText(const QString &text);
  QString wholeText() const;

 private:
  QString whole_;
  QString shown_;
};

}  // namespace tarnik
