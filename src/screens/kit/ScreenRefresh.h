#pragma once

#include <QObject>

#include <functional>

namespace tarnik {

class ObservableObject;

// Keeps a screen bound to the objects it shows, never polling them. After any
// objectWillChange() of an observed object the screen redraws once, on the next turn of the
// event loop, when every value of that change has landed; a burst of changes within one
// turn gives one redraw. The redraw reads what it needs, unpublished values included.
class ScreenRefresh : public QObject {
  Q_OBJECT

 public:
  // The screen owns its refresh; the redraw never runs after the screen is gone.
  ScreenRefresh(QObject *screen, std::function<void()> redraw);

  void observe(const ObservableObject &object);
  // The first drawing, when the screen is built.
  void redrawNow();

 private:
  void schedule();

  std::function<void()> redraw_;
  bool pending_ = false;
};

}  // namespace tarnik
