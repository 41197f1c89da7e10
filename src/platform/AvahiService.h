#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace tarnik {

// One service instance as a browser reports it. A service seen over IPv4 and over IPv6 on
// the same interface is one AvahiService.
struct AvahiService {
  QString name;
  QString type;
  QString domain;
  int interfaceIndex = -1;  // -1: any interface
  QString interfaceName;    // empty when the index names no interface

  friend bool operator==(const AvahiService &, const AvahiService &) = default;
};

// Where a resolved service can be reached.
struct AvahiResolvedService {
  QString hostName;  // the service's host, such as "console.local"
  QString address;   // an IP literal; an IPv6 link-local address carries its "%interface"
  quint16 port = 0;

  friend bool operator==(const AvahiResolvedService &, const AvahiResolvedService &) = default;
};

}  // namespace tarnik

Q_DECLARE_METATYPE(tarnik::AvahiService)
Q_DECLARE_METATYPE(tarnik::AvahiResolvedService)
