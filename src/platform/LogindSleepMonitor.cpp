#include "platform/LogindSleepMonitor.h"

#include "platform/LogindNames.h"

#include <QPointer>

namespace tarnik {

LogindSleepMonitor::LogindSleepMonitor(QDBusConnection bus, const QString &who, const QString &why,
                                       QObject *parent)
    : QObject(parent), delay_(bus, {QStringLiteral("sleep"), who, why, QStringLiteral("delay")}) {
  if (!bus.isConnected()) {
    return;
  }
  bus.connect(logind::service, logind::path, logind::managerInterface,
              QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
  delay_.acquire();
}

void LogindSleepMonitor::prepareForSleep(bool sleeping) {
  if (sleeping) {
    // A handler may end this monitor's owner, and with it the monitor.
    const QPointer<LogindSleepMonitor> self(this);
    emit willSleep();
    if (self) {
      delay_.release();
    }
  } else {
    delay_.acquire();
  }
}

}  // namespace tarnik
