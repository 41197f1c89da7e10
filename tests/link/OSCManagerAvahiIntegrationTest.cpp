// OSCManager's own discovery and service connection, beside the private Avahi daemon of
// tests/support/with-avahi.sh (the NoAvahiDaemon suite: without-avahi-daemon.sh).

#include "OSCManagerTestSupport.h"
#include "support/AvahiTestPeers.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::PublishedService;
using testing::waitUntil;

constexpr int waitLimit = 10000;

TEST(OSCManagerAvahiIntegration, DiscoveredServicesFollowAPublishedConsole) {
  auto manager = testing::makeManager(testing::udpCase);
  manager->startDiscovery();
  auto console = std::make_unique<PublishedService>(QStringLiteral("Stage Console"),
                                                    QStringLiteral("_osc._udp"), 8000);
  ASSERT_TRUE(console->established());

  ASSERT_TRUE(waitUntil([&] { return manager->discoveredServices().size() == 1; }, waitLimit));
  EXPECT_EQ(manager->discoveredServices()[0].asService()->name, QStringLiteral("Stage Console"));

  console->stop();
  EXPECT_TRUE(waitUntil([&] { return manager->discoveredServices().isEmpty(); }, waitLimit));
}

TEST(OSCManagerAvahiIntegration, ConnectsToAPublishedServiceThroughAvahi) {
  EosConsoleDouble console;
  const quint16 port = console.tcpPort(OSCTCPFraming::packetLength);
  PublishedService announcement(QStringLiteral("Eos Double"), QStringLiteral("_osc._tcp"), port);
  ASSERT_TRUE(announcement.established());

  auto manager = testing::makeManager(testing::packetLengthCase, 8, 5);
  manager->connect(OSCEndpoint::service(QStringLiteral("Eos Double"), QStringLiteral("_osc._tcp"),
                                        QStringLiteral("local"), {}));
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }, waitLimit))
      << manager->connectionStateDescription().toStdString();
  EXPECT_EQ(console.requests(QStringLiteral("/eos/get/version")).size(), 1);
}

TEST(OSCManagerNoAvahiDaemonIntegration, DiscoveryReportsTheMissingDaemon) {
  auto manager = testing::makeManager(testing::udpCase);
  manager->startDiscovery();
  ASSERT_TRUE(waitUntil([&] { return manager->lastError().has_value(); }, waitLimit));
  EXPECT_EQ(manager->lastError(), QStringLiteral("OSC discovery failed: Daemon not running"));
  EXPECT_EQ(manager->discoveryError(), manager->lastError());
  EXPECT_TRUE(manager->discoveredServices().isEmpty());
}

}  // namespace
}  // namespace tarnik
