#include "platform/AvahiServiceResolver.h"

#include "platform/AvahiDaemonConnection.h"

#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <net/if.h>

namespace tarnik {
namespace {

QString addressText(const AvahiAddress &address, AvahiIfIndex interface) {
  char text[AVAHI_ADDRESS_STR_MAX] = {};
  avahi_address_snprint(text, sizeof text, &address);
  QString result = QString::fromLatin1(text);
  // A link-local IPv6 address is only reachable through the interface it was seen on.
  const bool linkLocal = address.proto == AVAHI_PROTO_INET6 &&
                         address.data.ipv6.address[0] == 0xfe &&
                         (address.data.ipv6.address[1] & 0xc0) == 0x80;
  char name[IF_NAMESIZE] = {};
  if (linkLocal && interface >= 0 &&
      if_indextoname(static_cast<unsigned>(interface), name) != nullptr) {
    result += QLatin1Char('%') + QString::fromLocal8Bit(name);
  }
  return result;
}

}  // namespace

AvahiServiceResolver::AvahiServiceResolver(const AvahiService &service, QObject *parent)
    : QObject(parent) {
  auto connection = AvahiDaemonConnection::open();
  if (!connection) {
    finish([this, text = connection.error()] { emit failed(text); });
    return;
  }
  connection_ = std::move(*connection);
  connection_->setStateHandler([this](AvahiClientState state) {
    if (state == AVAHI_CLIENT_FAILURE) {
      finish([this, text = connection_->errorText()] { emit failed(text); });
    }
  });
  const QByteArray domain = service.domain.toUtf8();
  resolver_ = avahi_service_resolver_new(
      connection_->client(), service.interfaceIndex < 0 ? AVAHI_IF_UNSPEC : service.interfaceIndex,
      AVAHI_PROTO_UNSPEC, service.name.toUtf8().constData(), service.type.toUtf8().constData(),
      domain.isEmpty() ? nullptr : domain.constData(), AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0),
      [](::AvahiServiceResolver *, AvahiIfIndex interface, AvahiProtocol, AvahiResolverEvent event,
         const char *, const char *, const char *, const char *hostName,
         const AvahiAddress *address, uint16_t port, AvahiStringList *, AvahiLookupResultFlags,
         void *userdata) {
        auto *self = static_cast<AvahiServiceResolver *>(userdata);
        if (event == AVAHI_RESOLVER_FOUND && address != nullptr) {
          const AvahiResolvedService found{QString::fromUtf8(hostName),
                                           addressText(*address, interface), port};
          self->finish([self, found] { emit self->resolved(found); });
        } else {
          self->finish([self, text = self->connection_->errorText()] { emit self->failed(text); });
        }
      },
      this);
  if (resolver_ == nullptr) {
    finish([this, text = connection_->errorText()] { emit failed(text); });
  }
}

AvahiServiceResolver::~AvahiServiceResolver() {
  if (resolver_ != nullptr) {
    avahi_service_resolver_free(resolver_);
  }
}

void AvahiServiceResolver::finish(std::function<void()> report) {
  if (finished_) {
    return;
  }
  finished_ = true;
  QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
}

}  // namespace tarnik
