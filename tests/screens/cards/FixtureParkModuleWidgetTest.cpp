// The park card against the console double's park replies, through the model's own fixture
// store and isolated park session.

#include "ChannelCardsTestSupport.h"
#include "screens/patch/FixtureParkModule.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

class FixtureParkModuleWidget : public testing::ConnectedChannelCards {
 protected:
  std::unique_ptr<QWidget> parkCard(qint64 number) {
    auto *module = new FixtureParkModule(
        model->fixtureControls(), number,
        {.canControl =
             [this] { return model->canControlFixtures() && model->isFixtureControlReady(); },
         .canCheckParkState = [this] { return model->parkSessionPreconditions(); },
         .isCheckingParkState = [this] { return model->isRefreshingParkedChannels(); },
         .checkParkState = [this] { model->refreshParkedChannels(0, std::nullopt); }});
    module->observe(*model);
    auto frame = framed(FixtureParkModule::title(), module);
    frame->show();
    settle();
    return frame;
  }
  template <class T = QWidget>
  static T *part(QWidget &card, const QString &name) {
    return card.findChild<T *>(name);
  }
  static QString text(QWidget &card, const QString &name) {
    return part<QLabel>(card, name)->text();
  }
  qsizetype parkLinesTyped() const {
    qsizetype typed = 0;
    for (const OSCMessage &request : console.requests(u"/eos/newcmd"_s))
      if (const auto *line = request.arguments.isEmpty()
                                 ? nullptr
                                 : std::get_if<QString>(&request.arguments[0].value);
          line && line->contains(u"At Park"_s))
        ++typed;
    return typed;
  }
  QMessageBox *openConfirmation(QWidget &card) {
    QTest::mouseClick(part<QPushButton>(card, u"fixture.park.action"_s), Qt::LeftButton);
    auto *box = part<QMessageBox>(card, u"fixture.park.confirmation"_s);
    if (box) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    }
    return box;
  }
};

TEST_F(FixtureParkModuleWidget, WithoutAStateOnlyTheCheckShowsAndItWaitsForTheConsole) {
  auto card = parkCard(5);
  EXPECT_EQ(text(*card, u"fixture.park.title"_s), u"Unavailable"_s);
  EXPECT_EQ(text(*card, u"fixture.park.detail"_s),
            u"Eos has not provided authoritative park state for this channel."_s);
  auto *check = part<QPushButton>(*card, u"fixture.park.check"_s);
  EXPECT_TRUE(check->isVisibleTo(card.get()));
  EXPECT_FALSE(check->isEnabled());
  EXPECT_EQ(check->text(), u"Check Park State"_s);
  EXPECT_FALSE(part(*card, u"fixture.park.action"_s)->isVisibleTo(card.get()));
  picture(*card, u"cards-park-unavailable"_s);
}

TEST_F(FixtureParkModuleWidget, ParkIsConfirmedFirstAndShownOnlyOnceTheConsoleReadsItBack) {
  ASSERT_TRUE(connectAndSync());
  auto card = parkCard(5);
  EXPECT_EQ(text(*card, u"fixture.park.title"_s), u"Not parked"_s);
  EXPECT_EQ(text(*card, u"fixture.park.detail"_s), u"Authoritative Eos park readback"_s);
  auto *action = part<QPushButton>(*card, u"fixture.park.action"_s);
  EXPECT_EQ(action->text(), u"Park"_s);
  EXPECT_TRUE(action->isEnabled());
  EXPECT_EQ(action->accessibleDescription(), u"Sends a park command for Channel 5."_s);
  EXPECT_FALSE(part(*card, u"fixture.park.check"_s)->isVisibleTo(card.get()));
  picture(*card, u"cards-park-not-parked"_s);

  // Escape closes the box and sends nothing.
  QMessageBox *box = openConfirmation(*card);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text(), u"Park Channel 5?"_s);
  EXPECT_EQ(box->informativeText(),
            u"Eos must report the new park state before Tarnik treats it as confirmed."_s);
  EXPECT_EQ(box->windowModality(), Qt::WindowModal);
  testing::saveScreenshot(*box, u"cards-park-confirmation"_s);
  QTest::keyClick(box, Qt::Key_Escape);
  ASSERT_TRUE(testing::waitUntil([&] { return !part(*card, u"fixture.park.confirmation"_s); }));
  settle();
  EXPECT_EQ(model->fixtureControls().state(5)->parkState, FixtureParkState::unparked());
  EXPECT_FALSE(model->isRefreshingParkedChannels());

  // Neither does Cancel, nor closing the box.
  box = openConfirmation(*card);
  ASSERT_TRUE(box);
  QTest::mouseClick(part<QPushButton>(*box, u"fixture.park.confirmation.cancel"_s), Qt::LeftButton);
  ASSERT_TRUE(testing::waitUntil([&] { return !part(*card, u"fixture.park.confirmation"_s); }));
  EXPECT_FALSE(model->isRefreshingParkedChannels());
  box = openConfirmation(*card);
  ASSERT_TRUE(box);
  box->close();
  ASSERT_TRUE(testing::waitUntil([&] { return !part(*card, u"fixture.park.confirmation"_s); }));
  EXPECT_FALSE(model->isRefreshingParkedChannels());

  // Confirming hands one park to the store; the card waits for the readback.
  box = openConfirmation(*card);
  ASSERT_TRUE(box);
  QTest::mouseClick(part<QPushButton>(*box, u"fixture.park.confirmation.confirm"_s),
                    Qt::LeftButton);
  settle();
  EXPECT_EQ(text(*card, u"fixture.park.title"_s), u"Park requested — awaiting Eos"_s);
  EXPECT_EQ(text(*card, u"fixture.park.detail"_s),
            u"The isolated check started, but Eos has not confirmed the resulting state."_s);
  auto *check = part<QPushButton>(*card, u"fixture.park.check"_s);
  EXPECT_TRUE(check->isVisibleTo(card.get()));
  EXPECT_FALSE(check->isEnabled());
  EXPECT_EQ(check->accessibleName(), u"Checking park state"_s);
  EXPECT_TRUE(part<QProgressBar>(*card, {})->isVisibleTo(card.get()));
  picture(*card, u"cards-park-requested"_s);

  ASSERT_TRUE(testing::waitUntil([&] { return console.parkedChannels.contains(5); }));
  ASSERT_TRUE(testing::waitUntil([&] {
    settle();
    return text(*card, u"fixture.park.title"_s) == u"Parked"_s;
  }));
  EXPECT_EQ(parkLinesTyped(), 1);
  EXPECT_EQ(action->text(), u"Unpark"_s);
  EXPECT_EQ(action->accessibleDescription(),
            u"Sends Eos's confirmed unpark command for Channel 5."_s);
  picture(*card, u"cards-park-parked"_s);

  // In viewer mode the parked channel's Unpark stays in view, disabled.
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_TRUE(action->isVisibleTo(card.get()));
  EXPECT_FALSE(action->isEnabled());
}

