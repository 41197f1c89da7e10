#include "link/OSCHostAddress.h"

#include <QNetworkInterface>

#include <cstring>

namespace tarnik {

QHostAddress foldedHostAddress(const QHostAddress &address) {
  bool isIPv4 = false;
  const quint32 ipv4 = address.toIPv4Address(&isIPv4);
  return isIPv4 ? QHostAddress(ipv4) : address;
}

bool isSameHost(const QHostAddress &address, const QHostAddress &expected) {
  const QHostAddress lhs = foldedHostAddress(address);
  const QHostAddress rhs = foldedHostAddress(expected);
  if (lhs.protocol() != rhs.protocol()) return false;
  if (lhs.protocol() == QAbstractSocket::IPv4Protocol)
    return lhs.toIPv4Address() == rhs.toIPv4Address();
  const Q_IPV6ADDR left = lhs.toIPv6Address();
  const Q_IPV6ADDR right = rhs.toIPv6Address();
  if (std::memcmp(left.c, right.c, sizeof left.c) != 0) return false;
  if (rhs.scopeId().isEmpty()) return true;
  const auto scopeIndex = [](const QString &scope) {
    bool isNumber = false;
    const int index = scope.toInt(&isNumber);
    return isNumber ? index : QNetworkInterface::interfaceIndexFromName(scope);
  };
  return scopeIndex(lhs.scopeId()) == scopeIndex(rhs.scopeId());
}

}  // namespace tarnik
