#include "screens/kit/KeyedTask.h"

#include <QThreadPool>

namespace tarnik {

namespace {

class ThreadPoolExecutor : public KeyedTaskExecutor {
 public:
  void execute(std::function<void()> job) override {
    QThreadPool::globalInstance()->start(std::move(job));
  }
};

}  // namespace

KeyedTaskExecutor &KeyedTaskExecutor::threadPool() {
  static ThreadPoolExecutor executor;
  return executor;
}

}  // namespace tarnik
