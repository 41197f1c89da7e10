// One show, however its path is padded: the sync, the Live and park sessions and the show
// events agree on it.

#include "AppViewModelTestSupport.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ShowIdentity : public AppViewModelTest {
 protected:
  ShowIdentity() { timing = std::make_shared<ManualAppTiming>(systemUptime(), 800'000'000.0); }

  void setShowPath(const QString &path) {
    ConsoleShow show = generateConsoleShow(3, 4, 2);
    show.path = path;
    console.setShow(show);
  }

  EosConsoleDouble console;
};

// A console that pads its show path once sent the model round connect, sync, Live controls
// and loss for ever: each reconnect's sync reset the back-off that would have ended it.
TEST_F(ShowIdentity, APaddedShowPathSyncsOnceAndKeepsTheLiveControls) {
  setShowPath(u"/shows/padded.esf "_s);
  AppViewModel::Arguments arguments{
      .defaults = &settings, .oscManager = std::make_unique<OSCManager>(5, 5), .timing = timing};
  AppViewModel model(std::move(arguments));  // networking on: Live controls follow a sync
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();

  ASSERT_TRUE(waitUntil([&] { return model.fixtureControlStatus() == "Live controls ready"_L1; }))
      << model.fixtureControlStatus().toStdString() << " / "
      << model.dataStatusMessage().toStdString();
  // The park check asks the console for the show as well.
  EXPECT_TRUE(waitUntil([&] { return model.parkStatusMessage().endsWith(" parked"_L1); }))
      << model.parkStatusMessage().toStdString();
  EXPECT_EQ(model.dataStatusMessage(), "Synced"_L1);
  EXPECT_EQ(console.requests(u"/eos/get/cue/1/count"_s).size(), 1);
  EXPECT_TRUE(model.oscManager()->isConnected());
  EXPECT_FALSE(model.supervisor().isReconnectScheduled());
}

}  // namespace
}  // namespace tarnik::testing
