// Bulk throughput and small-message round trip through Tarnik's phone relay and through
// stunnel set up the same way (TLS 1.2, one pre-shared key under the identity
// "TarnikRelay.v1", PSK-AES128-GCM-SHA256 only), both forwarding to the same loopback echo
// console. Each relay runs in a process of its own; the phones and the echo console are
// shared, so both relays see exactly the same peers.

#include "RatioReporting.h"
#include "link/TarnikRelaySecurity.h"
#include "link/TarnikRelayServer.h"
#include "support/EchoConsole.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <sys/prctl.h>

namespace {

using tarnik::TarnikRelaySecurity;

constexpr qint64 throughputBytes = qint64(16) << 20;
constexpr qint64 roundTripBytes = 32;
constexpr int waitLimitMilliseconds = 30000;

QByteArray benchKey() {
  QByteArray key(32, '\0');
  for (int i = 0; i < key.size(); ++i) key[i] = static_cast<char>(0x5a ^ (i * 37));
  return key;
}

QString pairingCode() { return QString::fromLatin1(benchKey().toBase64()); }

quint16 freePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

bool waitForListener(quint16 port) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    if (probe.waitForConnected(200)) return true;
    QThread::msleep(20);
  }
  return false;
}

// Child mode: Tarnik's relay alone in its process, as the application runs it.
int serveRelay(int argc, char **argv, quint16 consolePort) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  QCoreApplication application(argc, argv);
  tarnik::TarnikRelayServer server;
  QObject::connect(&server, &tarnik::TarnikRelayServer::isRunningChanged, [&] {
    if (server.isRunning()) {
      std::printf("PORT %u\n", unsigned(server.boundPort().value_or(0)));
      std::fflush(stdout);
    }
  });
  server.start(tarnik::OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), consolePort), 0,
               pairingCode());
  return application.exec();
}

// A relay process of either kind, stopped when the benchmark ends.
class RelayProcess {
 public:
  ~RelayProcess() {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
      }
    }
  }

  quint16 startTarnik(quint16 consolePort) {
    process_.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--serve-relay"), QString::number(consolePort)});
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains('\n') && clock.elapsed() < 5000 && process_.waitForReadyRead(1000)) {
      output += process_.readAllStandardOutput();
    }
    return output.startsWith("PORT ") ? quint16(output.mid(5).trimmed().toUInt()) : 0;
  }

  quint16 startStunnel(quint16 consolePort) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("stunnel4"));
    if (program.isEmpty() || !directory_.isValid()) return 0;
    // stunnel reads a key written in hexadecimal as the bytes it spells, so both relays
    // hold the same 32-byte key.
    QFile secrets(directory_.filePath(QStringLiteral("psk.txt")));
    if (!secrets.open(QIODevice::WriteOnly)) return 0;
    secrets.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    secrets.write("TarnikRelay.v1:" + benchKey().toHex() + "\n");
    secrets.close();
    const quint16 port = freePort();
    QFile configuration(directory_.filePath(QStringLiteral("stunnel.conf")));
    if (!configuration.open(QIODevice::WriteOnly)) return 0;
    configuration.write(
        QStringLiteral("foreground = yes\npid =\nsyslog = no\ndebug = 3\n"
                       "[relay]\naccept = 127.0.0.1:%1\nconnect = 127.0.0.1:%2\n"
                       "PSKsecrets = %3\nciphers = PSK-AES128-GCM-SHA256\nsslVersion = TLSv1.2\n")
            .arg(port)
            .arg(consolePort)
            .arg(secrets.fileName())
            .toUtf8());
    configuration.close();
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Like the Tarnik relay's process, stunnel ends with the benchmark even when a signal
    // ends the benchmark before its destructors run.
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(program, {configuration.fileName()});
    return process_.waitForStarted(5000) && waitForListener(port) ? port : 0;
  }

 private:
  QProcess process_;
  QTemporaryDir directory_;
};

