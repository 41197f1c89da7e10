// Inside tests/support/without-openssl-default-provider.sh: OpenSSL cannot build the
// relay's TLS rules, so no phone could ever finish a handshake.

#include "TarnikRelayServerFixture.h"

namespace tarnik {
namespace {

using TarnikRelayServerWithoutTlsProviderIntegration = testing::TarnikRelayServerFixture;

TEST_F(TarnikRelayServerWithoutTlsProviderIntegration, SaysSoAndStaysStopped) {
  TarnikRelayServer server;
  server.start(consoleEndpoint(), testing::closedPort(),
               testing::pairingCodeOf(testing::relayKey()));
  QCoreApplication::processEvents();  // a listen, had one been queued, runs here
  EXPECT_EQ(server.status(), QStringLiteral("Relay could not set up TLS for phones; check the "
                                            "system's OpenSSL configuration."));
  EXPECT_FALSE(server.isRunning());
  EXPECT_EQ(server.boundPort(), std::nullopt);
}

}  // namespace
}  // namespace tarnik
