#pragma once

#include "screens/live/GoButtonLook.h"

#include <QAbstractButton>

namespace tarnik {

// A Go button: the green fill painted behind whatever its owner lays out on it (the bar's
// rolling title, the detail's "Go to Cue 7"). Its text() is never painted; it names the
// button for accessibility and tests.
class GoButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit GoButton(QWidget *parent = nullptr);

  void setFillLook(const GoFillLook &look);
  const GoFillLook &fillLook() const { return look_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  GoFillLook look_;
};

}  // namespace tarnik
