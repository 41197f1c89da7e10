#include "link/OSCEndpoint.h"

#include <QHostAddress>

namespace tarnik {

OSCEndpoint OSCEndpoint::hostPort(QString host, quint16 port) {
  return {HostPort{std::move(host), port}};
}

OSCEndpoint OSCEndpoint::service(QString name, QString type, QString domain,
                                 std::optional<QString> interfaceName) {
  return {Service{std::move(name), std::move(type), std::move(domain), std::move(interfaceName)}};
}

QString OSCEndpoint::description() const {
  if (const HostPort *target = asHostPort()) {
    const bool isIPv6Literal =
        QHostAddress(target->host).protocol() == QAbstractSocket::IPv6Protocol;
    const QString host = isIPv6Literal ? u'[' + target->host + u']' : target->host;
    return host + u':' + QString::number(target->port);
  }
  const Service &service = std::get<Service>(value);
  const QString domain = service.domain.isEmpty() ? QStringLiteral("local.") : service.domain;
  QString text = service.name + u'.' + service.type + u'.' + domain;
  if (service.interfaceName) text += u'%' + *service.interfaceName;
  return text;
}

}  // namespace tarnik
