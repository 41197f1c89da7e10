// The connection supervisor on its own: an unconnected connection, a form over a settings
// file of its own, virtual time, and a session that records what the supervisor asks of it.

#include "app/ConnectionSupervisor.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// Each call as one line, in order.
class RecordingSession final : public ConnectionSupervisor::Session {
 public:
  void resetSessionState(const QString &status) override { calls.append(u"reset: "_s + status); }
  void beginSession() override { calls.append(u"begin"_s); }
  void reportStatus(const QString &text) override { calls.append(u"status: "_s + text); }
  void startInitialSync() override { calls.append(u"sync"_s); }
  bool releaseOwnedFlash(const QString &action) override {
    calls.append(u"release: "_s + action);
    return true;
  }

  QStringList calls;
};

class Supervisor : public ::testing::Test {
 protected:
  // Before the members: the connection needs the application's event dispatcher.
  static void SetUpTestSuite() { ensureCoreApplication(); }

  static ConsoleConnectionProfile route(OSCTransport transport, OSCTCPFraming framing) {
    ConsoleConnectionProfile settings;
    settings.host = u"127.0.0.1"_s;
    settings.destinationPort = 3037;
    settings.transport = transport;
    settings.tcpFraming = framing;
    return settings;
  }

  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(u"settings.ini"_s)};
  OSCManager manager{5, 5};
  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  ConnectionForm form{settings, {}, {}};
  RecordingSession session;
  ConnectionSupervisor supervisor{manager, timing, form, session, {}};
};

TEST_F(Supervisor, ARefusedSubscribeIsALossAndAnAttemptThatStopsEarlyLeavesNoItem) {
  // A service is wanted but not yet followed: no route to retry on.
  supervisor.prepareServiceRoute(OSCEndpoint::service(u"Eos"_s, u"_osc._udp"_s, u"local."_s));
  supervisor.handleTransportStateChange(true);  // the connection is down: the subscribe is refused
  const QString reason = u"Could not subscribe on the ready connection"_s;
  const QString loss = reason + u" — cached data retained"_s;
  EXPECT_EQ(session.calls, (QStringList{u"begin"_s, u"status: Socket open — verifying Eos"_s,
                                        u"release: "_s + reason, u"reset: "_s + loss,
                                        u"status: "_s + loss + u" — retrying 1/5"_s}));
  session.calls.clear();
  timing->advance(0.5);
  EXPECT_TRUE(session.calls.isEmpty());
  EXPECT_EQ(supervisor.reconnectAttempt(), 0);
  supervisor.handleConnectionLoss(u"Lost"_s);
  EXPECT_EQ(session.calls.last(), u"status: Lost — cached data retained — retrying 1/5"_s);
  EXPECT_TRUE(supervisor.isReconnectScheduled());
}

TEST_F(Supervisor, TheDescriptionNamesTheRouteInUseElseTheForm) {
  EXPECT_EQ(supervisor.transportDescription(), u"Not configured"_s);
  form.setConsoleIP(u"10.0.0.5"_s);
  form.setCustomSendPort(u"3032"_s);
  const QString formRoute = u"10.0.0.5:3032 · TCP · Packet length (OSC 1.0)"_s;
  EXPECT_EQ(supervisor.transportDescription(), formRoute);

  supervisor.connectTo(route(OSCTransport::tcp, OSCTCPFraming::slip), std::nullopt);
  EXPECT_EQ(supervisor.transportDescription(), u"127.0.0.1:3037 · TCP · SLIP (OSC 1.1)"_s);
  // A followed service: the connection's endpoint text, with the framing even for UDP.
  supervisor.followService(OSCEndpoint::service(u"Eos"_s, u"_osc._udp"_s, u"local."_s),
                           route(OSCTransport::udp, OSCTCPFraming::slip), std::nullopt);
  EXPECT_EQ(supervisor.transportDescription(),
            manager.effectiveEndpointDescription() + u" · UDP · SLIP (OSC 1.1)"_s);

  supervisor.disconnect();
  EXPECT_EQ(supervisor.transportDescription(), formRoute);
}

}  // namespace
}  // namespace tarnik::testing
