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

using Access = AppViewModelTestAccess;

struct Route {
  const char *name;
  OSCTransport transport;
  OSCTCPFraming framing;
};

const QString lost = u"Connection lost — cached data retained"_s;

class Lifecycle : public AppViewModelTest, public ::testing::WithParamInterface<Route> {
 protected:
  // Virtual uptime starts on the system's clock, which the connection stamps replies with.
  Lifecycle() { timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow()); }

  void build(const Route &route, quint16 port, double baseDelay = 0.5, double connectLimit = 5) {
    model = makeModel({.oscManager = std::make_unique<OSCManager>(connectLimit, 5),
                       .reconnectBaseDelay = baseDelay});
    QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged,
                     [this](const QString &text) { statuses.append(text); });
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(route.transport);
    model->setTcpFraming(route.framing);
    model->setCustomSendPort(QString::number(port));
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    model->setCustomListenPort(QString::number(probe.localPort()));
  }
  quint16 portOf(const Route &route) const {
    return route.transport == OSCTransport::udp ? console.udpPort()
                                                : console.tcpPort(route.framing);
  }
  void connectToDouble(const Route &route) {
    build(route, portOf(route));
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

TEST_P(Lifecycle, ConnectSubscribesStartsOneSyncPerReadyTransportAndTimesOutASilentConsole) {
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  build(GetParam(), portOf(GetParam()));
  model->startHeartbeatTimer();
  model->startHeartbeatTimer();
  timing->advance(1);
  model->connect();
  ASSERT_TRUE(waitFor(u"Initial sync"_s));
  EXPECT_EQ(statuses,
            (QStringList{u"Connecting…"_s, u"Socket open — verifying Eos"_s, u"Initial sync"_s}));
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/ping"_s).size() >= 2; }));
  const QList<OSCMessage> requests = console.requests();
  const auto subscribe = std::ranges::find(requests, u"/eos/subscribe"_s, &OSCMessage::address);
  ASSERT_NE(subscribe, requests.end());
  EXPECT_EQ(subscribe->arguments, QList{OSCArgument::fromInt(1)});
  EXPECT_NE(std::find_if(subscribe, requests.end(),
                         [](const OSCMessage &m) { return m.address == u"/eos/ping"; }),
            requests.end());

  // Only the last of quick transitions starts a sync.
  for (bool ready : {false, true, false, true}) model->handleTransportStateChange(ready);
  const QString resync = lost + u" — syncing reconnect"_s;
  ASSERT_TRUE(waitFor(resync));
  QCoreApplication::processEvents();
  EXPECT_EQ(statuses.count(resync), 1);

  // Ready at 1 s; ticks at 2, 4 and 6 s: exactly 5 s of silence is not yet a loss.
  const QString timedOut = u"Eos heartbeat timed out at "_s + model->transportDescription() +
                           u" — cached data retained — retrying 1/5"_s;
  timing->advance(5);
  EXPECT_EQ(timing->pendingDelays(), QList{2.0});
  EXPECT_FALSE(statuses.contains(timedOut));
  timing->advance(2);
  EXPECT_EQ(model->dataStatusMessage(), timedOut);
}

TEST_P(Lifecycle, ALostConsoleIsRetriedAndReconnected) {
  if (GetParam().transport == OSCTransport::udp) GTEST_SKIP() << "UDP has no peer to close";
  connectToDouble(GetParam());
  console.closeClients();
  ASSERT_TRUE(waitFor(lost + u" — retrying 1/5"_s));
  EXPECT_EQ(timing->pendingDelays(), QList{0.5});
  timing->advance(0.5);
  EXPECT_EQ(model->dataStatusMessage(), lost + u" — reconnect attempt 1/5"_s);
  EXPECT_TRUE(waitFor(lost + u" — verifying reconnect"_s));
  EXPECT_TRUE(waitFor(lost + u" — syncing reconnect"_s));
}

INSTANTIATE_TEST_SUITE_P(
    Routes, Lifecycle,
    ::testing::Values(Route{"UDP", OSCTransport::udp, {}},
                      Route{"TCPPacketLength", OSCTransport::tcp, OSCTCPFraming::packetLength},
                      Route{"TCPSLIP", OSCTransport::tcp, OSCTCPFraming::slip}),
    [](const auto &info) { return std::string(info.param.name); });

const Route tcp{"TCP", OSCTransport::tcp, OSCTCPFraming::packetLength};

TEST_F(Lifecycle, RefusedConnectsBackOffUntilTheLimitAndDisconnectEndsTheChain) {
  const struct {
    double base;
    QList<double> delays;
  } cases[] = {{0.5, {0.5, 1, 2, 4, 8}}, {3, {3, 6, 8, 8, 8}}};
  for (const auto &c : cases) {
    quint16 closedPort = 0;
    {
      QTcpServer server;
      server.listen(QHostAddress::LocalHost);
      closedPort = server.serverPort();
    }
    statuses.clear();
    build(tcp, closedPort, c.base, 0.1);
    model->connect();
    for (int n = 1; n <= 5; ++n) {
      const QString retry = u" — retrying %1/5"_s.arg(n);
      ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage().endsWith(retry); })) << n;
      EXPECT_EQ(model->dataStatusMessage(), *model->oscManager()->lastError() + retry);
      EXPECT_EQ(timing->pendingDelays(), QList{c.delays[n - 1]});
      timing->advance(c.delays[n - 1]);
      EXPECT_TRUE(model->dataStatusMessage().endsWith(u" — reconnect attempt %1/5"_s.arg(n)));
    }
    EXPECT_TRUE(waitUntil([&] {
      return model->dataStatusMessage().endsWith(
          u" — automatic reconnect stopped after 5 attempts");
    }));
    EXPECT_EQ(timing->pendingDelays(), QList<double>{});
  }

  // A disconnect while an attempt waits: it never runs, and nothing is restored later.
  Access::setReconnectAttempt(*model, 0);
  model->scheduleReconnect(u"Test"_s);
  ASSERT_TRUE(settings.contains(u"lastConnectedProfile.v1"_s));
  model->disconnect();
  EXPECT_EQ(timing->pendingDelays(), QList<double>{});
  timing->advance(10);
  EXPECT_EQ(model->dataStatusMessage(), u"Offline"_s);
  EXPECT_FALSE(settings.contains(u"lastConnectedProfile.v1"_s));
}

