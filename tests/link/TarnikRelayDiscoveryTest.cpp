#include "FakeBonjourBrowsers.h"
#include "link/TarnikRelayDiscovery.h"
#include "support/QtTestApplication.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::FakeBonjourBrowsers;

const QString looking =
    QStringLiteral("Looking for nearby Macs. Keep Wi-Fi enabled on both devices.");

OSCEndpoint relay(const char *name) {
  return testing::bonjourService(QString::fromUtf8(name), QStringLiteral("_tarnik-relay._tcp"));
}

std::vector<std::string> names(const QList<TarnikRelayDiscovery::Relay> &relays) {
  std::vector<std::string> texts;
  for (const auto &relay : relays) texts.push_back(relay.name.toStdString());
  return texts;
}

// Delivers what was handed to the event loop so far.
void settle() { QCoreApplication::sendPostedEvents(); }

class TarnikRelayDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ensureCoreApplication(); }

  FakeBonjourBrowsers browsers;
  TarnikRelayDiscovery discovery{browsers.factory()};
};

TEST_F(TarnikRelayDiscoveryTest, ListsOnlyServicesSortedByCodePointOneTurnAfterEachReport) {
  EXPECT_EQ(discovery.status(), QStringLiteral("Nearby discovery stopped"));
  discovery.start();
  EXPECT_EQ(discovery.status(), looking);
  ASSERT_EQ(browsers.runningCount(), 1);
  EXPECT_EQ(browsers.latest().serviceType, QStringLiteral("_tarnik-relay._tcp"));

  browsers.latest().report({relay("alpha"), relay("Zulu"), OSCEndpoint::hostPort("10.0.0.5", 9443),
                            relay("beta"), relay("Beta"), relay("10 Stage")});
  EXPECT_TRUE(discovery.relays().isEmpty());
  settle();
  EXPECT_EQ(names(discovery.relays()),
            (std::vector<std::string>{"10 Stage", "Beta", "Zulu", "alpha", "beta"}));
  EXPECT_EQ(discovery.relays()[0].endpoint, relay("10 Stage"));
  EXPECT_EQ(discovery.relays()[0].id(), QStringLiteral("10 Stage._tarnik-relay._tcp.local%lo"));

  // Every report replaces the whole list, down to the empty one.
  browsers.latest().report({relay("Desk")});
  settle();
  EXPECT_EQ(names(discovery.relays()), std::vector<std::string>{"Desk"});
  browsers.latest().report({});
  settle();
  EXPECT_TRUE(discovery.relays().isEmpty());
}

TEST_F(TarnikRelayDiscoveryTest, ARestartCancelsTheFirstBrowserAndDropsEverythingItStillReports) {
  discovery.start();
  browsers.latest().report({relay("Desk")});
  settle();
  const auto first = browsers.latest();
  first.report({relay("Early")});  // still on its way when the restart comes

  discovery.start();
  EXPECT_TRUE(discovery.relays().isEmpty());
  EXPECT_EQ(browsers.runningCount(), 1);
  EXPECT_FALSE(*first.running);
  first.report({relay("Late")});
  first.fail(QStringLiteral("Daemon connection failed"));
  settle();
  EXPECT_TRUE(discovery.relays().isEmpty());
  EXPECT_EQ(discovery.status(), looking);

  browsers.latest().report({relay("Booth")});
  settle();
  EXPECT_EQ(names(discovery.relays()), std::vector<std::string>{"Booth"});
}

TEST_F(TarnikRelayDiscoveryTest, StopEmptiesTheListAtOnceKeepsTheStatusAndWinsOverLateReports) {
  discovery.start();
  browsers.latest().report({relay("Desk")});
  settle();
  browsers.latest().report({relay("Booth")});

  discovery.stop();
  EXPECT_TRUE(discovery.relays().isEmpty());
  EXPECT_EQ(discovery.status(), looking);
  EXPECT_EQ(browsers.runningCount(), 0);
  browsers.latest().report({relay("Late")});
  settle();
  EXPECT_TRUE(discovery.relays().isEmpty());
}

TEST_F(TarnikRelayDiscoveryTest, AFailureKeepsTheListAndTheBrowserAndStopKeepsItsText) {
  discovery.start();
  browsers.latest().report({relay("Desk")});
  settle();
  browsers.latest().fail(QStringLiteral("Daemon connection failed"));
  settle();
  const QString failure = QStringLiteral("Nearby discovery failed: Daemon connection failed");
  EXPECT_EQ(discovery.status(), failure);
  EXPECT_EQ(names(discovery.relays()), std::vector<std::string>{"Desk"});
  EXPECT_EQ(browsers.made().size(), 1u);
  EXPECT_EQ(browsers.runningCount(), 1);

  discovery.stop();
  EXPECT_EQ(discovery.status(), failure);
}

TEST_F(TarnikRelayDiscoveryTest, ReportsReachingAReleasedDiscoveryChangeNothing) {
  auto owned = std::make_unique<TarnikRelayDiscovery>(browsers.factory());
  owned->start();
  const auto browser = browsers.latest();
  browser.report({relay("Desk")});  // would apply on the next turn
  owned.reset();
  browser.report({relay("Late")});
  browser.fail(QStringLiteral("Daemon connection failed"));
  settle();
  EXPECT_FALSE(*browser.running);
}

}  // namespace
}  // namespace tarnik
