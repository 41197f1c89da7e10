#include "screens/kit/ScreenRefresh.h"

#include "foundation/ObservableObject.h"

namespace tarnik {

ScreenRefresh::ScreenRefresh(QObject *screen, std::function<void()> redraw)
    : QObject(screen), redraw_(std::move(redraw)) {}

void ScreenRefresh::observe(const ObservableObject &object) {
  connect(&object, &ObservableObject::objectWillChange, this, &ScreenRefresh::schedule);
}

void ScreenRefresh::redrawNow() {
  pending_ = false;
  redraw_();
}

void ScreenRefresh::schedule() {
  if (pending_) {
    return;
  }
  pending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (pending_) {
          redrawNow();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace tarnik
