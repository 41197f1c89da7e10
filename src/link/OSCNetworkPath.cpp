#include "link/OSCNetworkPath.h"

#include "foundation/TextRules.h"
#include "link/OSCHostAddress.h"

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

std::optional<OSCNetworkPath> OSCNetworkPath::describe(const QHostAddress &localAddress) {
  const QHostAddress local = foldedHostAddress(localAddress);
  if (local.isNull()) return std::nullopt;
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

  return OSCNetworkPath{QStringLiteral("Satisfied via ") + kind +
                            QStringLiteral("; a private-IP route to Eos is required"),
                        names.isEmpty()
                            ? QStringLiteral("System-selected local endpoint")
                            : QStringLiteral("Interfaces: ") + names.join(QStringLiteral(", "))};
}

}  // namespace tarnik
