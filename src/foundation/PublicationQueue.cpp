#include "foundation/PublicationQueue.h"

namespace tarnik {

PublicationQueue::PublicationQueue(QObject &owner, const CallbackIdentity &identity)
    : owner_(owner), identity_(identity) {}

void PublicationQueue::enqueue(CallbackIdentity::Value identity, std::function<void()> change) {
  entries_.push_back({++lastSerial_, identity, std::move(change)});
  if (!posted_) {
    posted_ = true;
    QMetaObject::invokeMethod(
        &owner_, [this] { run(); }, Qt::QueuedConnection);
  }
}

void PublicationQueue::run() {
  // Runs what was waiting when this turn began; what the handlers cause meanwhile waits for
  // the next turn. Entries are taken one at a time, so an event loop nested in a handler goes
  // on with the next one in order. Each checks its identity as it runs.
  posted_ = false;
  const quint64 last = lastSerial_;
  while (!entries_.empty() && entries_.front().serial <= last) {
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    if (identity_.isCurrent(entry.identity)) entry.change();
  }
}

}  // namespace tarnik
