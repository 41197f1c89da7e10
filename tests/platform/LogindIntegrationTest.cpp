#include "platform/LogindInhibitor.h"
#include "platform/LogindSleepMonitor.h"
#include "support/LogindStandIn.h"
#include "support/QtTestApplication.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::LogindStandIn;
using Inhibitor = LogindStandIn::Inhibitor;

// Runs under with-logind.sh: the stand-in lists a lock until its descriptor is closed.
class LogindIntegration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensureCoreApplication(); }
  void TearDown() override {
    EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000))
        << "a lock outlived its holder";
  }
};

TEST_F(LogindIntegration, InhibitorHoldsItsLockUntilReleased) {
  const Inhibitor wanted{QStringLiteral("idle"), QStringLiteral("Test"),
                         QStringLiteral("serving clients"), QStringLiteral("block")};
  LogindInhibitor inhibitor(QDBusConnection::systemBus(),
                            {wanted.what, wanted.who, wanted.why, wanted.mode});
  inhibitor.acquire();
  inhibitor.acquire();  // already asked for: no second lock
  ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.isHeld(); }, 5000));
  EXPECT_EQ(LogindStandIn::inhibitors(), QList<Inhibitor>{wanted});

  inhibitor.release();
  EXPECT_FALSE(inhibitor.isHeld());
  EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000));

  // Released before logind answered: the late answer's lock is let go, not kept.
  // The stand-in sees the request before this listing, which comes later on the same bus
  // connection; an empty list afterwards means our copy of the descriptor was closed.
  inhibitor.acquire();
  inhibitor.release();
  LogindStandIn::inhibitors();
  EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000));
  EXPECT_FALSE(inhibitor.isHeld());
}

TEST_F(LogindIntegration, SleepMonitorDelaysSleepUntilItsOwnerHasActed) {
  LogindSleepMonitor monitor(QDBusConnection::systemBus(), QStringLiteral("Test"),
                             QStringLiteral("stopping first"));
  const QList<Inhibitor> delay{{QStringLiteral("sleep"), QStringLiteral("Test"),
                                QStringLiteral("stopping first"), QStringLiteral("delay")}};
  ASSERT_TRUE(QTest::qWaitFor([&] { return LogindStandIn::inhibitors() == delay; }, 5000));

  QList<Inhibitor> heldWhileActing;
  QObject::connect(&monitor, &LogindSleepMonitor::willSleep,
                   [&] { heldWhileActing = LogindStandIn::inhibitors(); });
  QSignalSpy notices(&monitor, &LogindSleepMonitor::willSleep);
  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(true));
  ASSERT_TRUE(notices.wait(5000));
  EXPECT_EQ(heldWhileActing, delay);
  EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000));

  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(false));
  EXPECT_TRUE(QTest::qWaitFor([&] { return LogindStandIn::inhibitors() == delay; }, 5000));
  EXPECT_EQ(notices.count(), 1);
}

}  // namespace
}  // namespace tarnik
