#pragma once

#include "support/QtTestApplication.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <semaphore>

namespace tarnik::testing {

// A call that answers only when the test lets it, as a keychain waiting for the person
// does. The wait is bounded, so a call made on the GUI thread, where the release comes from,
// gives up instead of hanging.
class HeldAnswer {
 public:
  // Called by the held call on whatever thread runs it; false when nobody released it.
  bool await() {
    ++calls;
    return released_.try_acquire_for(std::chrono::seconds(1));
  }
  // Releases the call from the GUI thread's event loop, and says whether the loop turned.
  bool releaseFromEventLoop() {
    bool turned = false;
    QTimer::singleShot(0, [&] {
      turned = true;
      released_.release();
    });
    return waitUntil([&] { return turned; });
  }

  std::atomic<int> calls = 0;

 private:
  std::binary_semaphore released_{0};
};

}  // namespace tarnik::testing
