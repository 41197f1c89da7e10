#include "AppViewModelTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ConnectionTest : public AppViewModelTest {
 protected:
  ConnectionTest() {
    timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
    model = makeModel({.makeConnectionTestManager = [this] {
      auto manager = std::make_unique<OSCManager>(0.5, verificationTimeout);
      lastManager = manager.get();
      managers.append(manager.get());
      return manager;
    }});
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(OSCTransport::tcp);
    model->setTcpFraming(OSCTCPFraming::slip);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
  }
  QString summary() { return AppViewModel::connectionSummary(*model->makeConnectionSettings()); }
  const OSCManager *testManager() { return model->connectionTester().manager(); }

  double verificationTimeout = 5.0;  // seconds, on the manager's own timer
  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QPointer<OSCManager> lastManager;
  QList<QPointer<OSCManager>> managers;
};

TEST_F(ConnectionTest, AVersionAndAMatchedPingVerifyAndCloseThePrivateConnection) {
  model->testConnection();
  EXPECT_TRUE(model->isTestingConnection());
  EXPECT_EQ(model->testConnectionStatus(), u"Testing "_s + summary() + u"…"_s);
  ASSERT_TRUE(waitUntil([&] { return !model->isTestingConnection(); }));
  ASSERT_TRUE(model->testConnectionVersion());
  EXPECT_EQ(model->testConnectionStatus(),
            u"Verified Eos "_s + *model->testConnectionVersion() + u" · "_s + summary());
  EXPECT_EQ(testManager(), nullptr);
  EXPECT_TRUE(timing->pendingDelays().isEmpty());
  // The private manager goes once the event loop is back, never from inside its own signal.
  EXPECT_TRUE(waitUntil([&] { return lastManager.isNull(); }));
}

TEST_F(ConnectionTest, WithoutAPingAnswerTheDeadlineEndsTheTestWithTheRouteNamed) {
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>(); });
  model->testConnection();
  ASSERT_TRUE(waitUntil([&] { return model->testConnectionVersion().has_value(); }));
  EXPECT_TRUE(model->isTestingConnection());
  timing->advance(AppViewModel::connectionTestDeadline);
  EXPECT_FALSE(model->isTestingConnection());
  EXPECT_TRUE(model->testConnectionStatus().startsWith(
      u"No verified Eos handshake within 10 seconds at "_s + summary() + u". "_s));
  EXPECT_TRUE(model->testConnectionStatus().endsWith(
      u". A route to the console is required, including over cellular/VPN."_s));
  EXPECT_EQ(testManager(), nullptr);
}

// The second press replaces the first test: its manager goes and its answers never land.
TEST_F(ConnectionTest, PressedTwiceOnlyTheSecondTestReports) {
  QStringList verified;
  QObject::connect(model.get(), &AppViewModel::testConnectionStatusChanged, model.get(), [&] {
    if (model->testConnectionStatus().startsWith(u"Verified"_s))
      verified.append(model->testConnectionStatus());
  });
  model->testConnection();
  model->setTcpFraming(OSCTCPFraming::packetLength);
  model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model->testConnection();
  ASSERT_EQ(managers.size(), 2);
  EXPECT_TRUE(waitUntil([&] { return managers.first().isNull(); }));
  ASSERT_TRUE(waitUntil([&] { return !model->isTestingConnection(); }));
  ASSERT_TRUE(model->testConnectionVersion());
  EXPECT_EQ(verified,
            QStringList{u"Verified Eos "_s + *model->testConnectionVersion() + u" · 127.0.0.1:"_s +
                        QString::number(console.tcpPort(OSCTCPFraming::packetLength)) +
                        u" · TCP · Packet length (OSC 1.0)"_s});
  EXPECT_TRUE(model->testConnectionIdentity());
  EXPECT_TRUE(timing->pendingDelays().isEmpty());
}

// A pasted pairing code brings blanks along; the relay proves only the code. Any other
// profile carries no key, whatever the form still holds.
TEST_F(ConnectionTest, ARelayProfileCarriesTheTrimmedPairingCodeAsItsKey) {
  const QString code = QString::fromLatin1(QByteArray(32, '\x2a').toBase64());
  model->setRelayPairingCode(u"  "_s + code + u" \n"_s);
  for (const bool relay : {true, false}) {
    model->setUsesMacRelay(relay);
    model->testConnection();
    ASSERT_NE(testManager(), nullptr) << relay;
    EXPECT_EQ(testManager()->relayPairingKey, relay ? std::optional(code) : std::nullopt) << relay;
    EXPECT_EQ(model->testConnectionStatus().contains(u" · Paired Mac relay · "_s), relay) << relay;
  }
}

TEST_F(ConnectionTest, AClosedPortShowsTheManagersErrorWhileTheTestRuns) {
  quint16 closedPort = 0;
  {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    closedPort = server.serverPort();
  }
  model->setCustomSendPort(QString::number(closedPort));
  model->testConnection();
  ASSERT_TRUE(waitUntil([&] { return model->testConnectionStatus().startsWith(u"Testing: "_s); }));
  ASSERT_TRUE(lastManager && lastManager->lastError());
  EXPECT_EQ(model->testConnectionStatus(), u"Testing: "_s + *lastManager->lastError());
  EXPECT_TRUE(model->isTestingConnection());
}

TEST_F(ConnectionTest, AReasonThatIsASentenceOfItsOwnIsJoinedWithOneFullStop) {
  for (const QString &address : {u"/eos/ping"_s, u"/eos/get/version"_s, u"/eos/get/processors"_s}) {
    console.setHandler(address, [](const OSCMessage &) { return QList<OSCMessage>(); });
  }
  verificationTimeout = 0.05;
  model->testConnection();
  // The manager's own verification text ends in a full stop.
  ASSERT_TRUE(waitUntil([&] { return testManager() && testManager()->lastError(); }));
  ASSERT_TRUE(testManager()->lastError()->endsWith(u'.'));
  timing->advance(AppViewModel::connectionTestDeadline);
  const QString status = model->testConnectionStatus();
  EXPECT_FALSE(status.contains(u".."_s)) << status.toStdString();
  EXPECT_TRUE(
      status.endsWith(u"console. A route to the console is required, including over "
                      u"cellular/VPN."_s))
      << status.toStdString();
}

}  // namespace
}  // namespace tarnik::testing
