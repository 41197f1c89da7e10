#include "TarnikRelayServerFixture.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"

#include <QProcess>

namespace tarnik {
namespace {

using Fixture = testing::TarnikRelayServerFixture;

// openssl s_client as the phone: TLS 1.2, the relay's one PSK cipher, the pairing key in
// hex. Waits only by spinning the event loop, because the relay under test runs on it.
class OpenSslPhone {
 public:
  OpenSslPhone(quint16 port, const QByteArray &key, bool closeWhenInputEnds = false) {
    QStringList arguments{QStringLiteral("s_client"),
                          QStringLiteral("-connect"),
                          QStringLiteral("127.0.0.1:%1").arg(port),
                          QStringLiteral("-psk"),
                          QString::fromLatin1(key.toHex()),
                          QStringLiteral("-psk_identity"),
                          QStringLiteral("TarnikRelay.v1"),
                          QStringLiteral("-tls1_2"),
                          QStringLiteral("-cipher"),
                          QStringLiteral("PSK-AES128-GCM-SHA256"),
                          QStringLiteral("-quiet"),
                          QStringLiteral("-nocommands")};
    if (closeWhenInputEnds) arguments << QStringLiteral("-no_ign_eof");
    QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                     [this] { output_ += process_.readAllStandardOutput(); });
    process_.start(QStringLiteral("openssl"), arguments);
  }
  ~OpenSslPhone() {
    process_.kill();
    process_.waitForFinished(5000);
  }

  void send(const QByteArray &bytes) { process_.write(bytes); }
  void endInput() { process_.closeWriteChannel(); }
  void quit() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  bool hasEnded() const { return process_.state() == QProcess::NotRunning; }
  const QByteArray &output() const { return output_; }

 private:
  QProcess process_;
  QByteArray output_;
};

class InteropTarnikRelayServerPhones : public Fixture {
 protected:
  void SetUp() override { TARNIK_REQUIRE_PROGRAMS("openssl"); }
};

TEST_F(InteropTarnikRelayServerPhones, OpenSslPhoneReachesTheConsoleWithBytesUnchanged) {
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  OpenSslPhone phone(port, testing::relayKey());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 1 && console.openCount() == 1; },
                              10000));

  QByteArray bytes(32768, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 8));
  bytes += QByteArray("/eos/out/ping\0\0\0,\0\0\0\xc0", 21);
  phone.send(bytes);
  ASSERT_TRUE(QTest::qWaitFor([&] { return phone.output().size() >= bytes.size(); }, 10000));
  EXPECT_EQ(phone.output(), bytes);
  EXPECT_EQ(console.receivedCount(0), bytes.size());

  phone.quit();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return server.clientCount() == 0 && console.openCount() == 0; }, 5000));
}

TEST_F(InteropTarnikRelayServerPhones, OpenSslPhoneThatClosesRightAfterSendingIsHeardOut) {
  console.setRecording(true);
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  OpenSslPhone phone(port, testing::relayKey(), true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 1; }, 10000));
  const QByteArray last = QByteArray(50000, 'z') + "and the very last line";
  phone.send(last);
  phone.endInput();
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 0; }, 10000));
  EXPECT_EQ(console.received(0), last);
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone.hasEnded() && server.clientCount() == 0; }, 5000));
}

}  // namespace
}  // namespace tarnik