TEST_F(FixtureParkModuleWidget, TheCheckButtonShowsItsBusyFormWhileTheCheckRuns) {
  ASSERT_TRUE(connectAndSync());
  // Channel 9 is not patched, so no readback ever gives it a state.
  auto card = parkCard(9);
  auto *check = part<QPushButton>(*card, u"fixture.park.check"_s);
  ASSERT_TRUE(check->isEnabled());
  EXPECT_EQ(check->accessibleName(), u"Check park state"_s);
  EXPECT_EQ(check->accessibleDescription(),
            u"Reads the authoritative park state from Eos without changing it."_s);
  picture(*card, u"cards-park-check"_s);
  QTest::mouseClick(check, Qt::LeftButton);
  settle();
  ASSERT_TRUE(model->isRefreshingParkedChannels());
  EXPECT_FALSE(check->isEnabled());
  EXPECT_EQ(check->accessibleName(), u"Checking park state"_s);
  EXPECT_TRUE(check->text().isEmpty());
  picture(*card, u"cards-park-checking"_s);
  ASSERT_TRUE(testing::waitUntil([&] { return !model->isRefreshingParkedChannels(); }));
  settle();
  EXPECT_EQ(check->text(), u"Check Park State"_s);
  EXPECT_EQ(text(*card, u"fixture.park.title"_s), u"Unavailable"_s);
  EXPECT_EQ(parkLinesTyped(), 0);
}

TEST_F(FixtureParkModuleWidget, AConfirmedUnparkThatCannotGoSaysWhyAndTheNextCheckStillReads) {
  console.parkedChannels = {5};
  ASSERT_TRUE(connectAndSync());
  auto card = parkCard(5);
  ASSERT_EQ(text(*card, u"fixture.park.title"_s), u"Parked"_s);
  QMessageBox *box = openConfirmation(*card);
  ASSERT_TRUE(box);
  // While the box waits, a detail read the console leaves unanswered resets the Live
  // controls, and the store forgets the park state the unpark was confirmed from.
  console.setHandler(u"/eos/get/params/6"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  ASSERT_TRUE(model->fixtureControls().requestParameters(6));
  storeClock->advance(FixtureControlStore::defaultReadTimeout);
  ASSERT_FALSE(model->fixtureControls().sessionID());
  QTest::mouseClick(part<QPushButton>(*box, u"fixture.park.confirmation.confirm"_s),
                    Qt::LeftButton);
  settle();
  auto *notice = part<QLabel>(*card, u"fixture.park.notice"_s);
  ASSERT_TRUE(notice);
  EXPECT_TRUE(notice->isVisibleTo(card.get()));
  EXPECT_EQ(notice->text(),
            u"Unpark was not sent: the confirmed park state was cleared before "
            u"it could go. Check the park state, then try again."_s);
  EXPECT_FALSE(model->isRefreshingParkedChannels());
  picture(*card, u"cards-park-not-sent"_s);

  // Nothing changed on the console, so the check reads it afresh.
  auto *check = part<QPushButton>(*card, u"fixture.park.check"_s);
  ASSERT_TRUE(check->isEnabled());
  QTest::mouseClick(check, Qt::LeftButton);
  ASSERT_TRUE(testing::waitUntil([&] { return !model->isRefreshingParkedChannels(); }));
  EXPECT_EQ(model->parkStatusMessage(), u"1 channel parked"_s);
  settle();
  EXPECT_EQ(text(*card, u"fixture.park.title"_s), u"Parked"_s);
  EXPECT_FALSE(notice->isVisibleTo(card.get()));
  EXPECT_EQ(parkLinesTyped(), 0);
  EXPECT_EQ(console.parkedChannels, std::set<int>{5});
}

}  // namespace
}  // namespace tarnik
