#pragma once

#include "platform/AvahiService.h"

#include <QList>

namespace tarnik {

// The services a browser currently sees. Avahi reports a service once per interface and
// protocol; the table keeps one entry per interface and service, which lives as long as
// one of its protocol reports does. Entries keep the order in which they first appeared.
class AvahiServiceTable {
 public:
  // Each returns whether the list of services changed.
  bool add(const AvahiService &service, int protocol);
  bool remove(const AvahiService &service, int protocol);

  QList<AvahiService> services() const;

 private:
  struct Entry {
    AvahiService service;
    QList<int> protocols;
  };
  QList<Entry> entries_;
};

}  // namespace tarnik
