#pragma once

// A level scrubber with its level and dragging flag held by the test, and a log of what it
// reported, in order.

#include "screens/patch/LevelScrubber.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace tarnik::testing {

struct ScrubberHarness {
  ScrubberHarness(int width = 224) {
    scrubber = std::make_unique<LevelScrubber>(LevelScrubber::Bindings{
        .value = [this] { return level; },
        .setValue = [this](double value) { level = value; },
        .isDragging = [this] { return dragging; },
        .setDragging = [this](bool value) { dragging = value; },
    });
    QObject::connect(scrubber.get(), &LevelScrubber::begun, [this] { log << u"begin"_qs; });
    QObject::connect(scrubber.get(), &LevelScrubber::changed,
                     [this](double value) { log << u"change %1"_qs.arg(value); });
    QObject::connect(scrubber.get(), &LevelScrubber::committed,
                     [this](double value) { log << u"commit %1"_qs.arg(value); });
    QObject::connect(scrubber.get(), &LevelScrubber::cancelled, [this] { log << u"cancel"_qs; });
    scrubber->resize(width, scrubber->sizeHint().height());
  }

  // A mouse event at x on the track's middle line, with the left button held as given.
  static void mouse(QWidget &widget, QEvent::Type type, double x, bool held) {
    const QPointF at(x, 12);
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
                      held ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
  }
  void press(double x) { mouse(*scrubber, QEvent::MouseButtonPress, x, true); }
  void move(double x) { mouse(*scrubber, QEvent::MouseMove, x, true); }
  void release(double x) { mouse(*scrubber, QEvent::MouseButtonRelease, x, false); }

  double level = 0;
  bool dragging = false;
  QStringList log;
  std::unique_ptr<LevelScrubber> scrubber;
};

}  // namespace tarnik::testing
