// Runs beside a private Avahi daemon (tests/support/with-avahi.sh); the NoAvahiDaemon suite
// runs with a system bus on which no daemon answers (without-avahi-daemon.sh).

#include "FakeBonjourBrowsers.h"
#include "link/AvahiEndpointResolver.h"
#include "link/OSCServiceDiscovery.h"
#include "link/TarnikRelayDiscovery.h"
#include "support/AvahiTestPeers.h"
#include "support/QtTestApplication.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::descriptions;
using testing::PublishedService;

constexpr int waitLimit = 10000;

using Resolution = std::optional<std::expected<OSCEndpoint::HostPort, QString>>;

Resolution resolveAndWait(AvahiEndpointResolver &resolver, const OSCEndpoint::Service &service) {
  Resolution outcome;
  resolver.resolve(service, [&outcome](auto result) { outcome = std::move(result); });
  static_cast<void>(QTest::qWaitFor([&] { return outcome.has_value(); }, waitLimit));
  return outcome;
}

class BonjourAvahiIntegration : public ::testing::Test {
 protected:
  void SetUp() override { testing::ensureCoreApplication(); }
};

TEST_F(BonjourAvahiIntegration, OSCDiscoveryFollowsAConsoleThatComesAndGoes) {
  OSCServiceDiscovery discovery;
  QList<OSCEndpoint> services;
  QObject::connect(&discovery, &OSCServiceDiscovery::servicesReplaced,
                   [&](const QList<OSCEndpoint> &now) { services = now; });
  discovery.start();
  PublishedService console(QStringLiteral("Stage Console"), QStringLiteral("_osc._udp"), 8000);
  ASSERT_TRUE(console.established());

  const OSCEndpoint expected =
      OSCEndpoint::service(QStringLiteral("Stage Console"), QStringLiteral("_osc._udp"),
                           QStringLiteral("local"), QStringLiteral("lo"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return services.size() == 1; }, waitLimit));
  EXPECT_EQ(descriptions(services), descriptions({expected}));

  // The endpoint found is one the console connection can open.
  AvahiEndpointResolver resolver;
  const Resolution resolved = resolveAndWait(resolver, *services[0].asService());
  ASSERT_TRUE(resolved && resolved->has_value());
  EXPECT_EQ((*resolved)->host, QStringLiteral("127.0.0.1"));
  EXPECT_EQ((*resolved)->port, 8000);

  console.stop();
  EXPECT_TRUE(QTest::qWaitFor([&] { return services.isEmpty(); }, waitLimit));
}

TEST_F(BonjourAvahiIntegration, RelayDiscoveryListsAnAnnouncedRelay) {
  TarnikRelayDiscovery discovery;
  discovery.start();
  PublishedService relay(QStringLiteral("Tarnik on stage-mac"),
                         QStringLiteral("_tarnik-relay._tcp"), 9443);
  ASSERT_TRUE(relay.established());

  ASSERT_TRUE(QTest::qWaitFor([&] { return discovery.relays().size() == 1; }, waitLimit));
  EXPECT_EQ(discovery.relays()[0].name, QStringLiteral("Tarnik on stage-mac"));
  EXPECT_EQ(discovery.relays()[0].id(),
            QStringLiteral("Tarnik on stage-mac._tarnik-relay._tcp.local%lo"));
}

class NoAvahiDaemonIntegration : public BonjourAvahiIntegration {};

TEST_F(NoAvahiDaemonIntegration, DiscoveryAndResolvingReportTheMissingDaemon) {
  OSCServiceDiscovery oscDiscovery;
  QSignalSpy oscFailed(&oscDiscovery, &OSCServiceDiscovery::failed);
  oscDiscovery.start();
  TarnikRelayDiscovery relayDiscovery;
  relayDiscovery.start();

  ASSERT_TRUE(oscFailed.wait(waitLimit));
  EXPECT_EQ(oscFailed.at(0).at(0).toString(),
            QStringLiteral("OSC discovery failed: Daemon not running"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return relayDiscovery.status() ==
               QStringLiteral("Nearby discovery failed: Daemon not running");
      },
      waitLimit));

  AvahiEndpointResolver resolver;
  const Resolution resolved = resolveAndWait(
      resolver,
      {QStringLiteral("Stage Console"), QStringLiteral("_osc._udp"), QStringLiteral("local"), {}});
  ASSERT_TRUE(resolved && !resolved->has_value());
  EXPECT_EQ(resolved->error(), QStringLiteral("Daemon not running"));
}

}  // namespace
}  // namespace tarnik
