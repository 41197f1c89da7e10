// A drag on a channel's page against the console double: at most one intensity message per
// 0.1 s of virtual time on the Live connection, the final level on release, and nothing more
// once the drag is cancelled, the page is gone or the connection drops.

#include "ChannelPageTestSupport.h"
#include "screens/patch/IntensityReadings.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using ChannelIntensityFlowWidget = ChannelPageTest;

struct SentLevels {
  // The levels the store wrote, with the virtual time each left at.
  SentLevels(FixtureControlStore &store, ManualLevelCommandScheduler &clock) {
    QObject::connect(&store, &FixtureControlStore::statesByChannelChanged, &store,
                     [this, &store, &clock] {
                       const auto state = store.state(5);
                       if (!state) return;
                       const auto pending = state->pendingParameterValues.find(u"Intensity"_s);
                       if (pending == state->pendingParameterValues.end()) return;
                       if (!levels.isEmpty() && levels.last() == pending->second) return;
                       levels.append(pending->second);
                       times.append(clock.now());
                     });
  }
  QList<double> levels;
  QList<double> times;
};

// What reached the double for channel 5's intensity, and from which console user.
struct ReceivedLevels {
  explicit ReceivedLevels(EosConsoleDouble &console) {
    console.setHandler(u"/eos/chan/5/param/Intensity"_s,
                       [this](const OSCMessage &message, EosConsoleDouble::Asker &asker) {
                         users.append(asker.user());
                         levels.append(std::get<float>(message.arguments.value(0).value));
                         return QList<OSCMessage>{};
                       });
  }
  QList<double> levels;
  QList<int> users;
};

TEST_F(ChannelIntensityFlowWidget, ADragSendsAtMostOneLevelATenthAndTheFinalOneOnRelease) {
  ASSERT_TRUE(prepareChannelFive());
  SentLevels sent(model->fixtureControls(), *levelClock);
  ReceivedLevels received(console);

  mouse(QEvent::MouseButtonPress, 0, true);
  for (int step = 1; step <= 5; ++step) {
    levelClock->advance(0.05);
    mouse(QEvent::MouseMove, step * 20, true);
    if (step == 3) saveScreenshot(*page, u"channel-page-mid-drag"_s);
  }
  mouse(QEvent::MouseButtonRelease, 100, false);
  ASSERT_GE(sent.levels.size(), 2);
  EXPECT_EQ(sent.levels.first(), 0);
  EXPECT_EQ(sent.levels.last(), 100);
  EXPECT_DOUBLE_EQ(sent.times.last(), 0.25);  // on release, not a tenth later
  for (qsizetype index = 1; index + 1 < sent.times.size(); ++index)
    EXPECT_GE(sent.times[index] - sent.times[index - 1], 0.1 - 1e-9) << index;
  EXPECT_LE(sent.levels.size(), 4);

  ASSERT_TRUE(waitUntil([&] { return received.levels.size() == sent.levels.size(); }));
  EXPECT_EQ(received.levels, sent.levels);
  EXPECT_EQ(received.users, QList<int>(sent.levels.size(), console.firstAutoUser));
  EXPECT_FALSE(scrubber()->isEnabled() && shows(u"fixture.module.live controls"_s));
}

TEST_F(ChannelIntensityFlowWidget, ACancelledDragAndALeftPageSendNothingMore) {
  ASSERT_TRUE(prepareChannelFive());
  SentLevels sent(model->fixtureControls(), *levelClock);
  mouse(QEvent::MouseButtonPress, 25, true);
  mouse(QEvent::MouseMove, 60, true);  // waits for its tenth
  ASSERT_EQ(sent.levels, QList<double>({25}));
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  levelClock->advance(1);
  mouse(QEvent::MouseButtonRelease, 60, false);
  EXPECT_EQ(sent.levels, QList<double>({25}));

  model->setInteractionMode(InteractionMode::editor);
  settle();
  ASSERT_TRUE(scrubber()->isEnabled());
  mouse(QEvent::MouseButtonPress, 30, true);
  mouse(QEvent::MouseMove, 70, true);
  ASSERT_EQ(sent.levels.last(), 30);
  page.reset();  // popped mid-drag
  levelClock->advance(1);
  EXPECT_EQ(sent.levels.last(), 30);
  EXPECT_EQ(levelClock->pendingCount(), 0);
}

TEST_F(ChannelIntensityFlowWidget, TheConsoleDroppingTheConnectionCancelsAndPutsTheLevelBack) {
  ASSERT_TRUE(prepareChannelFive());
  SentLevels sent(model->fixtureControls(), *levelClock);
  mouse(QEvent::MouseButtonPress, 25, true);
  mouse(QEvent::MouseMove, 60, true);
  ASSERT_NEAR(scrubber()->value(), 60, 1e-6);
  console.closeClients();
  ASSERT_TRUE(waitUntil([&] { return !manager().isConnected(); }));
  settle();
  const qint64 shown =
      displayedIntensity(model->fixtureControls().state(5), model->channels().value(4));
  EXPECT_EQ(scrubber()->value(), double(shown));
  EXPECT_GT(std::abs(scrubber()->value() - 60), 1);
  EXPECT_EQ(text(u"patch.channel.intensityValue"_s), intensityValueText(double(shown)));
  levelClock->advance(1);
  mouse(QEvent::MouseButtonRelease, 60, false);
  EXPECT_EQ(sent.levels, QList<double>({25}));
}

// A console that keeps another level than the one written, half of it or none: once no write
// awaits its readback the card shows the console's level, though the read answered while the
// drag still ran, and an arrow key steps from that level.
TEST_F(ChannelIntensityFlowWidget, TheCardShowsTheLevelTheConsoleReadsBack) {
  ASSERT_TRUE(prepareChannelFive());
  const auto written = [&] {
    QList<double> levels;
    for (const OSCMessage &request : console.requests(u"/eos/chan/5/param/Intensity"_s))
      levels.append(std::get<float>(request.arguments.value(0).value));
    return levels;
  };
  // The store reads the channel back a moment after its last write.
  const auto readBack = [&] {
    storeClock->advance(FixtureControlStore::defaultParameterReadbackSettleDelay);
    const bool read = waitUntil([&] {
      const auto state = model->fixtureControls().state(5);
      return state && state->pendingParameterValues.empty();
    });
    settle();
    return read;
  };

  console.fixtures[5].writtenShare = 0.5;
  mouse(QEvent::MouseButtonPress, 0, true);
  levelClock->advance(0.1);
  mouse(QEvent::MouseMove, 70, true);
  ASSERT_TRUE(waitUntil([&] { return written() == QList<double>({0, 70}); }));
  ASSERT_TRUE(readBack());
  mouse(QEvent::MouseButtonRelease, 70, false);
  settle();
  EXPECT_EQ(text(u"patch.channel.intensityValue"_s), u"35%"_s);
  EXPECT_EQ(text(u"patch.channel.intensityCaption"_s), u"Intensity readback"_s);
  saveScreenshot(*page, u"channel-page-level-read-back"_s);

  console.fixtures[5].writtenShare = 0;
  for (int press = 1; press <= 2; ++press) {
    QTest::keyClick(scrubber(), Qt::Key_Right);
    ASSERT_TRUE(readBack());
    EXPECT_EQ(text(u"patch.channel.intensityValue"_s), u"35%"_s) << press;
  }
  EXPECT_EQ(written(), QList<double>({0, 70, 40, 40}));
}

}  // namespace
}  // namespace tarnik::testing
