// Peers on threads of their own: answers within microseconds, streams that reach the
// manager while its thread is busy, and floods that must not freeze it.

#include "OSCManagerTestSupport.h"
#include "ThreadedUDPConsole.h"
#include "support/SanitizedBuild.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <utility>

namespace tarnik::testing {
namespace {

using namespace std::chrono_literals;

TEST(OSCManagerBusyPeer, EveryDatagramOfAPacedStreamArrivesOnTheSocketAndOnTheListener) {
  constexpr int count = 10'000;
  for (const bool toListener : {false, true}) {
    const quint16 listenPort = freeUDPPort();
    ThreadedUDPConsole console(toListener ? std::optional(listenPort) : std::nullopt);
    auto manager = makeManager(udpCase);
    manager->connect(QStringLiteral("127.0.0.1"), console.port());
    manager->startListening(listenPort);
    ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageCount() == 3; })) << toListener;
    const qint64 before = manager->receivedMessageCount();

    console.stream(count, 100us);
    ASSERT_TRUE(waitUntil([&] { return console.streamed(); }, 60'000));
    // The kernel may drop datagrams when the machine is busy; none may be lost after it.
    const auto taken = [&] {
      return manager->receivedMessageCount() - before + kernelDropsAtPort(console.answerPort());
    };
    waitUntil([&] { return taken() >= count; }, 5'000);
    EXPECT_EQ(taken(), count) << (toListener ? "listener" : "socket");
  }
}

TEST(OSCManagerBusyPeer, ListenerAskedForRightAfterTheConnectTakesAnswersThatComeAtOnce) {
  const quint16 listenPort = freeUDPPort();
  ThreadedUDPConsole console(listenPort);
  auto manager = makeManager(udpCase);
  manager->connect(QStringLiteral("127.0.0.1"), console.port());
  manager->startListening(listenPort);
  // All three answers, and no time-out before them.
  ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageCount() == 3; }));
  EXPECT_TRUE(manager->isEosVerified());
  EXPECT_EQ(manager->roundTripSampleCount(), 1);
  EXPECT_EQ(manager->verifiedConsoleIdentity(), QStringLiteral("1 • Primary"));
  EXPECT_EQ(manager->lastError(), std::nullopt);
}

// Under AddressSanitizer the growth says nothing about the manager's own memory.
constexpr bool residentGrowthIsTheManagers = !tarnik::testing::underAddressSanitizer;

// Resident memory of this process, from the kernel's own count.
qint64 residentBytes() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Watches the event loop while it runs: a timer every 50 ms, and how late it came at worst.
// A busy machine makes the timer late by itself, so the watch first takes a second of that
// ordinary lateness and allows a flood a margin plus several times as much; never half the
// flood's length, though, so a loop held for the whole flood fails however busy the machine.
struct TurnWatch {
  TurnWatch() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      const qint64 elapsed = sinceLast.restart();
      worstSeen = std::max(worstSeen, elapsed - 50);
    });
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(50);
    sinceLast.start();
    QTest::qWait(1000);
    latenessBefore = std::exchange(worstSeen, 0);
  }
  // A turn still overdue counts too: a loop held up to the very end never fires the timer.
  qint64 worstLateness() const { return std::max(worstSeen, sinceLast.elapsed() - 50); }
  qint64 allowedLateness() const { return std::min<qint64>(150 + 8 * latenessBefore, 1000); }
  QTimer timer;
  QElapsedTimer sinceLast;
  qint64 worstSeen = 0;
  qint64 latenessBefore = 0;
};

// A flood for the duration, as fast as the socket takes it, from a socket of its own.
std::thread floodFrom(quint16 destination, std::chrono::milliseconds duration) {
  return std::thread([destination, duration] {
    const int fd = boundUDPSocket();
    const QByteArray packet = OSCMessage{QStringLiteral("/eos/out/flood"), {}}.encoded();
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) sendTo(fd, packet, destination);
    ::close(fd);
  });
}