// The echo console on a thread of its own, so that echoing does not take turns with the
// phones.
class EchoThread {
 public:
  EchoThread() {
    thread_.start();
    holder_.moveToThread(&thread_);
    QMetaObject::invokeMethod(
        &holder_, [this] { console_ = new tarnik::testing::EchoConsole(&holder_); },
        Qt::BlockingQueuedConnection);
  }
  ~EchoThread() {
    QMetaObject::invokeMethod(
        &holder_, [this] { delete console_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
  }
  quint16 port() const { return console_->port(); }

 private:
  QThread thread_;
  QObject holder_;
  tarnik::testing::EchoConsole *console_ = nullptr;
};

// One phone, kept connected across iterations.
class BenchPhone {
 public:
  explicit BenchPhone(quint16 port) : block_(64 * 1024, 'p') {
    TarnikRelaySecurity::armClientSocket(socket_, *TarnikRelaySecurity::parameters(pairingCode()));
    socket_.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    runUntil([this] { return socket_.isEncrypted(); });
  }

  bool isReady() const { return socket_.isEncrypted(); }

  // Seconds until total bytes went through the relay and came back.
  double pushThrough(qint64 total) {
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    qint64 received = 0;
    const auto feed = [&] {
      while (sent < total &&
             socket_.bytesToWrite() + socket_.encryptedBytesToWrite() < 512 * 1024) {
        const qint64 count = std::min<qint64>(block_.size(), total - sent);
        socket_.write(block_.constData(), count);
        sent += count;
      }
    };
    const auto fed = QObject::connect(&socket_, &QSslSocket::encryptedBytesWritten, feed);
    const auto taken = QObject::connect(&socket_, &QIODevice::readyRead,
                                        [&] { received += socket_.readAll().size(); });
    feed();
    const bool done = runUntil([&] { return received >= total; });
    QObject::disconnect(fed);
    QObject::disconnect(taken);
    return done ? clock.nsecsElapsed() / 1e9 : -1;
  }

 private:
  // Runs the event loop until the condition holds after one of the socket's reports, or
  // the socket ends, or the wait limit passes.
  template <typename Condition>
  bool runUntil(Condition condition) {
    if (condition()) return true;
    QEventLoop loop;
    const auto check = [&] {
      if (condition() || socket_.state() == QAbstractSocket::UnconnectedState) loop.quit();
    };
    const auto onRead = QObject::connect(&socket_, &QIODevice::readyRead, &loop, check);
    const auto onEncrypted = QObject::connect(&socket_, &QSslSocket::encrypted, &loop, check);
    const auto onEnd = QObject::connect(&socket_, &QAbstractSocket::disconnected, &loop, check);
    QTimer::singleShot(waitLimitMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(onRead);
    QObject::disconnect(onEncrypted);
    QObject::disconnect(onEnd);
    return condition();
  }

  QSslSocket socket_;
  QByteArray block_;
};

std::map<std::string, std::unique_ptr<BenchPhone>> phones;
std::map<std::string, quint16> relayPorts;

BenchPhone *phoneFor(const std::string &relay) {
  auto &phone = phones[relay];
  if (!phone) phone = std::make_unique<BenchPhone>(relayPorts.at(relay));
  return phone->isReady() ? phone.get() : nullptr;
}

void measure(benchmark::State &state, const std::string &relay, qint64 bytes) {
  BenchPhone *phone = phoneFor(relay);
  if (phone == nullptr) {
    state.SkipWithError("the phone could not reach the relay");
    return;
  }
  for (auto _ : state) {
    const double seconds = phone->pushThrough(bytes);
    if (seconds < 0) {
      state.SkipWithError("the echo did not come back in time");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(state.iterations() * bytes * 2);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::string(argv[1]) == "--serve-relay") {
    return serveRelay(argc, argv, quint16(std::stoi(argv[2])));
  }
  QCoreApplication application(argc, argv);
  EchoThread echo;
  RelayProcess tarnikRelay;
  RelayProcess stunnel;
  relayPorts["tarnik"] = tarnikRelay.startTarnik(echo.port());
  relayPorts["stunnel"] = stunnel.startStunnel(echo.port());
  if (relayPorts["tarnik"] == 0 || relayPorts["stunnel"] == 0) {
    std::fprintf(stderr, "could not start both relays (tarnik port %u, stunnel port %u)\n",
                 unsigned(relayPorts["tarnik"]), unsigned(relayPorts["stunnel"]));
    return 1;
  }

  for (const std::string relay : {"tarnik", "stunnel"}) {
    benchmark::RegisterBenchmark(("throughput/" + relay).c_str(), measure, relay, throughputBytes)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("round_trip/" + relay).c_str(), measure, relay, roundTripBytes)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }

  tarnik::initializeRepeatedBenchmarks(argc, argv, 9, tarnik::BenchInterleaving::random);
  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("relay_throughput", "throughput/tarnik", "throughput/stunnel");
  // A round trip takes a few hundred microseconds, well inside one slow spell of a shared
  // machine, so its ratio comes from the two relays timed in alternation, not from whole
  // repetitions that a spell may favour. The rounds span about half a second: over a tenth
  // of a second, one spell now and then moved a whole run's ratio by half.
  //
  // The bulk transfers just before leave the two sides uneven for a second or two: right
  // after stunnel's throughput runs alone, the rounds came out a tenth in its favour, which
  // two seconds of round trips later was gone. So both first trade round trips in alternation
  // for that long, the same work for each, and the paired rounds start from even ground.
  QElapsedTimer settling;
  settling.start();
  while (settling.elapsed() < 2000) {
    for (const char *relay : {"tarnik", "stunnel"}) phoneFor(relay)->pushThrough(roundTripBytes);
  }
  tarnik::printPairedRatio(
      "relay_round_trip", [] { phoneFor("tarnik")->pushThrough(roundTripBytes); },
      [] { phoneFor("stunnel")->pushThrough(roundTripBytes); }, 1501);
  phones.clear();
  benchmark::Shutdown();
  return 0;
}
