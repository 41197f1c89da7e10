#include "platform/AvahiServiceBrowser.h"

#include "platform/AvahiDaemonConnection.h"

#include <avahi-client/lookup.h>
#include <net/if.h>

namespace tarnik {
namespace {

QString interfaceName(int index) {
  char name[IF_NAMESIZE] = {};
  if (index < 0 || if_indextoname(static_cast<unsigned>(index), name) == nullptr) {
    return {};
  }
  return QString::fromLocal8Bit(name);
}

}  // namespace

AvahiServiceBrowser::AvahiServiceBrowser(const QString &type, QObject *parent) : QObject(parent) {
  auto connection = AvahiDaemonConnection::open();
  if (!connection) {
    fail(connection.error());
    return;
  }
  connection_ = std::move(*connection);
  connection_->setStateHandler([this](AvahiClientState state) {
    if (state == AVAHI_CLIENT_FAILURE) {
      fail(connection_->errorText());
    }
  });
  browser_ = avahi_service_browser_new(
      connection_->client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type.toUtf8().constData(),
      nullptr, AvahiLookupFlags(0),
      [](::AvahiServiceBrowser *browser, AvahiIfIndex interface, AvahiProtocol protocol,
         AvahiBrowserEvent event, const char *name, const char *type, const char *domain,
         AvahiLookupResultFlags, void *userdata) {
        browserEvent(browser, interface, protocol, event, name, type, domain, userdata);
      },
      this);
  if (browser_ == nullptr) {
    fail(connection_->errorText());
  }
}

AvahiServiceBrowser::~AvahiServiceBrowser() {
  if (browser_ != nullptr) {
    avahi_service_browser_free(browser_);
  }
}

void AvahiServiceBrowser::browserEvent(::AvahiServiceBrowser *, int interface, int protocol,
                                       int event, const char *name, const char *type,
                                       const char *domain, void *userdata) {
  auto *self = static_cast<AvahiServiceBrowser *>(userdata);
  if (event == AVAHI_BROWSER_FAILURE) {
    self->fail(self->connection_->errorText());
    return;
  }
  if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) {
    return;  // "cache exhausted" and "all for now" carry no service
  }
  const AvahiService service{QString::fromUtf8(name), QString::fromUtf8(type),
                             QString::fromUtf8(domain), interface, interfaceName(interface)};
  const bool changed = event == AVAHI_BROWSER_NEW ? self->table_.add(service, protocol)
                                                  : self->table_.remove(service, protocol);
  if (changed) {
    self->reportServices();
  }
}

void AvahiServiceBrowser::reportServices() {
  if (failure_.hasFailed()) {
    return;
  }
  QMetaObject::invokeMethod(
      this, [this, services = table_.services()] { emit servicesChanged(services); },
      Qt::QueuedConnection);
}

}  // namespace tarnik
