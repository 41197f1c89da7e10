#pragma once

#include "screens/live/ConsoleKeyButton.h"

namespace tarnik {

// The face of a soft-panel key: softKeyHeight high, its title at 13 points shrinking to 0.66
// of that before it is cut, and, for the numbered soft keys, the number in the bottom-right
// corner, whose colour no state changes.
class SoftKeyButton : public ConsoleKeyButton {
  Q_OBJECT

 public:
  SoftKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent = nullptr);

  const std::optional<int> &number() const { return number_; }
  bool isSelected() const { return isSelected_; }
  QSize sizeHint() const override;

 protected:
  void paintFace(QPainter &painter) override;

 private:
  const std::optional<int> number_;
  const bool isSelected_;
};

}  // namespace tarnik
