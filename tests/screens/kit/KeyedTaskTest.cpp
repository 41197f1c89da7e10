#include "screens/kit/KeyedTask.h"
#include "screens/support/ManualTaskExecutor.h"
#include "support/QtTestApplication.h"

#include <QThread>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tarnik {
namespace {

using testing::ManualTaskExecutor;

// A query's result: which query it answered, so a test sees which result was delivered.
int squareOf(const int &query) { return query * query; }

struct Screen {
  ManualTaskExecutor executor;
  std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
  KeyedTask<int> task{receiver.get(), executor};
  std::vector<int> delivered;

  void search(int query) {
    task.start(std::make_shared<const int>(query), squareOf,
               [this](int result) { delivered.push_back(result); });
  }
};

TEST(KeyedTask, OnlyTheCurrentGenerationsResultIsDeliveredWhateverOrderTheyFinishIn) {
  Screen screen;
  screen.search(2);
  screen.search(3);
  screen.executor.run(1);  // the newer one finishes first
  screen.executor.run(0);
  EXPECT_TRUE(screen.delivered.empty()) << "delivered before the next turn";
  QCoreApplication::processEvents();
  EXPECT_EQ(screen.delivered, std::vector<int>{9});

  // A result that arrives after a newer start is dropped even when its work ran first.
  screen.search(4);
  screen.executor.run(0);
  screen.search(5);
  QCoreApplication::processEvents();
  screen.executor.run(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(screen.delivered, (std::vector<int>{9, 25}));

  screen.search(6);
  screen.task.cancel();
  screen.executor.run(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(screen.delivered, (std::vector<int>{9, 25}));
}

TEST(KeyedTask, AResultForAReceiverThatIsGoneIsDroppedWithoutACrash) {
  // The receiver dies between the work and the delivery.
  Screen screen;
  screen.search(2);
  screen.executor.run(0);
  screen.receiver.reset();
  QCoreApplication::processEvents();
  EXPECT_TRUE(screen.delivered.empty());

  // The receiver, and the task it owned, die before the work runs.
  ManualTaskExecutor executor;
  bool delivered = false;
  {
    QObject receiver;
    KeyedTask<int> task(&receiver, executor);
    task.start(std::make_shared<const int>(7), squareOf, [&](int) { delivered = true; });
  }
  executor.run(0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(delivered);
}

TEST(KeyedTask, WorkRunsOnThePoolAndItsResultComesBackOnTheGuiThread) {
  QObject receiver;
  KeyedTask<QThread *> task(&receiver);
  QThread *delivering = nullptr;
  QThread *working = nullptr;
  task.start(
      std::make_shared<const int>(0), [](const int &) { return QThread::currentThread(); },
      [&](QThread *worker) {
        working = worker;
        delivering = QThread::currentThread();
      });
  ASSERT_TRUE(testing::waitUntil([&] { return delivering != nullptr; }));
  EXPECT_EQ(delivering, QCoreApplication::instance()->thread());
  EXPECT_NE(working, delivering);
}

}  // namespace
}  // namespace tarnik
