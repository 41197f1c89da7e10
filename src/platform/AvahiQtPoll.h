#pragma once

#include <QObject>

#include <avahi-common/watch.h>

namespace tarnik {

// Runs Avahi's client library on the Qt event loop of the thread that owns this object:
// Avahi's file-descriptor watches become QSocketNotifiers and its timeouts single-shot
// QTimers, so Avahi never blocks in a loop of its own. Every Avahi object made with api()
// must be freed before this poll is destroyed.
class AvahiQtPoll : public QObject {
  Q_OBJECT

 public:
  explicit AvahiQtPoll(QObject *parent = nullptr);

  const ::AvahiPoll *api() const { return &api_; }

 private:
  ::AvahiPoll api_;
};

}  // namespace tarnik
