// The one condition the relay and controller pages share on the console route.

#include "screens/connection/BoardRoute.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarnik {
namespace {

const QString pairingCode = QString::fromLatin1(QByteArray(32, 'a').toBase64());

TEST(BoardRoute, EachConditionAloneClosesTheRoute) {
  ConsoleConnectionProfile tcp;
  tcp.transport = OSCTransport::tcp;
  ConsoleConnectionProfile udp = tcp;
  udp.transport = OSCTransport::udp;
  ConsoleConnectionProfile relayed = tcp;
  relayed.usesMacRelay = true;
  ConsoleConnectionProfile notRelayed = tcp;
  notRelayed.usesMacRelay = false;
  struct Case {
    const char *name;
    bool reachable;
    std::optional<ConsoleConnectionProfile> settings;
    QString code;
    bool open;
  };
  const std::vector<Case> cases{
      {"open, relay absent", true, tcp, pairingCode, true},
      {"open, relay false", true, notRelayed, pairingCode, true},
      {"console unreachable", false, tcp, pairingCode, false},
      {"no settings", true, std::nullopt, pairingCode, false},
      {"UDP", true, udp, pairingCode, false},
      {"through a relay", true, relayed, pairingCode, false},
      {"no pairing code", true, tcp, QString(), false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(canUseBoardRoute(c.reachable, c.settings, c.code), c.open) << c.name;
  }
}

}  // namespace
}  // namespace tarnik
