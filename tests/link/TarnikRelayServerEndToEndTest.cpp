#include "TarnikRelayServerFixture.h"
#include "link/OSCManager.h"
#include "support/EosConsoleDouble.h"

#include <map>

namespace tarnik {
namespace {

using testing::EosConsoleDouble;
using testing::RelayTestPhone;

class TarnikRelayServerEndToEnd : public testing::TarnikRelayServerFixture,
                                  public ::testing::WithParamInterface<OSCTCPFraming> {};

// The console connection's relay route, through the relay, to the loopback Eos console:
// the framing is the phone's and the console's business, the relay only carries it.
TEST_P(TarnikRelayServerEndToEnd, ConsoleConnectionVerifiesEosThroughTheRelay) {
  EosConsoleDouble eos;
  TarnikRelayServer server;
  const quint16 port = startRelay(
      server, OSCEndpoint::hostPort(QStringLiteral("127.0.0.1"), eos.tcpPort(GetParam())));
  ASSERT_NE(port, 0);

  OSCManager manager(5, 5);
  manager.transport = OSCTransport::tcp;
  manager.tcpFraming = GetParam();
  manager.relayPairingKey = testing::pairingCodeOf(testing::relayKey());
  manager.connect(QStringLiteral("127.0.0.1"), port);
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager.isEosVerified(); }, 10000))
      << manager.connectionStateDescription().toStdString();
  EXPECT_EQ(server.clientCount(), 1);
  EXPECT_EQ(manager.verifiedSoftwareVersion(), QStringLiteral("3.2.1"));

  const qint64 samples = manager.roundTripSampleCount();
  ASSERT_TRUE(manager.sendPing());
  EXPECT_TRUE(QTest::qWaitFor([&] { return manager.roundTripSampleCount() == samples + 1; }, 5000));

  manager.disconnect();
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 0; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Framings, TarnikRelayServerEndToEnd,
                         ::testing::Values(OSCTCPFraming::packetLength, OSCTCPFraming::slip));

// Stands in for Bonjour: knows some services by name.
class TableResolver : public OSCServiceResolver {
 public:
  std::map<QString, OSCEndpoint::HostPort> known;
  int lookups = 0;
  void resolve(const OSCEndpoint::Service &service, Completion completion) override {
    ++lookups;
    const auto found = known.find(service.name);
    if (found == known.end()) {
      completion(std::unexpected(QStringLiteral("Timeout reached")));
    } else {
      completion(found->second);
    }
  }
};

class TarnikRelayServerServiceConsole : public testing::TarnikRelayServerFixture {};

TEST_F(TarnikRelayServerServiceConsole, ResolvesTheServiceForEveryPhone) {
  auto resolver = std::make_shared<TableResolver>();
  resolver->known.emplace(QStringLiteral("Eos"),
                          OSCEndpoint::HostPort{QStringLiteral("127.0.0.1"), console.port()});
  TarnikRelayServer server;
  server.setServiceResolver(resolver);
  const auto service = [](const char *name) {
    return OSCEndpoint::service(QString::fromLatin1(name), QStringLiteral("_eosc._tcp"),
                                QStringLiteral("local."));
  };

  const quint16 port = startRelay(server, service("Eos"));
  auto first = phone(port);
  auto second = phone(port);
  first->send("one");
  second->send("two");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return first->received() == "one" && second->received() == "two"; }, 5000));
  EXPECT_EQ(resolver->lookups, 2);

  // A service that cannot be resolved ends the session at once, not at the setup time.
  const quint16 lostPort = startRelay(server, service("Gone"));
  auto lost = phone(lostPort);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return lost->isClosed(); }, 10000));
  EXPECT_LT(clock.elapsed(), 4000);
  EXPECT_EQ(server.clientCount(), 0);
}

}  // namespace
}  // namespace tarnik
