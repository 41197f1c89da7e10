// How fast one OSCManager takes in console traffic over TCP with packet-length framing:
// read, de-framed, decoded and published as the latest received message, one message at
// a time. The reference reads the same stream from the same kind of socket and only splits
// it into frames, so the ratio is what decoding and publishing cost on top of the socket.

#include "RatioReporting.h"
#include "link/OSCManager.h"
#include "link/OSCTCPFramer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace {

using tarnik::OSCArgument;
using tarnik::OSCManager;
using tarnik::OSCMessage;
using tarnik::OSCTCPFramer;
using tarnik::OSCTCPFraming;

constexpr int messageCount = 50'000;

// The stream a console sends while a show is live: command-line echoes, wheel and channel
// state, cue events.
QByteArray consoleStream() {
  const auto s = [](const char *text) { return OSCArgument::fromString(QString::fromUtf8(text)); };
  const QList<OSCMessage> messages{
      {"/eos/out/cmd", {s("LIVE: Cue 1 : Chan 1 Thru 10 Full #")}},
      {"/eos/out/active/chan", {s("1-10 [100] Source Four LED Series 2 Lustr")}},
      {"/eos/out/active/wheel/1",
       {s("Intensity  [100]"), OSCArgument::fromInt(1), OSCArgument::fromFloat(100.0f)}},
      {"/eos/out/event/cue/1/2/fire", {}},
      {"/eos/out/pantilt",
       {OSCArgument::fromFloat(0.0f), OSCArgument::fromFloat(540.0f),
        OSCArgument::fromFloat(-135.0f), OSCArgument::fromFloat(135.0f),
        OSCArgument::fromFloat(12.5f), OSCArgument::fromFloat(-4.25f)}},
  };
  QByteArray stream;
  for (int index = 0; index < messageCount; ++index) {
    stream += *OSCTCPFramer::frame(messages[index % messages.size()].encoded(),
                                   OSCTCPFraming::packetLength);
  }
  return stream;
}

// A console on 127.0.0.1 that writes the whole stream to each connection it accepts, then
// reads (and drops) what the peer sends until the peer closes.
class StreamingConsole {
 public:
  explicit StreamingConsole(QByteArray stream) : stream_(std::move(stream)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~StreamingConsole() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
  }

  quint16 port() const { return port_; }

 private:
  void serve() {
    while (!stopping_) {
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      for (qsizetype sent = 0; sent < stream_.size();) {
        const ssize_t written = ::send(connection, stream_.constData() + sent,
                                       size_t(stream_.size() - sent), MSG_NOSIGNAL);
        if (written <= 0) break;
        sent += written;
      }
      char sink[4096];
      while (::recv(connection, sink, sizeof sink, 0) > 0) {
      }
      ::close(connection);
    }
  }

  QByteArray stream_;
  int listener_ = -1;
  quint16 port_ = 0;
  std::atomic<bool> stopping_ = false;
  std::thread thread_;
};

StreamingConsole *console = nullptr;

void runUntil(QEventLoop &loop) {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
  guard.start(60'000);
  if (loop.exec() != 0) std::fprintf(stderr, "a run did not finish\n");
}

void receiveOSCManager(benchmark::State &state) {
  for (auto _ : state) {
    OSCManager manager(8, 5);
    QEventLoop loop;
    QObject::connect(&manager, &OSCManager::receivedMessageCountChanged, &loop,
                     [&loop](qint64 count) {
                       if (count == messageCount) loop.quit();
                     });
    manager.connect(QStringLiteral("127.0.0.1"), console->port());
    runUntil(loop);
    benchmark::DoNotOptimize(manager.lastReceivedMessage());
  }
  state.SetItemsProcessed(state.iterations() * messageCount);
}

void receivePlainReader(benchmark::State &state) {
  for (auto _ : state) {
    QTcpSocket socket;
    OSCTCPFramer framer(OSCTCPFraming::packetLength);
    qsizetype frames = 0;
    QEventLoop loop;
    QObject::connect(&socket, &QIODevice::readyRead, &loop, [&] {
      while (socket.bytesAvailable() > 0) {
        frames +=
            framer
                .append(socket.read(std::min(socket.bytesAvailable(), OSCManager::maximumReadSize)))
                ->size();
      }
      if (frames == messageCount) loop.quit();
    });
    socket.connectToHost(QStringLiteral("127.0.0.1"), console->port());
    runUntil(loop);
  }
  state.SetItemsProcessed(state.iterations() * messageCount);
}

BENCHMARK(receiveOSCManager)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(receivePlainReader)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  tarnik::initializeRepeatedBenchmarks(argc, argv, 5, tarnik::BenchInterleaving::random);

  StreamingConsole streamingConsole(consoleStream());
  console = &streamingConsole;
  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("console_receive", "receiveOSCManager", "receivePlainReader");
  benchmark::Shutdown();
  console = nullptr;
  return 0;
}
