#include "support/ProcessRunner.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

namespace tarnik {

namespace {

int remainingMilliseconds(const QDeadlineTimer &deadline) {
  return int(std::max<qint64>(0, deadline.remainingTime()));
}

}  // namespace

ProcessRunner::~ProcessRunner() { kill(); }

bool ProcessRunner::isAvailable(const QString &program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

std::optional<ProcessRunner::Result> ProcessRunner::run(const QString &program,
                                                        const QStringList &arguments,
                                                        std::chrono::milliseconds timeout) {
  ProcessRunner runner;
  const QDeadlineTimer deadline(timeout);
  if (!runner.start(program, arguments, timeout)) return std::nullopt;
  if (!runner.waitForFinished(std::chrono::milliseconds(remainingMilliseconds(deadline))))
    return std::nullopt;
  return Result{runner.exitCode(), runner.standardOutput(), runner.standardError()};
}

bool ProcessRunner::start(const QString &program, const QStringList &arguments,
                          std::chrono::milliseconds timeout) {
  kill();
  output_.clear();
  error_.clear();
  process_.start(program, arguments);
  return process_.waitForStarted(int(timeout.count()));
}

bool ProcessRunner::waitForOutput(const std::function<bool(const QByteArray &)> &condition,
                                  std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  collect();
  while (!condition(output_)) {
    if (deadline.hasExpired() || !isRunning()) return false;
    process_.waitForReadyRead(remainingMilliseconds(deadline));
    collect();
  }
  return true;
}

bool ProcessRunner::waitForFinished(std::chrono::milliseconds timeout) {
  const bool finished = !isRunning() || process_.waitForFinished(int(timeout.count()));
  collect();
  return finished;
}

void ProcessRunner::kill() {
  if (!isRunning()) return;
  process_.kill();
  process_.waitForFinished(5000);
  collect();
}

const QByteArray &ProcessRunner::standardOutput() {
  collect();
  return output_;
}

const QByteArray &ProcessRunner::standardError() {
  collect();
  return error_;
}

void ProcessRunner::collect() {
  output_ += process_.readAllStandardOutput();
  error_ += process_.readAllStandardError();
}

}  // namespace tarnik
