#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

namespace tarnik {

// One logind inhibitor lock. logind holds off what the lock names ("idle", "sleep", ...)
// for as long as the file descriptor it hands back stays open, so holding the lock is
// holding that descriptor and releasing it is closing it. The request is asynchronous: a
// slow or missing logind never blocks the caller, and without a bus nothing is taken and
// nothing fails.
class LogindInhibitor : public QObject {
  Q_OBJECT

 public:
  struct Request {
    QString what;  // colon-separated list, e.g. "idle" or "sleep"
    QString who;
    QString why;
    QString mode;  // "block" or "delay"
  };

  LogindInhibitor(QDBusConnection bus, Request request, QObject *parent = nullptr);

  // Asks for the lock unless it is already held or asked for.
  void acquire();
  // Closes the lock, and drops an answer still on its way.
  void release();
  bool isHeld() const;

 private:
  void take(const QDBusUnixFileDescriptor &lock, quint64 attempt);

  QDBusConnection bus_;
  Request request_;
  bool wanted_ = false;
  quint64 attempt_ = 0;
  QDBusUnixFileDescriptor lock_;
};

}  // namespace tarnik
