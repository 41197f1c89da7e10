#include "foundation/BackgroundWork.h"
#include "support/HeldAnswer.h"
#include "support/QtTestApplication.h"

#include <QThread>

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <semaphore>
#include <vector>

namespace tarnik {
namespace {

using testing::ensureCoreApplication;
using testing::waitUntil;

TEST(SerialWorker, RunsCallsOneAtATimeInTheOrderStartedBehindOneThatHangs) {
  SerialWorker worker;
  std::binary_semaphore answer{0};
  std::vector<int> ran;  // written on the worker's thread, read once it is done
  worker.start([&] {
    answer.acquire();
    ran.push_back(0);
  });
  for (int call = 1; call <= 3; ++call) worker.start([&ran, call] { ran.push_back(call); });
  answer.release();
  EXPECT_EQ(worker.waitForDone(), 4u);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3}));
}

// As at the program's end: the worker goes while a call hangs, without waiting for it.
TEST(SerialWorker, GoingAwayWaitsForNoHungCallAndDropsTheCallsQueuedBehindIt) {
  ensureCoreApplication();
  const auto hung = std::make_shared<testing::HeldAnswer>();
  const auto ended = std::make_shared<std::atomic<bool>>(false);
  auto queued = std::make_shared<int>(0);
  const std::weak_ptr<int> heldByTheQueue = queued;
  {
    SerialWorker worker;
    worker.start([hung, ended] {
      hung->await();
      *ended = true;
    });
    worker.start([queued = std::move(queued)] { ++*queued; });
    ASSERT_TRUE(waitUntil([&] { return hung->calls == 1; }));
  }
  EXPECT_FALSE(ended->load());
  EXPECT_TRUE(heldByTheQueue.expired());
  ASSERT_TRUE(hung->releaseFromEventLoop());
  EXPECT_TRUE(waitUntil([&] { return ended->load(); }));
}

// Work moved off the GUI thread hands its result back on that thread while its receiver
// lives, and to nobody once the receiver is gone: before the work ends, or after it but
// before the result is taken.
TEST(HandBack, AResultReachesOnlyALiveReceiverOnItsOwnThread) {
  ensureCoreApplication();
  using Work = std::function<int()>;
  using Deliver = std::function<void(int)>;
  const struct {
    const char *name;
    std::function<void(QObject *, Work, Deliver)> run;
    std::function<void()> waitForDone;
  } runners[] = {
      {"shared pool",
       [](QObject *receiver, Work work, Deliver deliver) {
         runInBackground(receiver, work, deliver);
       },
       [] { QThreadPool::globalInstance()->waitForDone(); }},
      {"keychain thread",
       [](QObject *receiver, Work work, Deliver deliver) {
         runOnKeychainThread(receiver, work, deliver);
       },
       [] { keychainThread().waitForDone(); }},
  };
  enum class Gone { never, whileWorking, beforeDelivery };
  for (const auto &runner : runners) {
    for (const Gone gone : {Gone::never, Gone::whileWorking, Gone::beforeDelivery}) {
      SCOPED_TRACE(std::string(runner.name) + ", receiver gone " + std::to_string(int(gone)));
      auto receiver = std::make_unique<QObject>();
      std::binary_semaphore answer{0};
      std::atomic<QThread *> workedOn = nullptr;
      std::optional<std::pair<int, QThread *>> delivered;
      runner.run(
          receiver.get(),
          [&] {
            workedOn = QThread::currentThread();
            answer.acquire();
            return 42;
          },
          [&](int result) {
            delivered = {result, QThread::currentThread()};
          });
      if (gone == Gone::whileWorking) receiver.reset();
      answer.release();
      runner.waitForDone();
      if (gone == Gone::beforeDelivery) receiver.reset();
      QCoreApplication::sendPostedEvents();

      EXPECT_NE(workedOn.load(), QThread::currentThread());
      if (gone == Gone::never) {
        EXPECT_EQ(delivered, std::pair(42, QThread::currentThread()));
      } else {
        EXPECT_EQ(delivered, std::nullopt);
      }
    }
  }
}

}  // namespace
}  // namespace tarnik
