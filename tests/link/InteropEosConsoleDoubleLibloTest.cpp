// liblo's oscsend as an encoder independent of ours: what it types reaches the double's
// command line.

#include "support/EosConsoleDouble.h"
#include "support/InstalledPrerequisites.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

TEST(InteropEosConsoleDoubleLiblo, OscsendParksAChannelOverTcp) {
  TARNIK_REQUIRE_PROGRAMS("oscsend");
  EosConsoleDouble console;
  ProcessRunner oscsend;
  ASSERT_TRUE(oscsend.start(
      "oscsend",
      {QStringLiteral("osc.tcp://127.0.0.1:%1").arg(console.tcpPort(OSCTCPFraming::packetLength)),
       "/eos/newcmd", "s", "Chan 5 At Park Enter"}));
  EXPECT_TRUE(waitUntil([&] { return console.parkedChannels.contains(5); }));
  EXPECT_EQ(console.commandLines.value(1), (EosConsoleDouble::Echo{"LIVE: Chan 5 @ Park #", 0}));
  EXPECT_TRUE(oscsend.waitForFinished(std::chrono::seconds(5)));
}

}  // namespace
}  // namespace tarnik::testing
