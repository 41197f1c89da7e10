// Runs beside a private Avahi daemon (tests/support/with-avahi.sh); the NoAvahiDaemon suite
// runs with a system bus on which no daemon answers (without-avahi-daemon.sh).

#include "TarnikRelayServerFixture.h"
#include "support/AvahiTestPeers.h"

#include <QSysInfo>

namespace tarnik {
namespace {

using testing::browseResolved;

class TarnikRelayServerAvahiIntegration : public testing::TarnikRelayServerFixture {};

TEST_F(TarnikRelayServerAvahiIntegration, AnnouncesItselfOnlyWhileListening) {
  const QString name = QStringLiteral("Tarnik on ") + QSysInfo::machineHostName();
  const auto announced = [&](quint16 port) {
    const auto services = browseResolved(QStringLiteral("_tarnik-relay._tcp"));
    return std::any_of(services.begin(), services.end(), [&](const auto &service) {
      return service.name == name && service.port == port;
    });
  };
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  ASSERT_NE(port, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return announced(port); }, 20000));

  server.stop();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return browseResolved(QStringLiteral("_tarnik-relay._tcp")).isEmpty(); }, 20000));
}

class TarnikRelayServerNoAvahiDaemonIntegration : public testing::TarnikRelayServerFixture {};

TEST_F(TarnikRelayServerNoAvahiDaemonIntegration, ListensAndServesWithoutAnnouncing) {
  TarnikRelayServer server;
  const quint16 port = startRelay(server);
  ASSERT_NE(port, 0);
  EXPECT_EQ(server.status(), QStringLiteral("Relay listening on %1").arg(port));
  auto phone = this->phone(port);
  phone->send("still here");
  EXPECT_TRUE(QTest::qWaitFor([&] { return phone->received() == "still here"; }, 5000));
}

}  // namespace
}  // namespace tarnik
