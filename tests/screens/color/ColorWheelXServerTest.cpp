// A person's drag on the colour wheel under a real X server, end to end against the console
// double: the fixture's native colour is read and shown, pointer down, moves and up through
// xdotool reach the console as throttled colours and the final one, and the card shows the
// colour the console reads back once it has confirmed it.

#include "ColorPageTestSupport.h"
#include "screens/support/XdoTool.h"

#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

using ColorWheelXServer = ColorPageTest;

TEST_F(ColorWheelXServer, ARealDragSendsThrottledColoursAndTheCardFollowsTheConsole) {
  ASSERT_TRUE(prepareColorFixture());
  page->resize(420, 980);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  settle();
  const QString window = QString::number(page->winId());
  const auto moveTo = [&](double hue, double saturation) {
    const QPoint at = wheel()->mapTo(page.get(), wheelPoint(hue, saturation));
    return xdotool(
        {u"mousemove"_s, u"--window"_s, window, QString::number(at.x()), QString::number(at.y())});
  };
  const auto reached = [&](double hue) {
    return waitUntil([&] { return std::abs(wheel()->color().hue - hue) < 2; });
  };
  QStringList statuses;
  const auto note = [&] {
    if (statuses.isEmpty() || statuses.last() != status()) statuses.append(status());
  };

  ASSERT_TRUE(moveTo(0, 50));
  ASSERT_TRUE(xdotool({u"mousedown"_s, u"1"_s}));
  ASSERT_TRUE(reached(0));
  settle();
  note();
  constexpr int steps = 10;  // one every 0.05 s of the card's clock
  for (int step = 1; step <= steps; ++step) {
    colorClock->advance(0.05);
    // A person aims at the wheel as it is drawn, once the card has laid out what the send
    // changed.
    settle();
    ASSERT_TRUE(moveTo(step * 30, 70));
    ASSERT_TRUE(reached(step * 30)) << step;
  }
  // The console takes a moment over each answer, so the wait for it can be seen.
  console.replyDelay = std::chrono::milliseconds(300);
  ASSERT_TRUE(xdotool({u"mouseup"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] {
    settle();
    note();
    return status() == u"Color readback from Eos"_s && statuses.size() == 3;
  }));
  EXPECT_EQ(statuses, QStringList({u"Adjusting color"_s, u"Color sent · awaiting Eos"_s,
                                   u"Color readback from Eos"_s}));

  const FixtureColorValue final = wheel()->color();
  const QList<std::pair<float, float>> received = receivedColors();
  // 0.5 s of dragging: the first colour at once, at most one more per 0.1 s, the last on
  // release.
  EXPECT_LE(received.size(), 1 + 5 + 1);
  ASSERT_GE(received.size(), 2);
  EXPECT_EQ(received.last(), std::pair(float(final.hue), float(final.saturation)));
  EXPECT_EQ(console.fixtures[5].hue, float(final.hue));
  EXPECT_EQ(text(u"fixture.color.hue.value"_s), u"300°"_s);
}

}  // namespace
}  // namespace tarnik::testing
