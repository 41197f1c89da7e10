#pragma once

#include "screens/kit/ReflowingLabel.h"

namespace tarnik {

// A plain-text label that shows its whole text at any width: it wraps between words, and
// inside a word only where the word alone is wider than the label (`wrapAnywhere`), and is
// as tall as the lines its width gives. It may be squeezed to no width, so a long value never
// widens its page; the whole text is its accessible name, however it is broken.
//
// A label whose text changes while a person aims below it may keep room for a text of a
// given length: it is then never shorter than such a text would be at its width, so a
// message up to that long comes, goes or grows without moving anything below.
class WrappedLabel : public ReflowingLabel {
  Q_OBJECT

 public:
  explicit WrappedLabel(const QString &text = {}, QWidget *parent = nullptr);

  // Room kept for a text of this many characters of the label's font; none unless told.
  void setReservedLength(int characters);

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  QStringList linesAt(double width) const override;

 private:
  int lineCount(int width) const;

  int reservedLength_ = 0;
};

}  // namespace tarnik
