// A channel's page under a real X server: a person's drag on the intensity scrubber (pointer
// down, moves and up through xdotool reach the console double as the throttled levels and the
// final one), and Retry Live Controls pressed with the pointer and then with Space.

#include "ChannelPageTestSupport.h"
#include "screens/support/XdoTool.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

enum class SessionFailure;

class ChannelDragXServer : public ChannelPageTest {
 protected:
  void retryKeepsThePageStillAndSpaceRetriesAgain(SessionFailure failure);
};

TEST_F(ChannelDragXServer, ARealDragSendsThrottledLevelsAndTheFinalOne) {
  ASSERT_TRUE(prepareChannelFive());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  QList<double> received;
  QList<int> users;
  console.setHandler(u"/eos/chan/5/param/Intensity"_s,
                     [&](const OSCMessage &message, EosConsoleDouble::Asker &asker) {
                       users.append(asker.user());
                       received.append(std::get<float>(message.arguments.value(0).value));
                       return QList<OSCMessage>{};
                     });
  QList<double> sentAt;  // virtual time of each level the page wrote
  QObject::connect(&model->fixtureControls(), &FixtureControlStore::statesByChannelChanged,
                   page.get(), [&] {
                     const auto state = model->fixtureControls().state(5);
                     if (state && state->pendingParameterValues.contains(u"Intensity"_s) &&
                         (sentAt.isEmpty() || sentAt.last() != levelClock->now()))
                       sentAt.append(levelClock->now());
                   });

  const QString window = QString::number(page->winId());
  LevelScrubber *track = scrubber();
  const auto at = [&](double level) {
    const QPoint point =
        track->mapTo(page.get(), QPoint(12 + qRound((track->width() - 24) * level / 100), 12));
    return QStringList{QString::number(point.x()), QString::number(point.y())};
  };
  ASSERT_TRUE(xdotool(QStringList{u"mousemove"_s, u"--window"_s, window} + at(0)));
  ASSERT_TRUE(xdotool({u"mousedown"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return track->value() == 0 && sentAt.size() == 1; }));
  for (int step = 1; step <= 5; ++step) {
    levelClock->advance(0.05);
    ASSERT_TRUE(xdotool(QStringList{u"mousemove"_s, u"--window"_s, window} + at(step * 20)));
    ASSERT_TRUE(waitUntil([&] { return std::abs(track->value() - step * 20) < 1; })) << step;
  }
  ASSERT_TRUE(xdotool({u"mouseup"_s, u"1"_s}));
  ASSERT_TRUE(waitUntil([&] { return !received.isEmpty() && received.last() == 100; }));
  EXPECT_EQ(received.first(), 0);
  EXPECT_EQ(received.size(), sentAt.size());
  EXPECT_EQ(sentAt.last(), levelClock->now());  // the final level on release
  for (qsizetype index = 1; index + 1 < sentAt.size(); ++index)
    EXPECT_GE(sentAt[index] - sentAt[index - 1], 0.1 - 1e-9) << index;
  EXPECT_EQ(users, QList<int>(received.size(), console.firstAutoUser));
}

// How each Live session the page asks for fails: it never gets its console user, or it gets
// ready, which hides the Live Controls card, and its read of the channel goes unanswered.
enum class SessionFailure { noConsoleUser, unansweredRead };

// The button is off while the new session prepares: the page stays where it was, and once the
// session has failed again the focus is back on Retry, so Space retries.
void ChannelDragXServer::retryKeepsThePageStillAndSpaceRetriesAgain(SessionFailure failure) {
  const bool noUser = failure == SessionFailure::noConsoleUser;
  if (noUser)
    console.setHandler(u"/eos/user/auto"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  makePage();
  page->resize(420, 420);  // the cards below Retry lie out of sight
  ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
  ASSERT_TRUE(xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(page->winId())}));
  ASSERT_TRUE(connectAndPrepare(noUser ? u"Preparing Live controls…"_s : u"Live controls ready"_s));
  auto *retry = find<QPushButton>(u"patch.channel.retryLiveControls"_s);
  QScrollBar *bar = find<QScrollArea>(u"patch.channel.scroll"_s)->verticalScrollBar();
  // Each session in turn gives up waiting for its console user, or the store for its read.
  const auto failSession = [&] {
    return waitUntil([&] {
      if (noUser)
        sessionClock->advance(8);
      else
        storeClock->advance(FixtureControlStore::defaultReadTimeout);
      return retry->isEnabled() && retry->isVisibleTo(page.get());
    });
  };
  ASSERT_TRUE(failSession());
  ASSERT_GT(bar->maximum(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);  // Retry where it stays
  const int scrolled = bar->value();
  const KeyReleaseCount spaces(*page, Qt::Key_Space);
  const qsizetype sessions = liveSessions.size();

  ASSERT_TRUE(clickCentre(*page, *retry));
  ASSERT_TRUE(waitUntil([&] { return liveSessions.size() == sessions + 1; }));
  EXPECT_EQ(bar->value(), scrolled);
  ASSERT_TRUE(xdotool({u"key"_s, u"space"_s}));
  ASSERT_TRUE(waitUntil([&] { return spaces.count() == 1; }));
  // A session that gets ready hides the card with Retry in it while it reads.
  ASSERT_TRUE(noUser || waitUntil([&] { return !retry->isVisibleTo(page.get()); }));
  ASSERT_TRUE(failSession());
  EXPECT_EQ(QApplication::focusWidget(), retry);
  EXPECT_EQ(bar->value(), scrolled);

  ASSERT_TRUE(xdotool({u"key"_s, u"space"_s}));
  EXPECT_TRUE(waitUntil([&] { return liveSessions.size() == sessions + 2; }));
  EXPECT_EQ(bar->value(), scrolled);
}

TEST_F(ChannelDragXServer, RetryLiveControlsKeepsThePageStillAndSpaceRetriesAgain) {
  retryKeepsThePageStillAndSpaceRetriesAgain(SessionFailure::noConsoleUser);
}

TEST_F(ChannelDragXServer, RetryKeepsTheFocusThroughASessionThatStartsAndFailsItsRead) {
  retryKeepsThePageStillAndSpaceRetriesAgain(SessionFailure::unansweredRead);
}

}  // namespace
}  // namespace tarnik::testing
