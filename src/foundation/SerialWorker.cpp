#include "foundation/SerialWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace tarnik {

struct SerialWorker::Queue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::move_only_function<void()>> calls;
  bool running = false;
  bool closed = false;
  std::size_t started = 0;

  void serve() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return closed || !calls.empty(); });
      if (closed) return;
      auto call = std::move(calls.front());
      calls.pop_front();
      running = true;
      lock.unlock();
      call();
      call = nullptr;  // what the call held goes before the next one starts
      lock.lock();
      running = false;
      changed.notify_all();
    }
  }
};

SerialWorker::SerialWorker() : queue_(std::make_shared<Queue>()) {
  std::thread([queue = queue_] { queue->serve(); }).detach();
}

SerialWorker::~SerialWorker() {
  std::lock_guard lock(queue_->mutex);
  queue_->closed = true;
  queue_->calls.clear();
  queue_->changed.notify_all();
}

void SerialWorker::start(std::move_only_function<void()> call) {
  std::lock_guard lock(queue_->mutex);
  queue_->calls.push_back(std::move(call));
  ++queue_->started;
  queue_->changed.notify_all();
}

std::size_t SerialWorker::waitForDone() {
  std::unique_lock lock(queue_->mutex);
  queue_->changed.wait(lock, [this] { return queue_->calls.empty() && !queue_->running; });
  return queue_->started;
}

}  // namespace tarnik
