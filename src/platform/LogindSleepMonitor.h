#pragma once

#include "platform/LogindInhibitor.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace tarnik {

// Announces that the machine is about to sleep, early enough for the owner to act. It
// keeps a "delay" sleep inhibitor, so after logind's PrepareForSleep(true) the machine
// waits for us; the delay is let go once every willSleep() handler has run, and taken
// again on waking for the next time. Without a bus there is no notice and no failure.
class LogindSleepMonitor : public QObject {
  Q_OBJECT

 public:
  LogindSleepMonitor(QDBusConnection bus, const QString &who, const QString &why,
                     QObject *parent = nullptr);

 signals:
  void willSleep();

 private slots:
  void prepareForSleep(bool sleeping);

 private:
  LogindInhibitor delay_;
};

}  // namespace tarnik
