#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace tarnik {

// The path texts of a ready console socket, from its local address: the kind of interface
// that owns the address, and the interfaces that are up for the same address family.
struct OSCNetworkPath {
  QString pathText;   // "Satisfied via Loopback; a private-IP route to Eos is required"
  QString localText;  // "Interfaces: eth0, lo"

  // Nothing for a socket without a local address.
  static std::optional<OSCNetworkPath> describe(const QHostAddress &localAddress);
};

}  // namespace tarnik
