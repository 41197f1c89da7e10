#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <utility>

namespace tarnik {

// Where a keyed task's work runs: the thread pool in the program, a hand-run queue in tests
// that want to choose the order in which results come back.
class KeyedTaskExecutor {
 public:
  virtual ~KeyedTaskExecutor() = default;
  virtual void execute(std::function<void()> job) = 0;

  // Runs each job on Qt's global thread pool.
  static KeyedTaskExecutor &threadPool();
};

// Heavy pure work a screen starts for what it shows now (a search for the current query, a
// list for the selected mode). Each start begins a new generation; a result comes back on
// the GUI thread, one turn later at the earliest, and is delivered only while its
// generation is still the current one and its receiver still lives. A result of an older
// query, or one for a screen the user has left, is therefore dropped, whatever order the
// threads finish in.
template <class Result>
class KeyedTask {
 public:
  explicit KeyedTask(QObject *receiver,
                     KeyedTaskExecutor &executor = KeyedTaskExecutor::threadPool())
      : receiver_(receiver), executor_(executor) {}
  KeyedTask(const KeyedTask &) = delete;
  KeyedTask &operator=(const KeyedTask &) = delete;
  // A task that goes away takes its results with it.
  ~KeyedTask() { cancel(); }

  // Runs work(*input) away from the GUI thread and hands its result to deliver on the GUI
  // thread. The input is shared and never changed, so the work may read it while the
  // screen goes on; the work must touch nothing else the screen owns.
  template <class Input, class Work, class Deliver>
  void start(std::shared_ptr<const Input> input, Work work, Deliver deliver) {
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    const quint64 generation = ++*current_;
    executor_.execute([input = std::move(input), work = std::move(work),
                       deliver = std::move(deliver), current = current_, generation,
                       receiver = receiver_]() mutable {
      auto result = std::make_shared<Result>(work(*input));
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [result, deliver = std::move(deliver), current = std::move(current), generation,
           receiver = std::move(receiver)]() mutable {
            if (!receiver || *current != generation) return;
            deliver(std::move(*result));
          },
          Qt::QueuedConnection);
    });
  }

  // Drops every result still on its way.
  void cancel() { ++*current_; }

 private:
  QPointer<QObject> receiver_;
  KeyedTaskExecutor &executor_;
  // Read and written on the GUI thread only; shared so that a late result can still ask.
  std::shared_ptr<quint64> current_ = std::make_shared<quint64>(0);
};

}  // namespace tarnik
