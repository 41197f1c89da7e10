#pragma once

#include "foundation/OSCTransportKinds.h"
#include "foundation/UptimeClock.h"
#include "link/OSCEndpoint.h"
#include "link/OSCMessage.h"

#include <QString>
#include <QUuid>

#include <functional>

namespace tarnik {

// A board user's command line as one probe connection saw it, with the uptime it arrived.
struct MoverContextObservation {
  QUuid requestID;
  OSCMessage message;
  double observedAt = 0;
};

// How the mover talks to the console, apart from the application's own connection: a
// long-lived main session and short probe sessions that observe the command line afresh.
// Every callback runs on the GUI thread.
class MoverOSCTransport {
 public:
  virtual ~MoverOSCTransport() = default;

  std::function<void(bool connected, bool verified)> onState;
  std::function<void(const OSCMessage &)> onMessage;
  std::function<void(const MoverContextObservation &)> onContext;
  std::function<void(const QString &)> onError;
  // The clock observations are stamped on. The controller that ages them hands its own.
  UptimeSource clock = systemUptime;

  virtual void connect(const OSCEndpoint &endpoint, OSCTCPFraming framing) = 0;
  virtual void disconnect() = 0;
  // False when there is no main session or it refused the message.
  virtual bool send(const OSCMessage &message) = 0;
  // False when a probe already runs or nothing is connected.
  virtual bool startProbe(const QUuid &requestID, int user) = 0;
  virtual void cancelProbe() = 0;
};

}  // namespace tarnik
