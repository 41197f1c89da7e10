#pragma once

// What the tests of the isolated sessions share: a console double on loopback, virtual
// time for the step deadlines, and a reading of what the session typed.

#include "foundation/OSCTransportKinds.h"
#include "link/OSCEndpoint.h"
#include "operations/EosIsolatedSession.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace tarnik::testing {

// Waits for the condition by turning the event loop, waking at every event rather than
// polling: a session's run is dozens of round trips, each of which a poll would delay.
template <class Condition>
bool spinUntil(Condition condition, int milliseconds = 10000) {
  const QDeadlineTimer deadline(milliseconds);
  QTimer wake;  // so that the deadline is seen while nothing else happens
  wake.start(20);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return true;
}

// A TCP framing and whether a cue is active, which changes every Live echo's form.
struct SessionCase {
  OSCTCPFraming framing;
  std::optional<QString> activeCue;
};

inline void PrintTo(const SessionCase &session, std::ostream *out) {
  *out << (session.framing == OSCTCPFraming::slip ? "SLIP" : "PacketLength")
       << (session.activeCue ? "CueActive" : "NoCue");
}

inline std::string sessionCaseName(const ::testing::TestParamInfo<SessionCase> &info) {
  std::ostringstream out;
  PrintTo(info.param, &out);
  return out.str();
}

inline const SessionCase sessionCases[] = {
    {OSCTCPFraming::packetLength, std::nullopt},
    {OSCTCPFraming::slip, std::nullopt},
    {OSCTCPFraming::packetLength, QStringLiteral("12")},
    {OSCTCPFraming::slip, QStringLiteral("2.5")},
};

// A console double, virtual time for the deadlines and readings of what a session sent.
struct ConsoleRig {
  explicit ConsoleRig(const SessionCase &session) : framing(session.framing) {
    console.activeCue = session.activeCue;
  }

  EosIsolatedSession::Options options() const {
    EosIsolatedSession::Options made;
    made.timeoutScheduler = clock;
    made.timeout = 8.0;
    return made;
  }

  OSCEndpoint endpoint() const {
    return OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), console.tcpPort(framing));
  }

  // The lines the session typed (a barrier marker as "<marker>") and the keys it pressed.
  QStringList typed() const {
    QStringList lines;
    for (const OSCMessage &request : console.requests()) {
      if (request.address == u"/eos/newcmd" && request.arguments.size() == 1) {
        const QString *line = std::get_if<QString>(&request.arguments[0].value);
        lines.append(!line ? QStringLiteral("?")
                     : line->startsWith(u"Chan 1 +") || line->startsWith(u"Chan 1 -")
                         ? QStringLiteral("<marker>")
                         : *line);
      } else if (request.address.startsWith(u"/eos/key/")) {
        lines.append(request.address);
      }
    }
    return lines;
  }

  // Every request but the transport's own verification (version, processors, pings).
  QStringList sessionRequests() const {
    QStringList addresses;
    for (const OSCMessage &request : console.requests()) {
      if (request.address != u"/eos/get/version" && request.address != u"/eos/get/processors" &&
          request.address != u"/eos/ping")
        addresses.append(request.address);
    }
    return addresses;
  }

  // The Live line a console in this cue state shows for a body.
  QString liveLine(const QString &body) const {
    return (console.activeCue ? QStringLiteral("LIVE: Cue %1 : ").arg(*console.activeCue)
                              : QStringLiteral("LIVE: ")) +
           body;
  }

  // Runs `action` whenever the console receives a request at this address, or this typed
  // line, before the console answers it.
  template <class Action>
  void onRequest(const QString &addressOrLine, Action action) {
    QObject::connect(&console, &EosConsoleDouble::requestReceived, &console,
                     [addressOrLine, action](const OSCMessage &request) mutable {
                       const QString *line = request.arguments.size() == 1
                                                 ? std::get_if<QString>(&request.arguments[0].value)
                                                 : nullptr;
                       if (request.address == addressOrLine || (line && *line == addressOrLine))
                         action();
                     });
  }

  OSCTCPFraming framing;
  EosConsoleDouble console;
  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
};

}  // namespace tarnik::testing
