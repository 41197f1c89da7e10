#include "link/AvahiEndpointResolver.h"

#include "platform/AvahiServiceResolver.h"

#include <net/if.h>

namespace tarnik {
namespace {

int interfaceIndex(const std::optional<QString> &interfaceName) {
  if (!interfaceName) {
    return -1;
  }
  const unsigned index = if_nametoindex(interfaceName->toLocal8Bit().constData());
  return index == 0 ? -1 : static_cast<int>(index);
}

}  // namespace

void AvahiEndpointResolver::resolve(const OSCEndpoint::Service &service, Completion completion) {
  auto *lookup = new AvahiServiceResolver(
      {service.name, service.type, service.domain, interfaceIndex(service.interfaceName), {}},
      this);
  // The resolver reports exactly once, always from the event loop.
  connect(lookup, &AvahiServiceResolver::resolved, lookup,
          [lookup, completion](const AvahiResolvedService &found) {
            lookup->deleteLater();
            completion(OSCEndpoint::HostPort{found.address, found.port});
          });
  connect(lookup, &AvahiServiceResolver::failed, lookup,
          [lookup, completion](const QString &errorText) {
            lookup->deleteLater();
            completion(std::unexpected(errorText));
          });
}

}  // namespace tarnik
