// The connection test built alone: virtual time for its deadline, the console double on
// 127.0.0.1 for the private connections its factory makes.

#include "app/ConnectionForm.h"
#include "app/ConnectionTester.h"
#include "foundation/TextRules.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QPointer>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ConnectionTesterAlone : public ::testing::Test {
 protected:
  ConnectionTesterAlone() { ensureCoreApplication(); }

  static ConsoleConnectionProfile profile(OSCTransport transport, quint16 port,
                                          quint16 listenPort = 8001) {
    return {.id = QUuid::createUuid(),
            .name = u"Double"_s,
            .host = u"127.0.0.1"_s,
            .transport = transport,
            .destinationPort = port,
            .udpListenPort = listenPort};
  }
  std::tuple<bool, QString, std::optional<QString>, std::optional<QString>> values() const {
    return {tester.isTestingConnection(), tester.testConnectionStatus(),
            tester.testConnectionIdentity(), tester.testConnectionVersion()};
  }

  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
  EosConsoleDouble console;
  QPointer<OSCManager> lastManager;
  // The manager's own verification limit stays far off, so only the test's deadline ends it.
  ConnectionTester tester{timing, [this] {
                            auto manager = std::make_unique<OSCManager>(8.0, 60.0);
                            lastManager = manager.get();
                            return manager;
                          }};
};

const auto notTested =
    std::tuple(false, u"Not tested"_s, std::optional<QString>(), std::optional<QString>());

quint16 freeUdpPort() {
  QUdpSocket probe;
  return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

// Each transport verifies on its own private connection, UDP on its own listen port (the
// double answers only there), and a reset afterwards forgets all four values.
TEST_F(ConnectionTesterAlone, EachTransportVerifiesAndAResetForgetsTheResult) {
  const quint16 listenPort = freeUdpPort();
  ASSERT_NE(listenPort, 0);
  console.udpReplyPort = listenPort;
  for (const ConsoleConnectionProfile &tested :
       {profile(OSCTransport::tcp, console.tcpPort(OSCTCPFraming::packetLength)),
        profile(OSCTransport::udp, console.udpPort(), listenPort)}) {
    SCOPED_TRACE(ConnectionForm::connectionSummary(tested).toStdString());
    tester.start(tested, std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return !tester.isTestingConnection(); }));
    EXPECT_EQ(tester.testConnectionStatus(),
              u"Verified Eos 3.2.1 · "_s + ConnectionForm::connectionSummary(tested));
    EXPECT_EQ(tester.testConnectionVersion(), u"3.2.1"_s);
    EXPECT_TRUE(tester.testConnectionIdentity());
    EXPECT_EQ(tester.manager(), nullptr);
    tester.reset();
    EXPECT_EQ(values(), notTested);
  }
}

// Without an answer the test runs for exactly its deadline on the virtual clock; a restart
// keeps one deadline. With no error to name, the text names the connection's state.
TEST_F(ConnectionTesterAlone, TheDeadlineEndsASilentTestNamingTheConnectionsState) {
  console.silent = true;
  const ConsoleConnectionProfile tested =
      profile(OSCTransport::tcp, console.tcpPort(OSCTCPFraming::packetLength));
  tester.start(tested, std::nullopt);
  tester.start(tested, std::nullopt);
  EXPECT_EQ(timing->pendingDelays(), QList<double>{ConnectionTester::deadline});
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/ping"_s).size() > 0; }));
  timing->advance(ConnectionTester::deadline - 0.001);
  EXPECT_TRUE(tester.isTestingConnection());

  const QPointer<OSCManager> manager = lastManager;
  ASSERT_TRUE(manager && !manager->lastError());
  const QString state = manager->connectionStateDescription();
  timing->advance(0.001);
  EXPECT_EQ(values(), std::tuple(false,
                                 u"No verified Eos handshake within 10 seconds at "_s +
                                     ConnectionForm::connectionSummary(tested) + u". "_s +
                                     endedSentence(state) +
                                     u" A route to the console is required, including over "
                                     u"cellular/VPN."_s,
                                 std::optional<QString>(), std::optional<QString>()));
  EXPECT_EQ(tester.manager(), nullptr);
  EXPECT_TRUE(waitUntil([&] { return manager.isNull(); }));
}

// A reset from inside the private connection's own signal, as the version arrives: the
// evaluation that announcement queued finds the test gone and changes nothing.
TEST_F(ConnectionTesterAlone, AnAnswerArrivingAfterAResetChangesNothing) {
  tester.start(profile(OSCTransport::tcp, console.tcpPort(OSCTCPFraming::packetLength)),
               std::nullopt);
  const QPointer<OSCManager> manager = lastManager;
  QObject::connect(manager, &OSCManager::verifiedSoftwareVersionChanged, &tester,
                   [&] { tester.reset(); });
  ASSERT_TRUE(waitUntil([&] { return manager.isNull(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(values(), notTested);
  EXPECT_TRUE(timing->pendingDelays().isEmpty());
}

}  // namespace
}  // namespace tarnik::testing
