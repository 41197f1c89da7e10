#include "TarnikRelayServerFixture.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"

#include <QProcess>

namespace tarnik {
namespace {

using Fixture = testing::TarnikRelayServerFixture;

// What an openssl s_client phone offers: by default the relay's own TLS 1.2, PSK cipher,
// identity and pairing key.
struct PhoneTls {
  QByteArray key = testing::relayKey();
  QString identity = QStringLiteral("TarnikRelay.v1");
  QString version = QStringLiteral("-tls1_2");
  QString cipher = QStringLiteral("PSK-AES128-GCM-SHA256");
};

// openssl s_client as the phone. Waits only by spinning the event loop, because the relay
// under test runs on it.
class OpenSslPhone {
 public:
  OpenSslPhone(quint16 port, const PhoneTls &tls = {}, bool closeWhenInputEnds = false) {
    QStringList arguments{QStringLiteral("s_client"),
                          QStringLiteral("-connect"),
                          QStringLiteral("127.0.0.1:%1").arg(port),
                          QStringLiteral("-psk"),
                          QString::fromLatin1(tls.key.toHex()),
                          QStringLiteral("-psk_identity"),
                          tls.identity,
                          tls.version,
                          QStringLiteral("-cipher"),
                          tls.cipher,
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
  int exitCode() const { return process_.exitCode(); }
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
  OpenSslPhone phone(port);
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
  OpenSslPhone phone(port, {}, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 1; }, 10000));
  const QByteArray last = QByteArray(50000, 'z') + "and the very last line";
  phone.send(last);
  phone.endInput();
  ASSERT_TRUE(QTest::qWaitFor([&] { return console.openCount() == 0; }, 10000));
  EXPECT_EQ(console.received(0), last);
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone.hasEnded() && server.clientCount() == 0; }, 5000));
}

TEST_F(InteropTarnikRelayServerPhones, RefusesEveryOtherKeyIdentityVersionOrCipher) {
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  int highestCount = 0;
  QObject::connect(&server, &TarnikRelayServer::clientCountChanged,
                   [&] { highestCount = std::max(highestCount, server.clientCount()); });
  const struct {
    const char *why;
    PhoneTls tls;
  } rows[] = {
      {"wrong key", {.key = testing::relayKey(9)}},
      {"wrong identity", {.identity = QStringLiteral("TarnikRelay.v2")}},
      {"TLS 1.3 only", {.version = QStringLiteral("-tls1_3")}},
      {"other cipher", {.cipher = QStringLiteral("PSK-AES256-GCM-SHA384")}},
  };
  for (const auto &row : rows) {
    OpenSslPhone phone(port, row.tls);
    ASSERT_TRUE(QTest::qWaitFor([&] { return phone.hasEnded(); }, 10000)) << row.why;
    EXPECT_NE(phone.exitCode(), 0) << row.why;
  }
  EXPECT_EQ(highestCount, 0);
  EXPECT_EQ(console.acceptedCount(), 0);

  // Refusals leave nothing behind: the right phone still gets through.
  OpenSslPhone phone(port);
  phone.send("/eos/ping");
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone.output() == "/eos/ping"; }, 10000));
}

}  // namespace
}  // namespace tarnik
