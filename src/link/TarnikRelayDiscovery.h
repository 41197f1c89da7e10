#pragma once

#include "foundation/CallbackIdentity.h"
#include "foundation/ObservableObject.h"
#include "link/BonjourBrowsing.h"
#include "link/OSCEndpoint.h"

#include <QList>
#include <QString>

#include <memory>

namespace tarnik {

// Finds the Macs that offer the phone relay ("_tarnik-relay._tcp") on the local network,
// for the connection screen: it starts browsing when shown and stops when hidden.
//
// Lives on the GUI thread. Each start or stop moves the generation on; whatever a browser
// reports is applied one event-loop turn later, and only if its generation is still the
// current one, so a stop or restart wins over every late report of an earlier browser.
class TarnikRelayDiscovery : public ObservableObject {
  Q_OBJECT

 public:
  struct Relay {
    QString name;          // the service instance name the Mac announces
    OSCEndpoint endpoint;  // the Bonjour service to connect to over the relay route

    QString id() const { return endpoint.description(); }
    friend bool operator==(const Relay &, const Relay &) = default;
  };

  Q_PROPERTY(QList<tarnik::TarnikRelayDiscovery::Relay> relays READ relays NOTIFY relaysChanged)
  Q_PROPERTY(QString status READ status NOTIFY statusChanged)

  explicit TarnikRelayDiscovery(BonjourBrowserFactory makeBrowser = avahiBrowserFactory(),
                                QObject *parent = nullptr);

  // (Re)starts browsing; safe to call while browsing.
  void start();
  // Stops browsing and empties the list at once; the status keeps its text.
  void stop();

  const QList<Relay> &relays() const { return relays_; }
  const QString &status() const { return status_; }

 signals:
  void relaysChanged(const QList<tarnik::TarnikRelayDiscovery::Relay> &relays);
  void statusChanged(const QString &status);

 private:
  void updateRelays(const QList<OSCEndpoint> &results, CallbackIdentity::Value generation);
  void browserFailed(const QString &errorDescription, CallbackIdentity::Value generation);

  QList<Relay> relays_;
  QString status_ = QStringLiteral("Nearby discovery stopped");
  std::unique_ptr<QObject> browser_;
  CallbackIdentity generation_;
  BonjourBrowserFactory makeBrowser_;
};

}  // namespace tarnik
