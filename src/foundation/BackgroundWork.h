#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <utility>

namespace tarnik {

// Runs work that would hold up the GUI thread (heavy decoding, a call that may wait for the
// person) on the shared thread pool and hands its result back on the GUI thread. The
// hand-back is posted to the application object, which outlives the work, and only there,
// on the GUI thread, is the receiver checked: a receiver deleted meanwhile is never touched
// from the worker.
template <class Work, class Deliver>
void runInBackground(QObject *receiver, Work work, Deliver deliver) {
  QThreadPool::globalInstance()->start([guard = QPointer<QObject>(receiver), work, deliver]() {
    auto result = work();
    QCoreApplication *application = QCoreApplication::instance();
    if (!application) return;
    QMetaObject::invokeMethod(
        application,
        [guard, deliver, result = std::move(result)]() {
          if (guard) deliver(result);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tarnik
