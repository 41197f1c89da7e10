#pragma once

// The first-paint probe the two window-opening programs share: when the window's first
// paint arrives it prints the monotonic clock (nanoseconds, the clock the benchmark started
// the process on) and ends the event loop. The product never installs it.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace tarnik::bench {

class FirstPaintProbe : public QObject {
 public:
  using QObject::QObject;

  static void install(QWidget &window) { window.installEventFilter(new FirstPaintProbe(&window)); }

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
      std::fflush(stdout);
      QMetaObject::invokeMethod(
          qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace tarnik::bench
