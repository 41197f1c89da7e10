#pragma once

#include "link/OSCEndpoint.h"

#include <QObject>

namespace tarnik {

// Resolves Bonjour service endpoints through the Avahi daemon, for OSCManager and the
// relay server. Lives on the thread that asks; each completion runs there once, with the
// address literal and port, or with Avahi's error text ("Timeout reached", "Daemon not
// running", ...). Lookups still running when the resolver goes are abandoned and never
// complete.
class AvahiEndpointResolver : public QObject, public OSCServiceResolver {
  Q_OBJECT

 public:
  using QObject::QObject;

  void resolve(const OSCEndpoint::Service &service, Completion completion) override;
};

}  // namespace tarnik
