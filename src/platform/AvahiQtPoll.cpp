#include "platform/AvahiQtPoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <avahi-common/timeval.h>
#include <climits>

// Avahi declares these two types and leaves their definition to whoever provides the poll.
struct AvahiWatch {
  int fd = -1;
  AvahiWatchEvent lastEvents = static_cast<AvahiWatchEvent>(0);
  AvahiWatchCallback callback = nullptr;
  void *userdata = nullptr;
  QSocketNotifier *reader = nullptr;
  QSocketNotifier *writer = nullptr;
};

struct AvahiTimeout {
  AvahiTimeoutCallback callback = nullptr;
  void *userdata = nullptr;
  QTimer *timer = nullptr;
};

namespace tarnik {
namespace {

QObject *owner(const ::AvahiPoll *api) { return static_cast<QObject *>(api->userdata); }

// Avahi may free a watch or a timeout from inside its own callback, that is while Qt is
// still delivering the notifier's or timer's signal, so their Qt halves are silenced at
// once and deleted only when control is back in the event loop.
void retire(QObject *object) {
  object->disconnect();
  object->deleteLater();
}

void dispatch(AvahiWatch *watch, AvahiWatchEvent event) {
  watch->lastEvents = event;
  // The callback may free the watch: it must not be touched afterwards.
  watch->callback(watch, watch->fd, event, watch->userdata);
}

void watchUpdate(AvahiWatch *watch, AvahiWatchEvent events) {
  watch->reader->setEnabled(events & AVAHI_WATCH_IN);
  watch->writer->setEnabled(events & AVAHI_WATCH_OUT);
}

AvahiWatch *watchNew(const ::AvahiPoll *api, int fd, AvahiWatchEvent events,
                     AvahiWatchCallback callback, void *userdata) {
  auto *watch = new AvahiWatch{fd,
                               static_cast<AvahiWatchEvent>(0),
                               callback,
                               userdata,
                               new QSocketNotifier(fd, QSocketNotifier::Read, owner(api)),
                               new QSocketNotifier(fd, QSocketNotifier::Write, owner(api))};
  QObject::connect(watch->reader, &QSocketNotifier::activated,
                   [watch] { dispatch(watch, AVAHI_WATCH_IN); });
  QObject::connect(watch->writer, &QSocketNotifier::activated,
                   [watch] { dispatch(watch, AVAHI_WATCH_OUT); });
  watchUpdate(watch, events);
  return watch;
}

AvahiWatchEvent watchGetEvents(AvahiWatch *watch) { return watch->lastEvents; }

void watchFree(AvahiWatch *watch) {
  watch->reader->setEnabled(false);
  watch->writer->setEnabled(false);
  retire(watch->reader);
  retire(watch->writer);
  delete watch;
}

// Avahi gives absolute wall-clock times; Qt wants a delay from now.
void timeoutUpdate(AvahiTimeout *timeout, const struct timeval *when) {
  if (when == nullptr) {
    timeout->timer->stop();
    return;
  }
  const AvahiUsec remaining = -avahi_age(when);
  const AvahiUsec milliseconds = std::max<AvahiUsec>(0, (remaining + 999) / 1000);
  timeout->timer->start(static_cast<int>(std::min<AvahiUsec>(milliseconds, INT_MAX)));
}

AvahiTimeout *timeoutNew(const ::AvahiPoll *api, const struct timeval *when,
                         AvahiTimeoutCallback callback, void *userdata) {
  auto *timeout = new AvahiTimeout{callback, userdata, new QTimer(owner(api))};
  timeout->timer->setSingleShot(true);
  // A fired timeout stays disabled until Avahi re-arms it, which a single shot gives.
  QObject::connect(timeout->timer, &QTimer::timeout,
                   [timeout] { timeout->callback(timeout, timeout->userdata); });
  timeoutUpdate(timeout, when);
  return timeout;
}

void timeoutFree(AvahiTimeout *timeout) {
  timeout->timer->stop();
  retire(timeout->timer);
  delete timeout;
}

}  // namespace

AvahiQtPoll::AvahiQtPoll(QObject *parent)
    : QObject(parent), api_{this,      watchNew,   watchUpdate,   watchGetEvents,
                            watchFree, timeoutNew, timeoutUpdate, timeoutFree} {}

}  // namespace tarnik
