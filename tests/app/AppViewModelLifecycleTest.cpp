// The connection lifecycle against the console double, on virtual time for the model's
// windows (heartbeat, freshness, back-off) and the real event loop for the sockets.

#include "AppViewModelTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

#include <QTcpServer>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

struct Route {
  const char *name;
  OSCTransport transport;
  OSCTCPFraming framing;
};

void PrintTo(const Route &route, std::ostream *out) { *out << route.name; }

const QString lost = u"Connection lost — cached data retained"_s;

class Lifecycle : public AppViewModelTest, public ::testing::WithParamInterface<Route> {
 protected:
  // Virtual uptime starts on the system's clock, which the connection stamps replies with.
  Lifecycle() { timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow()); }

  // The double's port for the route unless another is given.
  void build(const Route &route, quint16 port = 0, double baseDelay = 0.5,
             double connectLimit = 5) {
    model = makeModel({.oscManager = std::make_unique<OSCManager>(connectLimit, 5),
                       .reconnectBaseDelay = baseDelay});
    QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged,
                     [this](const QString &text) { statuses.append(text); });
    if (port == 0)
      port =
          route.transport == OSCTransport::udp ? console.udpPort() : console.tcpPort(route.framing);
    QUdpSocket listenPort;
    listenPort.bind(QHostAddress::LocalHost, 0);
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(route.transport);
    model->setTcpFraming(route.framing);
    model->setCustomSendPort(QString::number(port));
    model->setCustomListenPort(QString::number(listenPort.localPort()));
  }
  void connectToDouble(const Route &route) {
    build(route);
    model->connect();
    ASSERT_TRUE(waitFor(u"Initial sync"_s));
  }
  bool waitFor(const QString &status) {
    return waitUntil([&] { return statuses.contains(status); });
  }

  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QStringList statuses;
};

TEST_P(Lifecycle, ConnectSyncsOncePerReadyTransportAndASilentConsoleIsRetried) {
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  build(GetParam());
  model->startHeartbeatTimer();
  model->startHeartbeatTimer();
  timing->advance(1);
  model->connect();
  ASSERT_TRUE(waitFor(u"Initial sync"_s));
  EXPECT_EQ(statuses.first(3),
            (QStringList{u"Connecting…"_s, u"Socket open — verifying Eos"_s, u"Initial sync"_s}));
  // The connection's own check pings once; the second ping is the model's.
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/ping"_s).size() == 2; }));
  EXPECT_EQ(console.requests(u"/eos/subscribe"_s),
            (QList{OSCMessage{u"/eos/subscribe"_s, {OSCArgument::fromInt(1)}}}));
  ASSERT_TRUE(waitUntil([&] { return !console.requests(u"/eos/get/cue/1/count"_s).isEmpty(); }));

  // Only the last of quick transitions starts a sync.
  for (bool ready : {false, true, false, true}) model->handleTransportStateChange(ready);
  ASSERT_TRUE(waitFor(lost + u" — syncing reconnect"_s));
  QCoreApplication::processEvents();
  EXPECT_EQ(statuses.count(lost + u" — syncing reconnect"_s), 1);

  // Ready at 1 s; ticks at 2, 4 and 6 s: exactly 5 s of silence is not yet a loss.
  const QString timedOut = u"Eos heartbeat timed out at "_s + model->transportDescription() +
                           u" — cached data retained"_s;
  timing->advance(5);
  EXPECT_EQ(timing->pendingDelays().count(2.0), 1);  // one heartbeat, no attempt
  EXPECT_FALSE(model->dataStatusMessage().startsWith(u"Eos heartbeat"_s));
  timing->advance(2);
  EXPECT_EQ(model->dataStatusMessage(), timedOut + u" — retrying 1/5"_s);
  timing->advance(0.5);
  EXPECT_EQ(model->dataStatusMessage(), timedOut + u" — reconnect attempt 1/5"_s);
  EXPECT_TRUE(waitFor(timedOut + u" — syncing reconnect"_s));
}

using StreamLifecycle = Lifecycle;
const Route packetLength{"TCPPacketLength", OSCTransport::tcp, OSCTCPFraming::packetLength};
const Route slip{"TCPSLIP", OSCTransport::tcp, OSCTCPFraming::slip};
const auto routeName = [](const auto &info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Routes, Lifecycle,
                         ::testing::Values(Route{"UDP", OSCTransport::udp, {}}, packetLength, slip),
                         routeName);
INSTANTIATE_TEST_SUITE_P(Routes, StreamLifecycle, ::testing::Values(packetLength, slip), routeName);

// Over UDP there is no peer to close: the heartbeat above is how a silent one is lost.

TEST_P(StreamLifecycle, AClosedConnectionIsRetried) {
  connectToDouble(GetParam());
  console.closeClients();
  ASSERT_TRUE(waitFor(lost + u" — retrying 1/5"_s));
  timing->advance(0.5);
  EXPECT_EQ(model->dataStatusMessage(), lost + u" — reconnect attempt 1/5"_s);
  EXPECT_TRUE(waitFor(lost + u" — verifying reconnect"_s));
  EXPECT_TRUE(waitUntil([&] { return model->supervisor().reconnectAttempt() == 0; }));
}

