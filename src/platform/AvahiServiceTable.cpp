#include "platform/AvahiServiceTable.h"

#include <algorithm>

namespace tarnik {
namespace {

// The interface name is looked up when a report arrives and may be gone by the time the
// service is removed, so the index alone identifies the interface.
auto sameService(const AvahiService &service) {
  return [&service](const auto &entry) {
    return entry.service.interfaceIndex == service.interfaceIndex &&
           entry.service.name == service.name && entry.service.type == service.type &&
           entry.service.domain == service.domain;
  };
}

}  // namespace

bool AvahiServiceTable::add(const AvahiService &service, int protocol) {
  const auto entry = std::ranges::find_if(entries_, sameService(service));
  if (entry == entries_.end()) {
    entries_.append(Entry{service, {protocol}});
    return true;
  }
  if (!entry->protocols.contains(protocol)) {
    entry->protocols.append(protocol);
  }
  return false;
}

bool AvahiServiceTable::remove(const AvahiService &service, int protocol) {
  const auto entry = std::ranges::find_if(entries_, sameService(service));
  if (entry == entries_.end()) {
    return false;
  }
  entry->protocols.removeAll(protocol);
  if (!entry->protocols.isEmpty()) {
    return false;
  }
  entries_.erase(entry);
  return true;
}

QList<AvahiService> AvahiServiceTable::services() const {
  QList<AvahiService> services;
  services.reserve(entries_.size());
  for (const Entry &entry : entries_) {
    services.append(entry.service);
  }
  return services;
}

}  // namespace tarnik
