#pragma once

#include "screens/kit/ReflowingLabel.h"

namespace tarnik {

// A plain-text label of a fixed number of lines (one unless told) that never clips a glyph:
// the text wraps at word boundaries onto those lines and a text longer than they hold ends
// in "…", while the whole text stays its accessible name and its tooltip (a few lines, ending
// in "…", for a text longer than they hold). It is as tall as its
// lines whatever it shows, empty or not, so a message that comes, goes or grows moves
// nothing below it. It asks for the whole text's width (never more than its screen's, so a
// console's 64 KB text is read no further) but may be squeezed to nothing, so a long name
// never widens its page.
class ElidedLabel : public ReflowingLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString &text = {}, QWidget *parent = nullptr);

  void setLineCount(int lines);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  QStringList linesAt(double width) const override;
  void fullTextChanged(const QString &text) override;

 private:
  double boxHeight() const;

  int lineCount_ = 1;
};

}  // namespace tarnik