// The age of a reply is read on the monotonic clock: a wall clock set back an hour
// changes nothing.
TEST_F(Lifecycle, ReachabilityFollowsTheAgeOfTheLastMatchedPing) {
  connectToDouble(packetLength);
  ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  timing->stepDate(-3600);
  const std::optional<double> answered = model->oscManager()->lastPingResponse();
  timing->advance(*model->oscManager()->lastPingResponseUptime() + 4.9 - timing->uptime());
  model->handlePingResponse(std::nullopt);
  EXPECT_TRUE(model->isConsoleReachable());
  EXPECT_EQ(model->lastConnectedAt(), answered);
  timing->advance(0.2);
  model->handlePingResponse(std::nullopt);
  EXPECT_FALSE(model->isConsoleReachable());
  model->heartbeatTick();
  EXPECT_TRUE(model->dataStatusMessage().startsWith(u"Eos heartbeat timed out at "_s));
}

// While this thread stalls (the process stopped, a slow handler) nothing reads the socket and
// the next tick comes late: the console's reply waits unread, and the stall is not its
// silence. Silence after the reply still counts in full.
TEST_F(Lifecycle, AStalledLoopIsNotASilentConsole) {
  connectToDouble(packetLength);
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }));
  ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
  const auto answered = [&] { return model->oscManager()->roundTripSampleCount(); };
  const qint64 before = answered();
  model->heartbeatTick();  // its ping is answered while the loop stands still
  timing->advance(10);
  model->heartbeatTick();
  EXPECT_FALSE(model->dataStatusMessage().startsWith(u"Eos heartbeat"_s))
      << model->dataStatusMessage().toStdString();
  ASSERT_TRUE(waitUntil([&] { return answered() > before; }));

  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  for (int tick = 1; tick <= 2; ++tick) {
    timing->advance(2);
    model->heartbeatTick();
  }
  timing->advance(1);  // exactly 5 s since the reply
  model->heartbeatTick();
  EXPECT_FALSE(model->dataStatusMessage().startsWith(u"Eos heartbeat"_s));
  timing->advance(0.5);
  model->heartbeatTick();
  EXPECT_TRUE(model->dataStatusMessage().startsWith(u"Eos heartbeat timed out at "_s))
      << model->dataStatusMessage().toStdString();
}

TEST_F(Lifecycle, RefusedConnectsBackOffUntilTheLimitAndDisconnectEndsTheChain) {
  const std::pair<double, QList<double>> cases[] = {{0.5, {0.5, 1, 2, 4, 8}}, {3, {3, 6, 8, 8, 8}}};
  for (const auto &[base, delays] : cases) {
    auto closed = std::make_unique<QTcpServer>();
    closed->listen(QHostAddress::LocalHost);
    const quint16 closedPort = closed->serverPort();
    closed.reset();
    build(packetLength, closedPort, base, 0.1);
    model->connect();
    for (int n = 1; n <= 5; ++n) {
      const QString retry = u" — retrying %1/5"_s.arg(n);
      ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage().endsWith(retry); })) << n;
      EXPECT_EQ(model->dataStatusMessage(), *model->oscManager()->lastError() + retry);
      EXPECT_TRUE(model->supervisor().isReconnectScheduled() &&
                  timing->pendingDelays().contains(delays[n - 1]));
      timing->advance(delays[n - 1]);
    }
    EXPECT_TRUE(waitUntil([&] {
      return model->dataStatusMessage().endsWith(
          u" — automatic reconnect stopped after 5 attempts");
    }));
    EXPECT_FALSE(model->supervisor().isReconnectScheduled());
  }

  // A disconnect while an attempt waits: it never runs, and nothing is restored later.
  model->connect();
  model->scheduleReconnect(u"Lost"_s);
  ASSERT_TRUE(model->supervisor().isReconnectScheduled());
  ASSERT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));
  model->disconnect();
  timing->advance(10);
  EXPECT_EQ(model->dataStatusMessage(), u"Offline"_s);
  EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
}

TEST_F(Lifecycle, DisconnectEndsTheSessionAndKeepsTheShow) {
  console.setShow(generateConsoleShow(3, 2, 2));
  connectToDouble(packetLength);
  ASSERT_TRUE(waitFor(u"Synced"_s));
  for (int key = 1; key <= 12; ++key)
    model->handleOSCMessage(u"/eos/out/softkey/%1"_s.arg(key), {OSCArgument::fromString(u"Key"_s)});
  const QList<Cue> shown = model->cues();
  const QUuid before = model->consoleSession().id;
  model->disconnect();
  EXPECT_EQ(model->softkeyLabels(), QStringList(12));
  EXPECT_EQ(std::tuple(model->syncProgressDescription(), model->dataStatusMessage(),
                       model->isConsoleReachable(), model->cues()),
            std::tuple(u"Not syncing"_s, u"Offline"_s, false, shown));
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_NE(model->consoleSession().id, before);
}

}  // namespace
}  // namespace tarnik::testing
