// Without an Avahi daemon the list of nearby consoles stays empty, and that is all: a
// console typed in by its address connects as if browsing had never been tried.

#include "AppViewModelTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class ModelNoAvahiDaemonIntegration : public AppViewModelTest {
 protected:
  ModelNoAvahiDaemonIntegration() {
    timing = std::make_shared<ManualAppTiming>(systemUptime(), referenceSecondsNow());
  }
};

TEST_F(ModelNoAvahiDaemonIntegration, ABrowsingFailureIsNoConnectionFailure) {
  EosConsoleDouble console;
  // Networking on: browsing for consoles starts with the model.
  AppViewModel model(
      {.defaults = &settings, .oscManager = std::make_unique<OSCManager>(5, 5), .timing = timing});
  QStringList errors;
  QStringList statuses;
  QObject::connect(model.oscManager(), &OSCManager::lastErrorChanged, &model,
                   [&](const std::optional<QString> &error) { errors.append(error.value_or("")); });
  QObject::connect(&model, &AppViewModel::dataStatusMessageChanged, &model,
                   [&](const QString &text) { statuses.append(text); });
  model.setConsoleIP(u"127.0.0.1"_s);
  model.setConnectionTransport(OSCTransport::tcp);
  model.setTcpFraming(OSCTCPFraming::packetLength);
  model.setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
  model.connect();

  const QString failure = u"OSC discovery failed: Daemon not running"_s;
  ASSERT_TRUE(waitUntil([&] { return errors.contains(failure); }, 10000))
      << errors.join(u'|').toStdString();
  ASSERT_TRUE(waitUntil([&] { return model.dataStatusMessage() == "Synced"_L1; }))
      << statuses.join(u'|').toStdString();
  QCoreApplication::processEvents();
  EXPECT_TRUE(statuses.filter(u"discovery"_s).isEmpty()) << statuses.join(u'|').toStdString();
  EXPECT_FALSE(model.supervisor().isReconnectScheduled());
  EXPECT_EQ(model.supervisor().reconnectAttempt(), 0);
  EXPECT_TRUE(model.discoveredConsoles().isEmpty());
  EXPECT_EQ(model.oscManager()->discoveryError(), failure);
}

}  // namespace
}  // namespace tarnik::testing
