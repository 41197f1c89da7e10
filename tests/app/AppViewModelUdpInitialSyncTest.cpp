// Over UDP the socket is ready whether or not a console listens: the initial sync waits for
// the console's first answer instead of sending its requests into the void.

#include "AppViewModelTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

#include <QUdpSocket>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

quint16 freeUdpPort() {
  QUdpSocket socket;
  socket.bind(QHostAddress::LocalHost, 0);
  return socket.localPort();
}

class UdpInitialSync : public AppViewModelTest {
 protected:
  UdpInitialSync() {
    timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
  }
};

TEST_F(UdpInitialSync, AConsoleThatComesUpLaterIsSyncedAtItsFirstAnswer) {
  const quint16 consolePort = freeUdpPort();
  auto model = makeModel({.oscManager = std::make_unique<OSCManager>(5, 5)});
  model->setConsoleIP(u"127.0.0.1"_s);
  model->setConnectionTransport(OSCTransport::udp);
  model->setCustomSendPort(QString::number(consolePort));
  model->setCustomListenPort(QString::number(freeUdpPort()));
  model->startHeartbeatTimer();
  model->connect();
  ASSERT_TRUE(waitUntil([&] { return model->oscManager()->isConnected(); }));
  QCoreApplication::processEvents();

  EosConsoleDouble console({.udpPort = consolePort});
  ASSERT_TRUE(console.isListening());
  timing->advance(2);  // the heartbeat's ping is the first thing the console hears
  EXPECT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }))
      << model->dataStatusMessage().toStdString();
  EXPECT_EQ(console.requests(u"/eos/get/cue/1/count"_s).size(), 1);
}

}  // namespace
}  // namespace tarnik::testing
