#include "shell/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tarnik {

AfterFirstPaint::AfterFirstPaint(QWidget &window, std::function<void()> action)
    : QObject(&window), action_(std::move(action)) {
  window.installEventFilter(this);
}

bool AfterFirstPaint::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Paint) {
    watched->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] {
      action_();
      deleteLater();
    });
  }
  return false;
}

}  // namespace tarnik
