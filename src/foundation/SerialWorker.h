#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace tarnik {

// A thread of its own that runs calls one at a time, in the order they were started. The
// program never waits for it: a call that hangs (a Secret Service that does not answer holds
// one for 25 s) must not hold up the end of the program, and whatever it would hand back has
// nobody left to take it. So the thread is detached, and what it works from (the queue) lives
// on the heap, shared with this object, until both are done with it. When this object goes
// (with the program's statics), calls not yet begun are dropped; the one running may still
// end, and must touch only what it holds itself.
class SerialWorker {
 public:
  SerialWorker();
  ~SerialWorker();
  SerialWorker(const SerialWorker &) = delete;
  SerialWorker &operator=(const SerialWorker &) = delete;

  void start(std::move_only_function<void()> call);

  // For tests, as QThreadPool's: waits until every call started so far has ended, and says
  // how many were started in all, so that a test can tell whether what it did since started
  // another.
  std::size_t waitForDone();

 private:
  struct Queue;
  std::shared_ptr<Queue> queue_;
};

}  // namespace tarnik
