#include "link/TarnikRelayEventDispatcher.h"
#include "support/QtTestApplication.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <atomic>
#include <gtest/gtest.h>
#include <sys/socket.h>

namespace tarnik {
namespace {

using testing::waitUntil;

// A thread running the dispatcher, with one object living there to post work to.
class DispatcherThread {
 public:
  DispatcherThread() {
    testing::ensureCoreApplication();
    thread_.setEventDispatcher(new TarnikRelayEventDispatcher);
    resident_.moveToThread(&thread_);
    thread_.start();
  }
  ~DispatcherThread() {
    thread_.quit();
    thread_.wait();
  }
  template <typename Work>
  void post(Work work) {
    QMetaObject::invokeMethod(&resident_, work, Qt::QueuedConnection);
  }
  template <typename Work>
  void run(Work work) {
    QMetaObject::invokeMethod(&resident_, work, Qt::BlockingQueuedConnection);
  }
  QObject &resident() { return resident_; }

 private:
  QThread thread_;
  QObject resident_;
};

// Work posted from another thread wakes a loop that sleeps with nothing to do, and work
// posted from the loop's own thread runs on the next turn without waiting for anything.
TEST(TarnikRelayEventDispatcher, RunsPostedWorkFromAnyThread) {
  DispatcherThread loop;
  std::atomic<int> steps{0};
  for (int i = 0; i < 20; ++i) {
    loop.post([&] {
      QMetaObject::invokeMethod(
          &loop.resident(), [&] { ++steps; }, Qt::QueuedConnection);
    });
    ASSERT_TRUE(waitUntil([&] { return steps.load() == i + 1; }, 2000)) << i;
  }
}

TEST(TarnikRelayEventDispatcher, FiresTimersNotBeforeTheirTimeAndStopsThem) {
  DispatcherThread loop;
  std::atomic<qint64> singleShotAfter{-1};
  std::atomic<int> repeats{0};
  QTimer *repeating = nullptr;
  loop.run([&] {
    auto *clock = new QElapsedTimer;
    clock->start();
    QTimer::singleShot(60, &loop.resident(), [&, clock] {
      singleShotAfter = clock->elapsed();
      delete clock;
    });
    repeating = new QTimer(&loop.resident());
    QObject::connect(repeating, &QTimer::timeout, [&] {
      if (++repeats == 3) repeating->stop();
    });
    repeating->start(10);
  });
  ASSERT_TRUE(waitUntil([&] { return singleShotAfter.load() >= 0 && repeats.load() >= 3; }));
  EXPECT_GE(singleShotAfter.load(), 60);
  QThread::msleep(50);
  EXPECT_EQ(repeats.load(), 3);
  loop.run([&] { delete repeating; });
}

// A read notifier reports a descriptor that became readable, and says nothing while it is
// switched off.
TEST(TarnikRelayEventDispatcher, ReportsReadableDescriptorsWhileEnabled) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
  DispatcherThread loop;
  std::atomic<int> reports{0};
  QSocketNotifier *notifier = nullptr;
  loop.run([&] {
    notifier = new QSocketNotifier(pair[0], QSocketNotifier::Read, &loop.resident());
    QObject::connect(notifier, &QSocketNotifier::activated, [&] {
      char byte = 0;
      while (::read(pair[0], &byte, 1) == 1) {
      }
      ++reports;
    });
  });
  ASSERT_EQ(::write(pair[1], "x", 1), 1);
  ASSERT_TRUE(waitUntil([&] { return reports.load() == 1; }));

  loop.run([&] { notifier->setEnabled(false); });
  ASSERT_EQ(::write(pair[1], "y", 1), 1);
  QThread::msleep(50);
  EXPECT_EQ(reports.load(), 1);
  loop.run([&] { notifier->setEnabled(true); });
  EXPECT_TRUE(waitUntil([&] { return reports.load() == 2; }));

  loop.run([&] { delete notifier; });
  ::close(pair[0]);
  ::close(pair[1]);
}

}  // namespace
}  // namespace tarnik
