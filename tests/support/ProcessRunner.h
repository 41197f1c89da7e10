#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

namespace tarnik {

// A child process for tests that talk to real third-party tools. Output is collected as it
// arrives; every wait is bounded, and the child is killed and reaped when the runner goes,
// so a failing test never leaves a process behind.
class ProcessRunner {
 public:
  struct Result {
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
  };

  ProcessRunner() = default;
  ~ProcessRunner();
  ProcessRunner(const ProcessRunner &) = delete;
  ProcessRunner &operator=(const ProcessRunner &) = delete;

  // True when the program is found on PATH.
  static bool isAvailable(const QString &program);

  // Runs the program to its end; nothing when it did not start or did not end in time (it
  // is killed then).
  static std::optional<Result> run(const QString &program, const QStringList &arguments,
                                   std::chrono::milliseconds timeout);

  bool start(const QString &program, const QStringList &arguments,
             std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits until the standard output read so far satisfies the condition; false when the
  // time runs out first or the child ends without satisfying it.
  bool waitForOutput(const std::function<bool(const QByteArray &)> &condition,
                     std::chrono::milliseconds timeout);
  bool waitForFinished(std::chrono::milliseconds timeout);
  void kill();

  bool isRunning() const { return process_.state() != QProcess::NotRunning; }
  int exitCode() const { return process_.exitCode(); }
  const QByteArray &standardOutput();
  const QByteArray &standardError();

 private:
  void collect();

  QProcess process_;
  QByteArray output_;
  QByteArray error_;
};

}  // namespace tarnik