// Three senders for two seconds, on the console's socket and on the listener: every turn
// of the event loop stays short, the memory growth stays under 16 MiB, and the manager
// still verifies a good console afterwards.
TEST(OSCManagerBusyPeer, UDPFloodKeepsTheEventLoopTurningAndGivesItsMemoryBack) {
  const quint16 listenPort = freeUDPPort();
  ThreadedUDPConsole console;
  auto manager = makeManager(udpCase);
  manager->connect(QStringLiteral("127.0.0.1"), console.port());
  manager->startListening(listenPort);
  ASSERT_TRUE(waitUntil([&] { return manager->isEosVerified(); }));
  const qint64 residentBefore = residentBytes();

  TurnWatch watch;
  console.stream(std::numeric_limits<int>::max(), 0us, 2s);
  std::thread first = floodFrom(listenPort, 2s);
  std::thread second = floodFrom(listenPort, 2s);
  const bool streamed = waitUntil([&] { return console.streamed(); }, 30'000);
  first.join();
  second.join();
  ASSERT_TRUE(streamed);
  ASSERT_TRUE(waitUntil([&] { return manager->receivedMessageRate() == 0; }));

  EXPECT_LE(watch.worstLateness(), watch.allowedLateness())
      << "late by " << watch.latenessBefore << " ms before the flood";
  if (residentGrowthIsTheManagers) {
    EXPECT_LT(residentBytes() - residentBefore, 16 << 20);
  }
  EosConsoleDouble good;
  EXPECT_TRUE(connectAndVerify(*manager, good, udpCase));
}

// A TCP console that accepts one connection and writes packet-length frames to it as fast
// as the socket takes them, for the duration, then closes it.
class FloodingTCPConsole {
 public:
  explicit FloodingTCPConsole(std::chrono::milliseconds duration) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener_, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, duration] {
      const int connection = ::accept(listener_, nullptr, nullptr);
      QByteArray chunk;
      const QByteArray frame = *OSCTCPFramer::frame(
          OSCMessage{QStringLiteral("/eos/out/flood"), {OSCArgument::fromInt(1)}}.encoded(),
          OSCTCPFraming::packetLength);
      while (chunk.size() < 65'536) chunk += frame;
      const auto end = std::chrono::steady_clock::now() + duration;
      while (std::chrono::steady_clock::now() < end &&
             ::send(connection, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL) > 0) {
      }
      ::close(connection);
      done_ = true;
    });
  }
  ~FloodingTCPConsole() {
    thread_.join();
    ::close(listener_);
  }
  quint16 port() const { return port_; }
  bool done() const { return done_; }

 private:
  int listener_ = -1;
  quint16 port_ = 0;
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

TEST(OSCManagerBusyPeer, TCPFloodKeepsTheEventLoopTurningAndHoldsLittleMemory) {
  FloodingTCPConsole console(2s);
  auto manager = makeManager(packetLengthCase);
  const qint64 residentBefore = residentBytes();
  TurnWatch watch;
  qint64 worstGrowth = 0;
  QObject::connect(&watch.timer, &QTimer::timeout,
                   [&] { worstGrowth = std::max(worstGrowth, residentBytes() - residentBefore); });
  manager->connect(QStringLiteral("127.0.0.1"), console.port());
  ASSERT_TRUE(waitUntil([&] { return console.done(); }, 30'000));
  ASSERT_TRUE(waitUntil(
      [&] { return manager->connectionStateDescription() == QStringLiteral("Disconnected"); },
      30'000));

  EXPECT_GT(manager->receivedMessageCount(), 10'000);
  EXPECT_LE(watch.worstLateness(), watch.allowedLateness())
      << "late by " << watch.latenessBefore << " ms before the flood";
  if (residentGrowthIsTheManagers) {
    EXPECT_LT(worstGrowth, 16 << 20);
  }
  EosConsoleDouble good;
  EXPECT_TRUE(connectAndVerify(*manager, good, packetLengthCase));
}

}  // namespace
}  // namespace tarnik::testing
