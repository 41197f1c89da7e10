#include "link/OSCServiceDiscovery.h"

#include <QPointer>

namespace tarnik {

OSCServiceDiscovery::OSCServiceDiscovery(BonjourBrowserFactory makeBrowser, QObject *parent)
    : QObject(parent), makeBrowser_(std::move(makeBrowser)) {}

void OSCServiceDiscovery::start() {
  // A queued call is dropped when the object is gone by the time it would run.
  QMetaObject::invokeMethod(this, &OSCServiceDiscovery::restart, Qt::QueuedConnection);
}

void OSCServiceDiscovery::restart() {
  browser_.reset();
  const CallbackIdentity::Value identity = browserID_.renew();
  const QPointer<OSCServiceDiscovery> self(this);
  BonjourBrowseHandlers handlers;
  handlers.resultsChanged = [self, identity](const QList<OSCEndpoint> &results) {
    if (self == nullptr || !self->browserID_.isCurrent(identity)) {
      return;
    }
    QMetaObject::invokeMethod(
        self.get(),
        [self, identity, results] {
          if (self->browserID_.isCurrent(identity)) {
            emit self->servicesReplaced(results);
          }
        },
        Qt::QueuedConnection);
  };
  handlers.failed = [self, identity](const QString &errorDescription) {
    if (self != nullptr && self->browserID_.isCurrent(identity)) {
      emit self->failed(QStringLiteral("OSC discovery failed: ") + errorDescription);
    }
  };
  browser_ = makeBrowser_(QStringLiteral("_osc._udp"), std::move(handlers));
}

}  // namespace tarnik
