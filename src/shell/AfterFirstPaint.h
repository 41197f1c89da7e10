#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace tarnik {

// Runs an action once, on the event-loop turn after the window's first paint, so slow
// start-up work never holds up what the user sees first. Dies with the window.
class AfterFirstPaint : public QObject {
 public:
  AfterFirstPaint(QWidget &window, std::function<void()> action);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  std::function<void()> action_;
};

}  // namespace tarnik
