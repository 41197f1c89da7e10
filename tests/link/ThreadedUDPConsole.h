#pragma once

// A UDP console on a thread of its own, for what the loopback double cannot show because it
// shares the manager's thread: answers that arrive within microseconds, and datagrams that
// arrive while the manager's thread is busy. It answers the three verification requests at
// once (to a fixed port when asked) and sends streams and floods on request.

#include "link/OSCMessage.h"
#include "link/OSCPacket.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <poll.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>

namespace tarnik::testing {

inline int boundUDPSocket(quint16 port = 0) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  return fd;
}

inline void sendTo(int fd, const QByteArray &packet, quint16 port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  ::sendto(fd, packet.constData(), size_t(packet.size()), 0,
           reinterpret_cast<const sockaddr *>(&address), sizeof address);
}

// The datagrams the kernel dropped for lack of room at the local UDP port (IPv4 and IPv6
// sockets alike), so that a test can tell them from datagrams its reader lost.
inline qint64 kernelDropsAtPort(quint16 port) {
  qint64 drops = 0;
  const QByteArray portText = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
  for (const char *table : {"/proc/net/udp", "/proc/net/udp6"}) {
    QFile file(QString::fromLatin1(table));
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray &line : file.readAll().split('\n')) {
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() > 12 && fields[1].endsWith(portText)) drops += fields.last().toLongLong();
    }
  }
  return drops;
}

class ThreadedUDPConsole {
 public:
  // Answers go to replyPort of the sender's address when given, else back to the sender.
  explicit ThreadedUDPConsole(std::optional<quint16> replyPort = std::nullopt)
      : replyPort_(replyPort), fd_(boundUDPSocket()) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
  }

  ~ThreadedUDPConsole() {
    stopping_ = true;
    thread_.join();
    ::close(fd_);
  }

  quint16 port() const { return port_; }

  // Where answers and streams go: the fixed reply port, or the port of the last request.
  quint16 answerPort() const { return replyPort_.value_or(lastSenderPort_); }

  // From the console's own socket to the answer port: count messages
  // "/eos/out/event/<n>", with the pause between them (none: as fast as the socket takes
  // them) or for as long as the duration lasts, whichever ends first.
  void stream(int count, std::chrono::microseconds pause,
              std::chrono::milliseconds duration = std::chrono::hours(1)) {
    std::lock_guard lock(mutex_);
    streamRequest_ = StreamRequest{count, pause, duration};
    streamed_ = false;
  }
  bool streamed() const { return streamed_; }
  int sentCount() const { return sent_; }

 private:
  struct StreamRequest {
    int count;
    std::chrono::microseconds pause;
    std::chrono::milliseconds duration;
  };

  void run() {
    while (!stopping_) {
      pollfd readable{fd_, POLLIN, 0};
      if (::poll(&readable, 1, 5) > 0) answer();
      std::optional<StreamRequest> request;
      {
        std::lock_guard lock(mutex_);
        request = std::exchange(streamRequest_, std::nullopt);
      }
      if (request) {
        sendStream(*request);
        streamed_ = true;
      }
    }
  }

  void answer() {
    char buffer[65536];
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t size =
        ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&sender), &length);
    if (size <= 0) return;
    lastSenderPort_ = ntohs(sender.sin_port);
    const auto requests = OSCPacket::decode(QByteArrayView(buffer, size));
    if (!requests) return;
    const auto s = [](const char *text) {
      return OSCArgument::fromString(QString::fromUtf8(text));
    };
    for (const OSCMessage &request : *requests) {
      std::optional<OSCMessage> reply;
      if (request.address == QStringLiteral("/eos/get/version")) {
        reply = OSCMessage{QStringLiteral("/eos/out/get/version"), {s("3.2.1"), s("3.2.0.1")}};
      } else if (request.address == QStringLiteral("/eos/ping")) {
        reply = OSCMessage{QStringLiteral("/eos/out/ping"), request.arguments};
      } else if (request.address == QStringLiteral("/eos/get/processors")) {
        reply = OSCMessage{QStringLiteral("/eos/out/get/processors"),
                           {OSCArgument::fromInt(1), s("Primary")}};
      }
      if (reply) sendTo(fd_, reply->encoded(), answerPort());
    }
  }

  void sendStream(const StreamRequest &request) {
    const auto end = std::chrono::steady_clock::now() + request.duration;
    for (int index = 0; index < request.count && std::chrono::steady_clock::now() < end; ++index) {
      const OSCMessage message{QStringLiteral("/eos/out/event/%1").arg(index), {}};
      sendTo(fd_, message.encoded(), answerPort());
      ++sent_;
      if (request.pause.count() > 0) std::this_thread::sleep_for(request.pause);
    }
  }

  const std::optional<quint16> replyPort_;
  const int fd_;
  quint16 port_ = 0;
  std::atomic<quint16> lastSenderPort_ = 0;
  std::atomic<bool> stopping_ = false;
  std::atomic<bool> streamed_ = false;
  std::atomic<int> sent_ = 0;
  std::mutex mutex_;
  std::optional<StreamRequest> streamRequest_;
  std::thread thread_;
};

}  // namespace tarnik::testing