TEST_F(Lifecycle, AnOwnedFlashIsReleasedOnlyWhileTheConsoleShowsIt) {
  connectToDouble(tcp);
  const struct {
    qint64 channel;
    bool thisSession;
  } cases[] = {{1, true}, {123, true}, {12, false}, {12, true}};  // only the last is sent
  for (const auto &c : cases) {
    Access::setConsoleSession(
        *model, u"LIVE: Chan 12 Flash"_s,
        AppViewModel::OwnedFlash{c.channel, c.thisSession ? Access::sessionID(*model) : QUuid()});
    EXPECT_TRUE(model->releaseOwnedFlash(u"Test"_s));
    EXPECT_FALSE(Access::holdsFlash(*model));
  }
  ASSERT_TRUE(waitUntil([&] { return !console.requests(u"/eos/key/flash"_s).isEmpty(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(console.requests(u"/eos/key/flash"_s).size(), 1);
  ASSERT_EQ(model->commandHistory().size(), 1);
  EXPECT_EQ(model->commandHistory()[0].text, u"End identify channel 12"_s);
  EXPECT_EQ(model->commandHistory()[0].source, u"Sent"_s);
}

// The reply's age is read on the monotonic clock: a wall clock set back an hour changes
// nothing.
TEST_F(Lifecycle, ReachabilityFollowsTheAgeOfTheLastMatchedPing) {
  connectToDouble(tcp);
  ASSERT_TRUE(waitUntil([&] { return model->isConsoleReachable(); }));
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  timing->stepDate(-3600);
  const std::optional<double> answered = model->oscManager()->lastPingResponse();
  const double arrival = systemUptime() - (referenceSecondsNow() - *answered);
  timing->advance(arrival + 4.9 - timing->uptime());
  model->handlePingResponse(std::nullopt);
  EXPECT_TRUE(model->isConsoleReachable());
  EXPECT_EQ(model->lastConnectedAt(), answered);
  timing->advance(0.2);
  model->heartbeatTick();
  EXPECT_FALSE(model->isConsoleReachable());
  EXPECT_TRUE(model->dataStatusMessage().startsWith(u"Eos heartbeat timed out at "_s));
}

}  // namespace
}  // namespace tarnik::testing
