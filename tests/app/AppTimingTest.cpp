#include "app/SystemAppTiming.h"
#include "foundation/ReferenceDate.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QStringList>

#include <gtest/gtest.h>
#include <optional>

namespace tarnik::testing {
namespace {

TEST(ManualAppTiming, RunsDueWorkInTimeOrderWithTheClocksAtItsTime) {
  ManualAppTiming timing(50, 1000);
  QStringList runs;
  const auto record = [&](const char *name) {
    return [&runs, &timing, name] {
      runs.append(QStringLiteral("%1@%2").arg(QLatin1StringView(name)).arg(timing.uptime()));
    };
  };
  AppTiming::WorkItem late = timing.schedule(2, record("late"));
  AppTiming::WorkItem first = timing.schedule(0.75, record("first"));
  AppTiming::WorkItem tie = timing.schedule(0.75, record("tie"));
  AppTiming::WorkItem beat = timing.repeat(1, record("beat"));
  AppTiming::WorkItem chained;
  AppTiming::WorkItem spawner =
      timing.schedule(0.35, [&] { chained = timing.schedule(0.5, record("chained")); });
  EXPECT_EQ(timing.pendingDelays(), (QList<double>{0.35, 0.75, 0.75, 1, 2}));

  timing.advance(2.5);

  EXPECT_EQ(runs, (QStringList{"first@50.75", "tie@50.75", "chained@50.85", "beat@51", "late@52",
                               "beat@52"}));
  EXPECT_EQ(timing.uptime(), 52.5);
  EXPECT_EQ(timing.date(), 1002.5);
  EXPECT_EQ(timing.pendingDelays(), QList<double>{0.5});
}

TEST(ManualAppTiming, CancelledWorkNeverRuns) {
  ManualAppTiming timing;
  int runs = 0;
  AppTiming::WorkItem released = timing.schedule(1, [&] { ++runs; });
  AppTiming::WorkItem replaced = timing.schedule(1, [&] { ++runs; });
  AppTiming::WorkItem beat;
  beat = timing.repeat(1, [&] {
    ++runs;
    beat.cancel();  // from inside its own work
  });
  {
    AppTiming::WorkItem dropped = timing.schedule(1, [&] { ++runs; });
  }
  released.cancel();
  replaced = timing.schedule(5, [&] { runs += 100; });
  EXPECT_FALSE(released);
  EXPECT_TRUE(replaced);

  timing.advance(3);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(timing.pendingDelays(), QList<double>{2});
}

TEST(SystemAppTiming, RunsAndCancelsOnTheEventLoop) {
  ensureCoreApplication();
  SystemAppTiming timing;
  int single = 0;
  int beats = 0;
  int cancelled = 0;
  AppTiming::WorkItem once = timing.schedule(0.005, [&] {
    ++single;
    once.cancel();  // a fired item may release itself
  });
  AppTiming::WorkItem beat = timing.repeat(0.002, [&] { ++beats; });
  AppTiming::WorkItem never = timing.schedule(0.001, [&] { ++cancelled; });
  never.cancel();
  AppTiming::WorkItem sentinel = timing.schedule(0.03, [] {});

  ASSERT_TRUE(waitUntil([&] { return single == 1 && beats >= 3; }));
  beat.cancel();
  const int beatsWhenCancelled = beats;
  bool sentinelRan = false;
  sentinel = timing.schedule(0.02, [&] { sentinelRan = true; });
  ASSERT_TRUE(waitUntil([&] { return sentinelRan; }));
  EXPECT_EQ(single, 1);
  EXPECT_EQ(beats, beatsWhenCancelled);
  EXPECT_EQ(cancelled, 0);
}

TEST(SystemAppTiming, ReadsTheSystemClocks) {
  SystemAppTiming timing;
  const double before = timing.uptime();
  EXPECT_LE(before, timing.uptime());
  EXPECT_NEAR(timing.date(), referenceSecondsNow(), 1.0);
}

}  // namespace
}  // namespace tarnik::testing
