#pragma once

#include "foundation/CallbackIdentity.h"

#include <QObject>

#include <deque>
#include <functional>

namespace tarnik {

// Changes to published values, run one event-loop turn after they were asked for, in the
// order asked, each only if the identity it was made for is still current when it runs.
// The work that causes a change never runs the screens' handlers in its midst, and a
// teardown drops everything still waiting for the attempt it ended.
class PublicationQueue {
 public:
  // Runs on the owner's thread; the owner outlives the queue's pending turn because it
  // owns the queue (a turn posted to a destroyed owner is dropped with it).
  PublicationQueue(QObject &owner, const CallbackIdentity &identity);

  void enqueue(CallbackIdentity::Value identity, std::function<void()> change);

 private:
  struct Entry {
    quint64 serial;
    CallbackIdentity::Value identity;
    std::function<void()> change;
  };

  void run();

  QObject &owner_;
  const CallbackIdentity &identity_;
  // A deque gives its blocks back as it drains, so a burst leaves no memory behind.
  std::deque<Entry> entries_;
  quint64 lastSerial_ = 0;
  bool posted_ = false;
};

}  // namespace tarnik
