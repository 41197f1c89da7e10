#include "TarnikRelayServerFixture.h"
#include "support/LogindStandIn.h"

namespace tarnik {
namespace {

using testing::LogindStandIn;
using Inhibitor = LogindStandIn::Inhibitor;

const Inhibitor keepAwake{QStringLiteral("idle"), QStringLiteral("Tarnik"),
                          QStringLiteral("Tarnik is serving connected lighting-control clients"),
                          QStringLiteral("block")};

bool holds(const Inhibitor &wanted) { return LogindStandIn::inhibitors().contains(wanted); }

bool holdsSleepDelay() {
  const auto all = LogindStandIn::inhibitors();
  return std::any_of(all.begin(), all.end(), [](const Inhibitor &held) {
    return held.what == QStringLiteral("sleep") && held.mode == QStringLiteral("delay") &&
           held.who == QStringLiteral("Tarnik");
  });
}

// Runs under with-logind.sh, whose stand-in logind lists exactly the locks still held.
class TarnikRelayServerLogindIntegration : public testing::TarnikRelayServerFixture {};

TEST_F(TarnikRelayServerLogindIntegration, KeepsTheMachineAwakeOnlyWhileListening) {
  {
    TarnikRelayServer server;
    ASSERT_TRUE(QTest::qWaitFor(holdsSleepDelay, 5000));
    EXPECT_FALSE(holds(keepAwake));

    ASSERT_NE(startRelay(server), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return holds(keepAwake); }, 5000));

    server.stop();
    EXPECT_TRUE(QTest::qWaitFor([] { return !holds(keepAwake); }, 5000));
    EXPECT_TRUE(holdsSleepDelay());
  }
  EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000));
}

TEST_F(TarnikRelayServerLogindIntegration, StopsForSleepAndLetsTheMachineGo) {
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  auto phone = this->phone(port);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return server.clientCount() == 1 && holds(keepAwake) && holdsSleepDelay(); }, 5000));

  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(true));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server.isRunning(); }, 5000));
  EXPECT_EQ(
      server.status(),
      QStringLiteral("Relay stopped for system sleep. Start the phone relay again after waking."));
  EXPECT_EQ(server.boundPort(), std::nullopt);
  EXPECT_EQ(server.clientCount(), 0);
  EXPECT_TRUE(QTest::qWaitFor([] { return LogindStandIn::inhibitors().isEmpty(); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone->isClosed(); }, 5000));

  // Awake again: nothing restarts, the next sleep is delayed again, and a sleep while
  // stopped leaves the plain stopped text.
  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(false));
  EXPECT_TRUE(QTest::qWaitFor(holdsSleepDelay, 5000));
  EXPECT_FALSE(server.isRunning());
  ASSERT_TRUE(LogindStandIn::announcePrepareForSleep(true));
  EXPECT_TRUE(QTest::qWaitFor([] { return !holdsSleepDelay(); }, 5000));
  EXPECT_EQ(server.status(), QStringLiteral("Relay stopped"));
}

}  // namespace
}  // namespace tarnik
