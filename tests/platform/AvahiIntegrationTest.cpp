// Runs beside a private Avahi daemon (tests/support/with-avahi.sh); the NoAvahiDaemon suite
// runs with a system bus on which no daemon answers (with-avahi.sh --no-daemon).

#include "platform/AvahiServiceAdvertiser.h"
#include "platform/AvahiServiceBrowser.h"
#include "platform/AvahiServiceResolver.h"
#include "support/AvahiTestPeers.h"
#include "support/QtTestApplication.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::browseResolved;
using testing::PublishedService;

constexpr int waitLimit = 10000;

AvahiService oscService(const QString &name) {
  return {name, QStringLiteral("_osc._udp"), QStringLiteral("local"), -1, {}};
}

class AvahiIntegration : public ::testing::Test {
 protected:
  void SetUp() override { testing::ensureCoreApplication(); }
};

TEST_F(AvahiIntegration, BrowserFollowsAPublishedServiceUntilItsPublisherStops) {
  AvahiServiceBrowser browser(QStringLiteral("_osc._udp"));
  QList<AvahiService> services;
  QObject::connect(&browser, &AvahiServiceBrowser::servicesChanged,
                   [&](const QList<AvahiService> &now) { services = now; });
  PublishedService console(QStringLiteral("Browse Console"), QStringLiteral("_osc._udp"), 8000);
  ASSERT_TRUE(console.established());

  ASSERT_TRUE(QTest::qWaitFor([&] { return services.size() == 1; }, waitLimit));
  EXPECT_EQ(services[0].name, QStringLiteral("Browse Console"));
  EXPECT_EQ(services[0].type, QStringLiteral("_osc._udp"));
  EXPECT_EQ(services[0].domain, QStringLiteral("local"));
  EXPECT_EQ(services[0].interfaceName, QStringLiteral("lo"));

  console.stop();
  EXPECT_TRUE(QTest::qWaitFor([&] { return services.isEmpty(); }, waitLimit));
}

TEST_F(AvahiIntegration, ResolverFindsTheAddressAndPortOfAPublishedService) {
  PublishedService console(QStringLiteral("Resolve Console"), QStringLiteral("_osc._udp"), 8123);
  ASSERT_TRUE(console.established());

  AvahiServiceResolver resolver(oscService(QStringLiteral("Resolve Console")));
  QSignalSpy resolved(&resolver, &AvahiServiceResolver::resolved);
  QSignalSpy failed(&resolver, &AvahiServiceResolver::failed);
  ASSERT_TRUE(resolved.wait(waitLimit)) << failed.value(0).value(0).toString().toStdString();
  const auto found = resolved.at(0).at(0).value<AvahiResolvedService>();
  EXPECT_EQ(found.address, QStringLiteral("127.0.0.1"));
  EXPECT_EQ(found.port, 8123);
  EXPECT_TRUE(found.hostName.endsWith(QStringLiteral(".local")));
}

TEST_F(AvahiIntegration, AnAdvertisementIsListedWithItsPortUnderAvahisAlternativeToATakenName) {
  PublishedService first(QStringLiteral("Stage Relay"), QStringLiteral("_tarnik-relay._tcp"), 9000);
  ASSERT_TRUE(first.established());

  AvahiServiceAdvertiser advertiser(QStringLiteral("Stage Relay"),
                                    QStringLiteral("_tarnik-relay._tcp"), 9443);
  QSignalSpy registered(&advertiser, &AvahiServiceAdvertiser::registered);
  ASSERT_TRUE(registered.wait(waitLimit));
  EXPECT_EQ(registered.at(0).at(0).toString(), QStringLiteral("Stage Relay #2"));

  QMap<QString, quint16> ports;
  for (const auto &service : browseResolved(QStringLiteral("_tarnik-relay._tcp"))) {
    ports.insert(service.name, service.port);
  }
  EXPECT_EQ(ports, (QMap<QString, quint16>{{QStringLiteral("Stage Relay"), 9000},
                                           {QStringLiteral("Stage Relay #2"), 9443}}));
}

class NoAvahiDaemonIntegration : public AvahiIntegration {};

TEST_F(NoAvahiDaemonIntegration, EveryPartReportsTheMissingDaemon) {
  AvahiServiceBrowser browser(QStringLiteral("_osc._udp"));
  AvahiServiceResolver resolver(oscService(QStringLiteral("Console")));
  AvahiServiceAdvertiser advertiser(QStringLiteral("Relay"), QStringLiteral("_tarnik-relay._tcp"),
                                    9443);
  QSignalSpy browseFailed(&browser, &AvahiServiceBrowser::failed);
  QSignalSpy resolveFailed(&resolver, &AvahiServiceResolver::failed);
  QSignalSpy advertiseFailed(&advertiser, &AvahiServiceAdvertiser::failed);
  // Reports never come from inside a constructor.
  EXPECT_TRUE(browseFailed.isEmpty());

  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return browseFailed.size() + resolveFailed.size() + advertiseFailed.size() == 3; },
      waitLimit));
  for (const QSignalSpy *spy : {&browseFailed, &resolveFailed, &advertiseFailed}) {
    EXPECT_EQ(spy->at(0).at(0).toString(), QStringLiteral("Daemon not running"));
  }
}

}  // namespace
}  // namespace tarnik
