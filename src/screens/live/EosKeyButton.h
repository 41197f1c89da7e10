#pragma once

#include "screens/live/ConsoleKeyButton.h"

namespace tarnik {

// The face of a function-row or main-pad key: exactly keyHeight high, as wide as its cell,
// its title at 15 points shrinking to 0.7 of that before it is cut.
class EosKeyButton : public ConsoleKeyButton {
  Q_OBJECT

 public:
  EosKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent = nullptr);

  KeypadColor color() const { return color_; }
  QSize sizeHint() const override;

 protected:
  void paintFace(QPainter &painter) override;

 private:
  const KeypadColor color_;
};

}  // namespace tarnik
