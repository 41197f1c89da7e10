#include "FakeBonjourBrowsers.h"
#include "link/OSCServiceDiscovery.h"
#include "support/QtTestApplication.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::descriptions;
using testing::FakeBonjourBrowsers;

OSCEndpoint console(const char *name) {
  return testing::bonjourService(QString::fromUtf8(name), QStringLiteral("_osc._udp"));
}

void settle() { QCoreApplication::sendPostedEvents(); }

class OSCServiceDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ensureCoreApplication(); }

  std::vector<std::string> lastList() const {
    return replaced.isEmpty() ? std::vector<std::string>{}
                              : descriptions(replaced.last().at(0).value<QList<OSCEndpoint>>());
  }

  FakeBonjourBrowsers browsers;
  OSCServiceDiscovery discovery{browsers.factory()};
  QSignalSpy replaced{&discovery, &OSCServiceDiscovery::servicesReplaced};
  QSignalSpy failed{&discovery, &OSCServiceDiscovery::failed};
};

TEST_F(OSCServiceDiscoveryTest, HandsOnEveryListWholeInTheBrowsersOrderDownToTheEmptyOne) {
  discovery.start();
  EXPECT_TRUE(browsers.made().empty());  // scheduled, not run inline
  settle();
  ASSERT_EQ(browsers.runningCount(), 1);
  EXPECT_EQ(browsers.latest().serviceType, QStringLiteral("_osc._udp"));

  browsers.latest().report({console("b"), console("A")});
  EXPECT_TRUE(replaced.isEmpty());
  settle();
  EXPECT_EQ(lastList(), descriptions({console("b"), console("A")}));
  browsers.latest().report({});
  settle();
  EXPECT_EQ(replaced.size(), 2);
  EXPECT_TRUE(lastList().empty());
}

TEST_F(OSCServiceDiscoveryTest, TwoStartsLeaveOneBrowserAndDropEveryLateReportOfTheFirst) {
  discovery.start();
  settle();
  const auto first = browsers.latest();
  discovery.start();
  // Reported while the second start is already scheduled: the list would land after it.
  first.report({console("Early")});
  settle();
  EXPECT_EQ(browsers.made().size(), 2u);
  EXPECT_EQ(browsers.runningCount(), 1);

  first.report({console("Late")});
  first.fail(QStringLiteral("Daemon connection failed"));
  settle();
  EXPECT_TRUE(replaced.isEmpty());
  EXPECT_TRUE(failed.isEmpty());

  browsers.latest().report({console("Stage")});
  settle();
  EXPECT_EQ(lastList(), descriptions({console("Stage")}));
}

TEST_F(OSCServiceDiscoveryTest, AFailureKeepsTheListAndReportsItsText) {
  discovery.start();
  settle();
  browsers.latest().report({console("Stage")});
  settle();
  browsers.latest().fail(QStringLiteral("Daemon connection failed"));
  settle();
  ASSERT_EQ(failed.size(), 1);
  EXPECT_EQ(failed.at(0).at(0).toString(),
            QStringLiteral("OSC discovery failed: Daemon connection failed"));
  EXPECT_EQ(replaced.size(), 1);
  EXPECT_EQ(browsers.runningCount(), 1);
}

}  // namespace
}  // namespace tarnik
