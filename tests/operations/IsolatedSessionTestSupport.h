#pragma once

// What the tests of the isolated sessions share: a console double on loopback, virtual
// time for the step deadlines, and a reading of what the session sent.

#include "link/OSCEndpoint.h"
#include "operations/EosIsolatedSession.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace tarnik::testing {

// Turns the event loop until the condition holds, woken by every event rather than
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

// A TCP framing, and the cue the console shows as active, which changes every Live echo.
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

struct ConsoleRig {
  explicit ConsoleRig(const SessionCase &session) : framing(session.framing) {
    console.activeCue = session.activeCue;
    QObject::connect(&console, &EosConsoleDouble::requestReceived, &console,
                     [this](const OSCMessage &request) { ++seenCount[label(request)]; });
  }

  EosIsolatedSession::Options options() const {
    EosIsolatedSession::Options made;
    made.timeoutScheduler = clock;
    return made;
  }

  OSCEndpoint endpoint() const {
    return OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), console.tcpPort(framing));
  }

  // A typed line (a barrier marker as "<marker>"), or else the request's address.
  static QString label(const OSCMessage &request) {
    const QString *line = request.address == u"/eos/newcmd" && request.arguments.size() == 1
                              ? std::get_if<QString>(&request.arguments[0].value)
                              : nullptr;
    if (!line) return request.address;
    return line->startsWith(u"Chan 1 +") || line->startsWith(u"Chan 1 -")
               ? QStringLiteral("<marker>")
               : *line;
  }

  // The lines typed and the keys pressed, in order.
  QStringList typed() const {
    QStringList lines;
    for (const OSCMessage &request : console.requests()) {
      if (request.address == u"/eos/newcmd" || request.address.startsWith(u"/eos/key/"))
        lines.append(label(request));
    }
    return lines;
  }

  // Every request but the transport's own verification (version, processors, pings).
  QStringList sessionRequests() const {
    QStringList addresses;
    for (const OSCMessage &request : console.requests()) {
      if (!QStringList{"/eos/get/version", "/eos/get/processors", "/eos/ping"}.contains(
              request.address))
        addresses.append(request.address);
    }
    return addresses;
  }

  // The Live line a console in this cue state shows for a body.
  QString liveLine(const QString &body) const {
    return (console.activeCue ? QStringLiteral("LIVE: Cue %1 :").arg(*console.activeCue)
                              : QStringLiteral("LIVE:")) +
           (body.isEmpty() ? QString() : u' ' + body);
  }

  // Runs the action when the console receives this request (its label, with "#n" for the
  // n-th one), before the console answers it.
  void on(const QString &trigger, std::function<void()> action) {
    QObject::connect(&console, &EosConsoleDouble::requestReceived, &console,
                     [this, trigger, action](const OSCMessage &request) {
                       const QString seen = label(request);
                       const int count = seenCount.value(seen);
                       if (trigger == seen + (count > 1 ? QStringLiteral("#%1").arg(count) : ""))
                         action();
                     });
  }

  // The console answers nothing more, and the step deadline passes.
  void fallQuiet() {
    console.silent = true;
    QMetaObject::invokeMethod(
        &console, [this] { clock->advance(8); }, Qt::QueuedConnection);
  }

  OSCTCPFraming framing;
  EosConsoleDouble console;
  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  QHash<QString, int> seenCount;
};

}  // namespace tarnik::testing
