#include "foundation/BackgroundRelease.h"

#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

// Notes the thread it dies on.
struct Witness {
  std::atomic<QThread *> &diedOn;
  ~Witness() { diedOn.store(QThread::currentThread()); }
};

TEST(BackgroundRelease, TheValueDiesOnAPoolThreadNotTheCaller) {
  std::atomic<QThread *> diedOn = nullptr;
  auto owned = std::make_unique<Witness>(diedOn);
  releaseInBackground(std::move(owned));
  EXPECT_EQ(owned, nullptr);
  QThreadPool::globalInstance()->waitForDone();
  ASSERT_NE(diedOn.load(), nullptr) << "the value was never released";
  EXPECT_NE(diedOn.load(), QThread::currentThread());
}

}  // namespace
}  // namespace tarnik
