#pragma once

// The isolated sessions' tests: a console double on loopback, virtual time for the step
// deadlines, and a reading of what the session sent.

#include "link/OSCEndpoint.h"
#include "link/OSCManager.h"  // a session's options own their transport
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
#include <string>

namespace tarnik::testing {

// Turns the event loop, woken by every event rather than polling: a session's run is
// dozens of round trips, and a poll would delay each of them.
template <class Condition>
bool spinUntil(Condition condition, int milliseconds = 10000) {
  const QDeadlineTimer deadline(milliseconds);
  QTimer wake;  // so that the deadline is seen while nothing else happens
  wake.start(20);
  while (!condition() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return condition();
}

// A TCP framing, and the cue the console shows as active, which changes every Live echo.
struct SessionCase {
  OSCTCPFraming framing;
  std::optional<QString> activeCue;
};

inline std::string sessionCaseName(const ::testing::TestParamInfo<SessionCase> &info) {
  return std::string(info.param.framing == OSCTCPFraming::slip ? "SLIP" : "PacketLength") +
         (info.param.activeCue ? "CueActive" : "NoCue");
}

inline const SessionCase sessionCases[] = {{OSCTCPFraming::packetLength, std::nullopt},
                                           {OSCTCPFraming::slip, std::nullopt},
                                           {OSCTCPFraming::packetLength, QStringLiteral("12")},
                                           {OSCTCPFraming::slip, QStringLiteral("2.5")}};

// The console answers the request with one fixed message; an int answer to "/eos/user/auto"
// also becomes the asking connection's user.
inline void answer(EosConsoleDouble &console, const QString &request, OSCMessage reply) {
  console.setHandler(request, [reply](const OSCMessage &asked, EosConsoleDouble::Asker &asker) {
    const auto *user =
        reply.arguments.isEmpty() ? nullptr : std::get_if<qint32>(&reply.arguments[0].value);
    if (user && asked.address == u"/eos/user/auto") asker.setUser(*user);
    return QList<OSCMessage>{reply};
  });
}

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
    return line->startsWith(u"Chan 1 +") || line->startsWith(u"Chan 1 -") ? "<marker>" : *line;
  }

  // With `typing`, the lines typed and keys pressed; else every request but the
  // transport's own verification.
  QStringList sent(bool typing) const {
    QStringList labels;
    for (const OSCMessage &request : console.requests()) {
      const bool typed =
          request.address == u"/eos/newcmd" || request.address.startsWith(u"/eos/key/");
      if (typing ? typed
                 : !QStringList{"/eos/get/version", "/eos/get/processors", "/eos/ping"}.contains(
                       request.address))
        labels.append(typing ? label(request) : request.address);
    }
    return labels;
  }
  QStringList typed() const { return sent(true); }

  // The Live line a console in this cue state shows for a body.
  QString liveLine(const QString &body) const {
    return (console.activeCue ? QStringLiteral("LIVE: Cue %1 :").arg(*console.activeCue)
                              : QStringLiteral("LIVE:")) +
           (body.isEmpty() ? QString() : u' ' + body);
  }

  // Runs the action when the console receives this request (its label, "#n" for the n-th),
  // before the console answers it.
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
