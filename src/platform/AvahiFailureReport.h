#pragma once

#include <QMetaObject>
#include <QString>

namespace tarnik {

// The one failure an Avahi object reports: only the first failure counts, and it reaches
// the owner's `failed(errorText)` signal from the event loop, never from inside a call on
// the owner, so a receiver may destroy the owner from its slot.
class AvahiFailureReport {
 public:
  bool hasFailed() const { return failed_; }

  template <typename Owner>
  void fail(Owner *owner, const QString &errorText) {
    if (failed_) return;
    failed_ = true;
    QMetaObject::invokeMethod(
        owner, [owner, errorText] { emit owner->failed(errorText); }, Qt::QueuedConnection);
  }

 private:
  bool failed_ = false;
};

}  // namespace tarnik
