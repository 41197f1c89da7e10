// The playback bar under a real X server: a person's click on Go reaches the console.

#include "SyncedCueConsole.h"
#include "screens/live/CuePlaybackBar.h"
#include "support/ProcessRunner.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

bool xdotool(const QStringList &arguments) {
  const auto result = ProcessRunner::run(u"xdotool"_s, arguments, 20s);
  return result && result->exitCode == 0;
}

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
  const QPoint at = go->mapTo(&bar, go->rect().center());
  ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, QString::number(bar.winId()),
                       QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s}));
  EXPECT_TRUE(
      waitUntil([&] { return console.console.requests(u"/eos/cues/1/fire"_s).size() == 1; }));
  EXPECT_EQ(console.model->commandHistory().last().text, u"Go"_s);
}

}  // namespace
}  // namespace tarnik::testing
