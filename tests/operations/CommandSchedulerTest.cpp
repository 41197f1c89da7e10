#include "operations/SystemLevelCommandScheduler.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtTestApplication.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace tarnik {
namespace {

using testing::ensureCoreApplication;
using testing::ManualLevelCommandScheduler;
using testing::waitUntil;

class SystemScheduling : public ::testing::Test {
 protected:
  SystemScheduling() {
    ensureCoreApplication();
    scheduler = std::make_unique<SystemLevelCommandScheduler>();
  }
  std::unique_ptr<SystemLevelCommandScheduler> scheduler;
};

TEST_F(SystemScheduling, RunsActionsInDueOrderOnLaterTurns) {
  // Negative and NaN delays count as 0.
  const std::vector<double> delays = {0.03, 0, 0.02, -1, 0.01, 0.02, std::nan("")};
  std::vector<int> ran;
  std::vector<std::unique_ptr<LevelCommandScheduledAction>> handles;
  for (int n = 0; n < int(delays.size()); ++n) {
    handles.push_back(scheduler->schedule(delays[n], [&ran, n] { ran.push_back(n); }));
    EXPECT_TRUE(ran.empty());
  }
  ASSERT_TRUE(waitUntil([&] { return ran.size() == delays.size(); }));
  EXPECT_EQ(ran, (std::vector<int>{1, 3, 6, 4, 2, 5, 0}));
}

TEST_F(SystemScheduling, CancelledOrDroppedActionsNeverRunEvenWhenAlreadyDue) {
  bool cancelledRan = false, droppedRan = false, sentinelRan = false;
  auto cancelled = scheduler->schedule(0.001, [&] { cancelledRan = true; });
  auto dropped = scheduler->schedule(0.001, [&] { droppedRan = true; });
  auto sentinel = scheduler->schedule(0.002, [&] { sentinelRan = true; });
  // Block the event loop past every due time, so the timer has fired when we cancel.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  cancelled->cancel();
  cancelled->cancel();
  dropped.reset();
  ASSERT_TRUE(waitUntil([&] { return sentinelRan; }));
  sentinel->cancel();
  EXPECT_FALSE(cancelledRan);
  EXPECT_FALSE(droppedRan);
}

TEST_F(SystemScheduling, ActionsMayReshapeTheQueueWhileTheyRun) {
  std::vector<QString> ran;
  std::unique_ptr<LevelCommandScheduledAction> first, second, later;
  first = scheduler->schedule(0.001, [&] {
    ran.push_back("first");
    second->cancel();
    first.reset();  // its own handle
    later = scheduler->schedule(0, [&] { ran.push_back("later"); });
    EXPECT_EQ(ran.size(), 1u);
  });
  second = scheduler->schedule(0.001, [&] { ran.push_back("second"); });
  ASSERT_TRUE(waitUntil([&] { return ran.size() == 2; }));
  EXPECT_EQ(ran, (std::vector<QString>{"first", "later"}));

  // An action that destroys the scheduler stops the other actions due with it.
  bool orphanRan = false;
  auto destroyer = scheduler->schedule(0, [&] { scheduler.reset(); });
  auto orphan = scheduler->schedule(0, [&] { orphanRan = true; });
  ASSERT_TRUE(waitUntil([&] { return !scheduler; }));
  QCoreApplication::processEvents();
  orphan->cancel();
  EXPECT_FALSE(orphanRan);
}

// Timer descriptors of this process and their clocks, from /proc/self/fdinfo.
QMap<int, int> timerClocksByDescriptor() {
  QMap<int, int> clocks;
  for (const QString &entry : QDir("/proc/self/fd").entryList(QDir::System)) {
    char target[64] = {};
    const QByteArray link = ("/proc/self/fd/" + entry).toUtf8();
    if (::readlink(link.constData(), target, sizeof target - 1) < 0) continue;
    if (QByteArray(target) != "anon_inode:[timerfd]") continue;
    QFile info("/proc/self/fdinfo/" + entry);
    if (!info.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray &line : info.readAll().split('\n')) {
      if (line.startsWith("clockid:")) clocks[entry.toInt()] = line.mid(8).trimmed().toInt();
    }
  }
  return clocks;
}

TEST_F(SystemScheduling, KeepsOneBootTimeTimerDescriptorForAllItsActions) {
  const QMap<int, int> before = timerClocksByDescriptor();
  SystemLevelCommandScheduler another;
  std::vector<std::unique_ptr<LevelCommandScheduledAction>> handles;
  for (int n = 1; n <= 5; ++n) handles.push_back(another.schedule(n, [] {}));
  QMap<int, int> added = timerClocksByDescriptor();
  for (const int descriptor : before.keys()) added.remove(descriptor);
  ASSERT_EQ(added.size(), 1);
  EXPECT_EQ(added.first(), 7);  // CLOCK_BOOTTIME
}

TEST(ManualScheduling, RunsDueActionsAtTheirTimeAsVirtualTimeAdvances) {
  ManualLevelCommandScheduler scheduler;
  std::vector<std::pair<std::string, double>> ran;
  const auto record = [&](std::string name) {
    return [&ran, &scheduler, name] { ran.emplace_back(name, std::round(scheduler.now() * 1000)); };
  };
  std::unique_ptr<LevelCommandScheduledAction> chained;
  auto late = scheduler.schedule(0.3, record("late"));
  auto early = scheduler.schedule(0.1, [&] {
    record("early")();
    chained = scheduler.schedule(0.05, record("chained"));
  });
  auto cancelled = scheduler.schedule(0.2, record("cancelled"));
  auto immediate = scheduler.schedule(0, record("immediate"));
  cancelled->cancel();
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(scheduler.pendingCount(), 3);
  scheduler.advance(0);
  scheduler.advance(0.2);
  scheduler.advance(0.1);
  EXPECT_EQ(ran, (std::vector<std::pair<std::string, double>>{
                     {"immediate", 0}, {"early", 100}, {"chained", 150}, {"late", 300}}));
  EXPECT_EQ(scheduler.pendingCount(), 0);
}

}  // namespace
}  // namespace tarnik
