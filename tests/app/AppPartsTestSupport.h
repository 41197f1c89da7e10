#pragma once

// The model's parts built without the model: a main connection to the console double on TCP,
// a form over a settings file of its own, virtual time, and a supervisor whose session
// callbacks move the session identity on as the model does. The show mirror, the control
// gate and what the gate asks are real; nothing routes the console's replies to the mirror,
// so a sync a part starts stays open until `settle` ends it.

#include "app/ConnectionSupervisor.h"
#include "app/ControlGate.h"
#include "app/ShowMirror.h"
#include "link/OSCManagerTestSupport.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik::testing {

class AppPartsTest : public ::testing::Test {
 protected:
  static constexpr QStringView showPath = u"/shows/patch.esf";

  // Before the members: the connection needs the application's event dispatcher.
  static void SetUpTestSuite() { ensureCoreApplication(); }

  AppPartsTest() {
    manager->setPingReplyClock([clock = timing] { return clock->uptime(); });
  }

  // Connected through the supervisor and answering pings, with the show on screen current.
  bool connect() {
    ConsoleConnectionProfile route;
    route.host = QStringLiteral("127.0.0.1");
    route.destinationPort = console.tcpPort(OSCTCPFraming::packetLength);
    route.transport = OSCTransport::tcp;
    route.tcpFraming = OSCTCPFraming::packetLength;
    supervisor.bindConnectionState();
    supervisor.connectTo(route, std::nullopt);
    if (!waitUntil([&] { return manager->isConnected(); })) return false;
    manager->sendPing();
    if (!waitUntil([&] { return supervisor.isConsoleReachable(); })) return false;
    settle();
    return true;
  }

  // Ends any sync a part started, as if it had completed: the show on screen is this
  // session's sync of the show the console holds.
  void settle() {
    mirror.resetSession();
    session.liveShowIdentity = showPath.toString();
    session.publishedShowIdentity = showPath.toString();
    session.completedSyncSessionID = session.id;
  }

  // What the supervisor asks of the model: only the session identity matters here.
  class Callbacks final : public ConnectionSupervisor::Session {
   public:
    explicit Callbacks(ConsoleSession &session) : session_(session) {}
    void resetSessionState(const QString &) override { session_.id = QUuid::createUuid(); }
    void beginSession() override { session_.id = QUuid::createUuid(); }
    void reportStatus(const QString &) override {}
    void startInitialSync() override {}
    bool releaseOwnedFlash(const QString &) override { return true; }

   private:
    ConsoleSession &session_;
  };

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(QStringLiteral("settings.ini"))};
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  ConsoleSession session;
  Callbacks callbacks{session};
  ConnectionForm form{settings, {}, {}};
  ConnectionSupervisor supervisor{*manager, timing, form, callbacks, {}};
  ShowMirror mirror{*manager, timing, session, supervisor.reconnectFailureStatus(), 30, 2};
  ConsoleCommandLine commandLine{timing};
  IdentifyFlash flash{*manager, session, commandLine};
  ControlGate gate{*manager, timing, form, supervisor, mirror, commandLine, flash};
};

}  // namespace tarnik::testing
