#pragma once

// Real input under the X server of with-xvfb.sh: xdotool moves the pointer, clicks and types.

#include "support/ProcessRunner.h"

#include <QKeyEvent>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace tarnik::testing {

inline bool xdotool(const QStringList &arguments) {
  const auto result =
      ProcessRunner::run(QStringLiteral("xdotool"), arguments, std::chrono::seconds(20));
  return result && result->exitCode == 0;
}

// A click in the middle of a widget of the window, as a person makes it: button 1 is the
// left one, 4 and 5 turn the wheel up and down.
inline bool clickCentre(QWidget &window, const QWidget &target,
                        const QString &button = QStringLiteral("1")) {
  const QPoint at = target.mapTo(&window, target.rect().center());
  return xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                  QString::number(window.winId()), QString::number(at.x()), QString::number(at.y()),
                  QStringLiteral("click"), button});
}

// Counts the releases of one key that a window has taken in, so a test knows a key it typed
// has been handled, whether or not any control took it.
class KeyReleaseCount : public QObject {
 public:
  KeyReleaseCount(QWidget &window, Qt::Key key) : key_(key) {
    window.windowHandle()->installEventFilter(this);
  }
  int count() const { return count_; }

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent *>(event)->key() == key_)
      ++count_;
    return false;
  }

 private:
  Qt::Key key_;
  int count_ = 0;
};

}  // namespace tarnik::testing
