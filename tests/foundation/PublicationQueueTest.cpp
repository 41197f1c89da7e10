#include "foundation/PublicationQueue.h"
#include "support/QtTestApplication.h"

#include <QEventLoop>

#include <gtest/gtest.h>
#include <vector>

namespace tarnik {
namespace {

using testing::ensureCoreApplication;

class PublicationQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureCoreApplication(); }

  QObject owner;
  CallbackIdentity identity;
  PublicationQueue queue{owner, identity};
  std::vector<int> ran;
};

TEST_F(PublicationQueueTest, RunsOneTurnLaterInOrderAndOnlyForTheCurrentIdentity) {
  queue.enqueue(identity.current(), [&] { ran.push_back(1); });
  const CallbackIdentity::Value current = identity.renew();
  queue.enqueue(current, [&, current] {
    ran.push_back(2);
    // Asked for while the queue runs: waits for the next turn.
    queue.enqueue(current, [&] { ran.push_back(4); });
  });
  queue.enqueue(current, [&] { ran.push_back(3); });
  EXPECT_TRUE(ran.empty());

  QCoreApplication::sendPostedEvents(&owner);
  EXPECT_EQ(ran, (std::vector<int>{2, 3}));
  QCoreApplication::sendPostedEvents(&owner);
  EXPECT_EQ(ran, (std::vector<int>{2, 3, 4}));
}

TEST_F(PublicationQueueTest, AnEventLoopNestedInAChangeGoesOnInOrder) {
  for (int index = 0; index < 3; ++index) {
    queue.enqueue(identity.current(), [&, index] {
      ran.push_back(index);
      if (index == 0) {
        QEventLoop nested;
        queue.enqueue(identity.current(), [&] {
          ran.push_back(9);
          nested.quit();
        });
        nested.exec();
      }
    });
  }
  QCoreApplication::sendPostedEvents(&owner);
  QCoreApplication::sendPostedEvents(&owner);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 9}));
}

}  // namespace
}  // namespace tarnik
