// Fixture control built alone, on the real control gate, show mirror and patch write.

#include "AppPartsTestSupport.h"
#include "app/FixtureControl.h"
#include "app/PatchWrite.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class FixtureControlTest : public AppPartsTest {
 protected:
  // A matched ping answered now, on virtual time.
  bool pingedNow() {
    manager->sendPing();
    return waitUntil([&] { return manager->lastPingResponseUptime() == timing->uptime(); });
  }

  PatchWrite write{timing, session, mirror, gate, supervisor, commandLine, {}};
  FixtureControl control{session, gate, mirror, write, supervisor, {}, {}, {}, false};
};

// A park check asks the console only for the show on screen, over a ping at most 5 s old.
TEST_F(FixtureControlTest, AParkCheckNeedsCurrentShowDataAndAFreshPing) {
  ASSERT_TRUE(connect());
  const struct {
    const char *name;
    std::function<void()> change;
    bool allowed;
  } cases[] = {
      {"ready", [] {}, true},
      {"ping 5 s old", [this] { timing->advance(5.0); }, true},
      {"ping older than 5 s", [this] { timing->advance(5.01); }, false},
      {"show data not current", [this] { session.completedSyncSessionID.reset(); }, false},
      {"another show loaded", [this] { session.liveShowIdentity = u"/shows/other.esf"_s; }, false},
  };
  for (const auto &row : cases) {
    settle();
    ASSERT_TRUE(pingedNow()) << row.name;
    row.change();
    EXPECT_EQ(control.parkSessionPreconditions(), row.allowed) << row.name;
  }
}

}  // namespace
}  // namespace tarnik::testing
