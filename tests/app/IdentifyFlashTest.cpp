// The identify flash built alone on a real connection to the console double: a release
// presses Flash only for a flash of this session that the console still shows.

#include "app/IdentifyFlash.h"
#include "link/OSCManagerTestSupport.h"
#include "support/EosConsoleDouble.h"
#include "support/ManualAppTiming.h"
#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class IdentifyFlashTest : public ::testing::Test {
 protected:
  IdentifyFlashTest() { ensureCoreApplication(); }

  EosConsoleDouble console;
  std::unique_ptr<OSCManager> manager = makeManager(packetLengthCase);
  ConsoleSession session;
  ConsoleCommandLine commandLine{std::make_shared<ManualAppTiming>()};
  IdentifyFlash flash{*manager, session, commandLine};
};

TEST_F(IdentifyFlashTest, AFlashIsReleasedOnlyWhileTheConsoleShowsItInThisSession) {
  using Release = IdentifyFlash::Release;
  EXPECT_EQ(flash.release(), Release::notNeeded);  // none held

  // The link is down: the flash is forgotten, nothing is sent.
  commandLine.handleCommandLineText(u"LIVE: Chan 12 Flash"_s);
  flash.hold(12, session.id);
  EXPECT_EQ(flash.release(), Release::notNeeded);
  EXPECT_FALSE(flash.owned());

  manager->connect(u"127.0.0.1"_s, consolePort(console, packetLengthCase));
  ASSERT_TRUE(waitUntil([&] { return manager->isConnected(); }));
  const struct {
    qint64 channel;
    bool thisSession;
    Release release;
  } flashes[] = {
      {1, true, Release::notNeeded},    // "Chan 12" does not name channel 1
      {123, true, Release::notNeeded},  // nor channel 123
      {12, false, Release::notNeeded},  // another session's flash
      {12, true, Release::sent},
  };
  for (const auto &row : flashes) {
    flash.hold(row.channel, row.thisSession ? session.id : QUuid::createUuid());
    EXPECT_EQ(flash.release(), row.release) << row.channel;
    EXPECT_FALSE(flash.owned()) << row.channel;
  }
  ASSERT_TRUE(waitUntil([&] { return !console.requests(u"/eos/key/flash"_s).isEmpty(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(console.requests(u"/eos/key/flash"_s).size(), 1);

  // A line that shows no flash any more needs no release.
  commandLine.handleCommandLineText(u"LIVE: Chan 12"_s);
  flash.hold(12, session.id);
  EXPECT_EQ(flash.release(), Release::notNeeded);
}

}  // namespace
}  // namespace tarnik::testing
