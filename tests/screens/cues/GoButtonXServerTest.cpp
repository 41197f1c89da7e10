// The playback bar under a real X server: a person's click on Go reaches the console.

#include "SyncedCueConsole.h"
#include "screens/live/CuePlaybackBar.h"
#include "screens/support/XdoTool.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

TEST(GoButtonXServer, AClickOnGoFiresCueListOne) {
  SyncedCueConsole console;
  CuePlaybackBar bar(*console.model);
  bar.resize(420, bar.sizeHint().height());
  bar.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
  ASSERT_TRUE(console.syncShow(generateConsoleShow(12, 0, 3)));
  bar.setNextCue(Cue{.number = u"12"_s});
  auto *go = bar.findChild<QAbstractButton *>(u"cues.playback.go"_s);
  ASSERT_TRUE(waitUntil([&] { return go->isEnabled(); }));
  ASSERT_TRUE(clickCentre(bar, *go));
  EXPECT_TRUE(
      waitUntil([&] { return console.console.requests(u"/eos/cues/1/fire"_s).size() == 1; }));
  EXPECT_EQ(console.model->commandHistory().last().text, u"Go"_s);
}

}  // namespace
}  // namespace tarnik::testing
