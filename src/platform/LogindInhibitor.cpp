#include "platform/LogindInhibitor.h"

#include "platform/LogindNames.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace tarnik {

LogindInhibitor::LogindInhibitor(QDBusConnection bus, Request request, QObject *parent)
    : QObject(parent), bus_(std::move(bus)), request_(std::move(request)) {}

void LogindInhibitor::acquire() {
  if (wanted_) {
    return;
  }
  wanted_ = true;
  if (!bus_.isConnected()) {
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      logind::service, logind::path, logind::managerInterface, QStringLiteral("Inhibit"));
  call << request_.what << request_.who << request_.why << request_.mode;
  auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, attempt = ++attempt_](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
            if (!reply.isError()) {
              take(reply.value(), attempt);
            }
          });
}

void LogindInhibitor::take(const QDBusUnixFileDescriptor &lock, quint64 attempt) {
  // A release (or a release and a new acquire) since the call went out makes this answer
  // stale; letting it go out of scope closes the descriptor and with it the lock.
  if (wanted_ && attempt == attempt_ && lock.isValid()) {
    lock_ = lock;
  }
}

void LogindInhibitor::release() {
  wanted_ = false;
  ++attempt_;
  lock_ = QDBusUnixFileDescriptor();
}

bool LogindInhibitor::isHeld() const { return lock_.isValid(); }

}  // namespace tarnik
