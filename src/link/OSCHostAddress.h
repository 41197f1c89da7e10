#pragma once

#include <QHostAddress>

namespace tarnik {

// IPv4-mapped IPv6 addresses become plain IPv4 ones.
QHostAddress foldedHostAddress(const QHostAddress &address);

// The same host, whether either side is written as an IPv4-mapped IPv6 address; the scope
// counts only when the expected address names one, by interface index or name.
bool isSameHost(const QHostAddress &address, const QHostAddress &expected);

}  // namespace tarnik
