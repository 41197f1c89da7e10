// Time from process start to the first paint of the window: Tarnik's own entry against a
// minimal Qt Widgets program that opens an empty window of the same size. Both run under
// an Xvfb this benchmark starts, 20 times each, alternating; the medians give the ratio.

#include "RatioReporting.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace {

constexpr int runs = 20;

long long monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// An X server of our own on the first free display number from 90.
class OwnXServer {
 public:
  bool start() {
    for (int number = 90; number < 140; ++number) {
      if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
          QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
        continue;
      }
      display_ = QStringLiteral(":%1").arg(number);
      server_.start(QStringLiteral("Xvfb"), {display_, QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1400x1000x24"),
                                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
      if (!server_.waitForStarted(5000)) return false;
      for (int wait = 0; wait < 100; ++wait) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) return true;
        if (server_.state() == QProcess::NotRunning) break;
        QThread::msleep(50);
      }
      server_.kill();
      server_.waitForFinished(5000);
    }
    return false;
  }
  ~OwnXServer() {
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
  }
  const QString &display() const { return display_; }

 private:
  QProcess server_;
  QString display_;
};

// Milliseconds from starting the program to its first paint; nothing when it failed.
std::optional<double> timeToFirstPaint(const QString &program,
                                       const QProcessEnvironment &environment) {
  QProcess process;
  process.setProcessEnvironment(environment);
  const long long started = monotonicNanoseconds();
  process.start(program, {});
  if (!process.waitForFinished(30000) || process.exitCode() != 0) {
    std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                 process.readAllStandardError().constData());
    return std::nullopt;
  }
  bool read = false;
  const long long painted = process.readAllStandardOutput().trimmed().toLongLong(&read);
  if (!read) return std::nullopt;
  return static_cast<double>(painted - started) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  OwnXServer server;
  if (!server.start()) {
    std::fprintf(stderr, "bench_window_open: Xvfb did not start\n");
    return 1;
  }
  // A home of its own, so no stored connection of the user's is restored.
  QTemporaryDir home;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), server.display());
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
  // No session bus: the pairing-code load after the first paint must not wait on a keyring
  // prompt that nobody answers under this X server.
  environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                     QStringLiteral("unix:path=/nonexistent"));

  std::vector<double> tarnik;
  std::vector<double> reference;
  for (int run = 0; run < runs; ++run) {
    const bool tarnikFirst = run % 2 == 0;
    for (int side = 0; side < 2; ++side) {
      const bool isTarnik = (side == 0) == tarnikFirst;
      const auto time = timeToFirstPaint(
          QString::fromUtf8(isTarnik ? TARNIK_WINDOW_OPEN_PROGRAM : REFERENCE_WINDOW_OPEN_PROGRAM),
          environment);
      if (!time) return 1;
      (isTarnik ? tarnik : reference).push_back(*time);
    }
  }
  const double ours = tarnik::median(tarnik);
  const double theirs = tarnik::median(reference);
  std::printf("window_open tarnik     median %.1f ms over %d runs\n", ours, runs);
  std::printf("window_open reference  median %.1f ms over %d runs\n", theirs, runs);
  std::printf("RATIO window_open %.3f\n", ours / theirs);
  return 0;
}
