// When the connection test may run: not on the listen port the active UDP session holds,
// and never past a Connect, whose own route replaces whatever the test was finding out.

#include "AppViewModelTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ConnectionTestRules : public AppViewModelTest {
 protected:
  ConnectionTestRules() {
    timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
    model = makeModel();
    model->setConsoleIP(u"127.0.0.1"_s);
  }

  void fillForm(OSCTransport transport, quint16 sendPort, quint16 listenPort) {
    model->setConnectionTransport(transport);
    model->setCustomSendPort(QString::number(sendPort));
    model->setCustomListenPort(QString::number(listenPort));
  }

  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
};

TEST_F(ConnectionTestRules, AUDPTestMayNotTakeTheListenPortOfTheActiveUDPSession) {
  const QString busy =
      u"Disconnect the active UDP session before testing this listen port. TCP tests use an "
      u"independent socket."_s;
  const struct {
    const char *name;
    OSCTransport activeTransport;
    bool wanted;
    OSCTransport testTransport;
    quint16 listenPort;
    bool refused;
  } cases[] = {
      {"same UDP listen port", OSCTransport::udp, true, OSCTransport::udp, 8001, true},
      {"another listen port", OSCTransport::udp, true, OSCTransport::udp, 8002, false},
      {"a TCP test", OSCTransport::udp, true, OSCTransport::tcp, 8001, false},
      {"active TCP session", OSCTransport::tcp, true, OSCTransport::udp, 8001, false},
      {"connection no longer wanted", OSCTransport::udp, false, OSCTransport::udp, 8001, false},
  };
  for (const auto &row : cases) {
    const bool udp = row.activeTransport == OSCTransport::udp;
    fillForm(row.activeTransport, udp ? console.udpPort() : console.tcpPort(model->tcpFraming()),
             8001);
    model->connect();
    if (!row.wanted) model->disconnect();
    fillForm(row.testTransport, console.udpPort(), row.listenPort);
    model->testConnection();
    EXPECT_EQ(model->testConnectionStatus() == busy, row.refused) << row.name;
    EXPECT_EQ(model->isTestingConnection(), !row.refused) << row.name;
    EXPECT_EQ(model->connectionTester().manager() != nullptr, !row.refused) << row.name;
    model->resetConnectionTest();
  }
}

TEST_F(ConnectionTestRules, AFormThatDoesNotValidateStartsNoTest) {
  const struct {
    QString host, sendPort;
    QString status;
  } cases[] = {
      {u" "_s, u"3032"_s, u"Enter a console IP address or hostname."_s},
      {u"127.0.0.1"_s, u"0"_s, u"Destination port must be 1–65535."_s},
  };
  for (const auto &row : cases) {
    model->setConsoleIP(row.host);
    model->setCustomSendPort(row.sendPort);
    model->testConnection();
    EXPECT_EQ(model->testConnectionStatus(), row.status);
    EXPECT_FALSE(model->isTestingConnection());
    EXPECT_EQ(model->connectionTester().manager(), nullptr);
    EXPECT_TRUE(timing->pendingDelays().isEmpty());
  }
}

TEST_F(ConnectionTestRules, ConnectEndsARunningTestAndNothingOfItLandsLater) {
  console.silent = true;
  fillForm(OSCTransport::tcp, console.tcpPort(OSCTCPFraming::packetLength), 8001);
  model->testConnection();
  ASSERT_TRUE(model->isTestingConnection());
  model->connect();
  EXPECT_FALSE(model->isTestingConnection());
  EXPECT_EQ(model->testConnectionStatus(), u"Not tested"_s);
  EXPECT_EQ(model->connectionTester().manager(), nullptr);
  // The old test's deadline passes: it finds no test of its own to end.
  timing->advance(AppViewModel::connectionTestDeadline);
  EXPECT_EQ(model->testConnectionStatus(), u"Not tested"_s);
}

}  // namespace
}  // namespace tarnik::testing
