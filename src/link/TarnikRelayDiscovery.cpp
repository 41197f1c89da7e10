#include "link/TarnikRelayDiscovery.h"

#include "foundation/TextRules.h"

#include <QPointer>

#include <algorithm>

namespace tarnik {

TarnikRelayDiscovery::TarnikRelayDiscovery(BonjourBrowserFactory makeBrowser, QObject *parent)
    : ObservableObject(parent), makeBrowser_(std::move(makeBrowser)) {}

void TarnikRelayDiscovery::start() {
  stop();
  const CallbackIdentity::Value generation = generation_.renew();
  const QPointer<TarnikRelayDiscovery> self(this);
  BonjourBrowseHandlers handlers;
  handlers.resultsChanged = [self, generation](const QList<OSCEndpoint> &results) {
    if (self != nullptr) {
      self->updateRelays(results, generation);
    }
  };
  handlers.failed = [self, generation](const QString &errorDescription) {
    if (self != nullptr) {
      self->browserFailed(errorDescription, generation);
    }
  };
  browser_ = makeBrowser_(QStringLiteral("_tarnik-relay._tcp"), std::move(handlers));
  publish(status_, QStringLiteral("Looking for nearby Macs. Keep Wi-Fi enabled on both devices."),
          &TarnikRelayDiscovery::statusChanged);
}

void TarnikRelayDiscovery::stop() {
  generation_.renew();
  browser_.reset();
  publish(relays_, QList<Relay>{}, &TarnikRelayDiscovery::relaysChanged);
}

void TarnikRelayDiscovery::updateRelays(const QList<OSCEndpoint> &results,
                                        CallbackIdentity::Value generation) {
  QList<Relay> relays;
  for (const OSCEndpoint &result : results) {
    if (const OSCEndpoint::Service *service = result.asService()) {
      relays.append(Relay{service->name, result});
    }
  }
  std::sort(relays.begin(), relays.end(),
            [](const Relay &lhs, const Relay &rhs) { return codePointLess(lhs.name, rhs.name); });
  QMetaObject::invokeMethod(
      this,
      [this, relays, generation] {
        if (generation_.isCurrent(generation)) {
          publish(relays_, relays, &TarnikRelayDiscovery::relaysChanged);
        }
      },
      Qt::QueuedConnection);
}

void TarnikRelayDiscovery::browserFailed(const QString &errorDescription,
                                         CallbackIdentity::Value generation) {
  QMetaObject::invokeMethod(
      this,
      [this, errorDescription, generation] {
        if (generation_.isCurrent(generation)) {
          publish(status_, QStringLiteral("Nearby discovery failed: ") + errorDescription,
                  &TarnikRelayDiscovery::statusChanged);
        }
      },
      Qt::QueuedConnection);
}

}  // namespace tarnik
