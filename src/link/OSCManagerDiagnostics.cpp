#include "foundation/TextRules.h"
#include "link/OSCManager.h"

#include <QNetworkInterface>

#include <algorithm>

namespace tarnik {

namespace {

QString interfaceKindText(QNetworkInterface::InterfaceType type) {
  switch (type) {
    case QNetworkInterface::Ethernet:
      return QStringLiteral("Ethernet");
    case QNetworkInterface::Wifi:
      return QStringLiteral("Wi-Fi");
    case QNetworkInterface::Loopback:
      return QStringLiteral("Loopback");
    default:
      return QStringLiteral("Other");
  }
}

bool hasAddressOfFamily(const QNetworkInterface &interface,
                        QAbstractSocket::NetworkLayerProtocol family) {
  const QList<QNetworkAddressEntry> entries = interface.addressEntries();
  return std::any_of(entries.begin(), entries.end(), [family](const QNetworkAddressEntry &entry) {
    return entry.ip().protocol() == family;
  });
}

}  // namespace

void OSCManager::transportDescription(const QString &endpointText, OSCTransport transport,
                                      OSCTCPFraming framing, Identity identity) {
  const QString transportText = transport == OSCTransport::udp
                                    ? QStringLiteral("UDP")
                                    : QStringLiteral("TCP • ") + displayText(framing);
  publishFor(identity, [this, endpointText, transportText, framing] {
    publish(effectiveEndpointDescription_, endpointText,
            &OSCManager::effectiveEndpointDescriptionChanged);
    publish(effectiveTransportDescription_, transportText,
            &OSCManager::effectiveTransportDescriptionChanged);
    publish(effectiveTCPFraming_, framing, &OSCManager::effectiveTCPFramingChanged);
  });
}

// The path of a ready socket: the interface that owns its local address, and the
// interfaces that are up for the same address family.
void OSCManager::pathDescription(const QAbstractSocket &socket, Identity identity) {
  const QHostAddress local = foldedAddress(socket.localAddress());
  if (local.isNull()) return;
  const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();

  QString kind = QStringLiteral("Other");
  for (const QNetworkInterface &interface : interfaces) {
    const QList<QNetworkAddressEntry> entries = interface.addressEntries();
    const bool ownsAddress = std::any_of(
        entries.begin(), entries.end(),
        [&local](const QNetworkAddressEntry &entry) { return isSameHost(entry.ip(), local); });
    if (ownsAddress) {
      kind = interfaceKindText(interface.type());
      break;
    }
  }
  QStringList names;
  for (const QNetworkInterface &interface : interfaces) {
    if (interface.flags().testFlag(QNetworkInterface::IsUp) &&
        hasAddressOfFamily(interface, local.protocol())) {
      names.append(interface.name());
    }
  }
  std::sort(names.begin(), names.end(), codePointLess);

  const QString pathText = QStringLiteral("Satisfied via ") + kind +
                           QStringLiteral("; a private-IP route to Eos is required");
  const QString localText = names.isEmpty()
                                ? QStringLiteral("System-selected local endpoint")
                                : QStringLiteral("Interfaces: ") + names.join(QStringLiteral(", "));
  publishFor(identity, [this, pathText, localText] {
    publish(networkPathDescription_, pathText, &OSCManager::networkPathDescriptionChanged);
    publish(localEndpointDescription_, localText, &OSCManager::localEndpointDescriptionChanged);
  });
}

void OSCManager::waitingDescription(const QString &detail, Identity identity) {
  connectionReady_ = false;
  publishConnectionState(identity, false, QStringLiteral("Waiting to connect — ") + detail,
                         std::nullopt);
}

void OSCManager::publishConnectionState(Identity identity, bool connected, const QString &stateText,
                                        const std::optional<QString> &error) {
  publishFor(identity, [this, connected, stateText, error] {
    publish(isConnected_, connected, &OSCManager::isConnectedChanged);
    publish(connectionStateDescription_, stateText, &OSCManager::connectionStateDescriptionChanged);
    publish(lastError_, error, &OSCManager::lastErrorChanged);
  });
}

void OSCManager::publishStatus(const QString &text) {
  onOwnThread([this, &text] {
    publishFor(activeConnectionID_,
               [this, text] { publish(lastError_, text, &OSCManager::lastErrorChanged); });
  });
}

}  // namespace tarnik
