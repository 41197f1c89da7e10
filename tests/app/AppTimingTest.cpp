#include "app/SystemAppTiming.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

TEST(ManualAppTiming, RunsDueWorkInTimeOrderUnlessCancelled) {
  ManualAppTiming timing(50, 1000);
  QStringList runs;
  const auto record = [&](const char *name) {
    return [&runs, &timing, name] { runs.append(u"%1@%2"_qs.arg(name).arg(timing.uptime())); };
  };
  AppTiming::WorkItem late = timing.schedule(2, record("late"));
  AppTiming::WorkItem first = timing.schedule(0.75, record("first"));
  AppTiming::WorkItem tie = timing.schedule(0.75, record("tie"));
  AppTiming::WorkItem beat = timing.repeat(1, record("beat"));
  AppTiming::WorkItem chained, selfCancelling;
  AppTiming::WorkItem spawner =
      timing.schedule(0.35, [&] { chained = timing.schedule(0.5, record("chained")); });
  selfCancelling = timing.repeat(0.5, [&] {
    runs.append(u"once"_qs);
    selfCancelling.cancel();
  });
  AppTiming::WorkItem cancelled = timing.schedule(1, record("cancelled"));
  AppTiming::WorkItem replaced = timing.schedule(1, record("replaced"));
  { AppTiming::WorkItem released = timing.schedule(1, record("released")); }
  cancelled.cancel();
  replaced = timing.schedule(3, record("replacement"));
  EXPECT_EQ(timing.pendingDelays(), (QList<double>{0.35, 0.5, 0.75, 0.75, 1, 2, 3}));

  timing.advance(2.5);

  EXPECT_EQ(runs.join(u' '),
            u"once first@50.75 tie@50.75 chained@50.85 beat@51 late@52 beat@52"_qs);
  EXPECT_EQ(timing.date(), 1002.5);
  EXPECT_EQ(timing.pendingDelays(), (QList<double>{0.5, 0.5}));
}

TEST(SystemAppTiming, RunsAndCancelsOnTheEventLoop) {
  ensureCoreApplication();
  SystemAppTiming timing;
  int single = 0, beats = 0, cancelled = 0;
  bool sentinel = false;
  AppTiming::WorkItem once = timing.schedule(0.005, [&] {
    ++single;
    once.cancel();  // a fired item may release itself
  });
  AppTiming::WorkItem beat = timing.repeat(0.002, [&] { ++beats; });
  AppTiming::WorkItem never = timing.schedule(0.001, [&] { ++cancelled; });
  never.cancel();

  ASSERT_TRUE(waitUntil([&] { return single == 1 && beats >= 3; }));
  beat.cancel();
  const int beatsWhenCancelled = beats;
  AppTiming::WorkItem last = timing.schedule(0.02, [&] { sentinel = true; });
  ASSERT_TRUE(waitUntil([&] { return sentinel; }));
  EXPECT_EQ(std::tuple(single, beats, cancelled), std::tuple(1, beatsWhenCancelled, 0));
}

}  // namespace
}  // namespace tarnik::testing
