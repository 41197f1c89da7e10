// The colour card's logic over a recording store on virtual time: what it sends while the
// user drags, when it waits for the console, and what ends an adjustment.

#include "ColorCardTestSupport.h"
#include "screens/patch/FixtureColorController.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

struct CardHarness : RecordingColorStore {
  tarnik::FixtureColorController &card(bool canControl = true) {
    if (!made)
      made = std::make_unique<tarnik::FixtureColorController>(store, channelFive(), canControl,
                                                              throttler());
    return *made;
  }
  void push(bool canControl = true) { card().setInputs(channelFive(), canControl); }

  std::unique_ptr<tarnik::FixtureColorController> made;
};

// Each test reads as the card's own: `card()`, `sends`, `clock` of one harness.
class FixtureColorController : public ::testing::Test, public CardHarness {};

TEST_F(FixtureColorController, ASecondOfDragSendsAtMostTenColoursThenTheFinalOneOnCommit) {
  card().resync();
  EXPECT_EQ(card().color(), (FixtureColorValue{10, 20}));
  card().begin();
  EXPECT_EQ(card().statusText(), u"Adjusting color"_s);
  for (int move = 0; move < 50; ++move) {  // one every 0.02 s, from 0 to 0.98
    if (move > 0) clock->advance(0.02);
    card().submit({double(move * 7 % 360), 50});
    push();
  }
  ASSERT_EQ(sends.size(), 10);
  for (qsizetype index = 1; index < sends.size(); ++index)
    EXPECT_GE(sends[index].at - sends[index - 1].at, 0.1 - 1e-9) << index;
  card().setColor({300, 80});
  card().commit(card().color());
  EXPECT_EQ(sends.last().hue, 300);
  EXPECT_EQ(sends.last().saturation, 80);
  EXPECT_EQ(sends.last().at, clock->now());
  push();
  EXPECT_EQ(card().statusText(), u"Color sent · awaiting Eos"_s);
  EXPECT_EQ(card().color(), (FixtureColorValue{300, 80}));  // kept until the readback

  readBack(120, 30);
  push();
  EXPECT_EQ(card().statusText(), u"Color readback from Eos"_s);
  EXPECT_EQ(card().color(), (FixtureColorValue{120, 30}));
}

TEST_F(FixtureColorController, ARefusedSendEndsTheWaitingAtOnce) {
  accepting = false;
  card().begin();
  card().commit({200, 60});
  EXPECT_TRUE(sends.isEmpty());
  EXPECT_FALSE(card().isAwaitingColorConfirmation());
  EXPECT_EQ(card().color(), (FixtureColorValue{10, 20}));
}

TEST_F(FixtureColorController, LosingControlTheSessionOrTheShowMidDragSendsNothingMore) {
  // Viewer mode mid-drag is the card's own test: it also lets go of a held slider.
  const struct {
    const char *event;
    std::function<void(CardHarness &)> happen;
    bool canControl;
  } rows[] = {
      {"control lost", [](CardHarness &) {}, false},
      {"new session",
       [](CardHarness &harness) {
         harness.store.updateSession(QUuid::createUuid(), u"/shows/a.esf"_s);
       },
       true},
      {"new show",
       [](CardHarness &harness) {
         harness.store.updateSession(harness.session, u"/shows/b.esf"_s);
       },
       true},
  };
  for (const auto &row : rows) {
    CardHarness harness;
    const FixtureControlState before = harness.channelFive();
    harness.card().begin();
    harness.card().submit({90, 90});
    harness.card().submit({180, 90});  // waits for its turn
    row.happen(harness);
    harness.card().setInputs(harness.store.state(5).value_or(before), row.canControl);
    harness.clock->advance(1);
    harness.card().submit({270, 90});
    EXPECT_EQ(harness.sends.size(), 1) << row.event;
    EXPECT_FALSE(harness.card().isEditing()) << row.event;
    EXPECT_EQ(harness.card().color(), (FixtureColorValue{10, 20})) << row.event;
    EXPECT_EQ(harness.card().statusText(), u"Color readback from Eos"_s) << row.event;
  }
}

TEST_F(FixtureColorController, AReadbackMovesTheControlsLimitedToTheirRanges) {
  // A state the store does not hold is the card's own: its colour is taken as it stands.
  FixtureControlState stray = channelFive();
  stray.channel = 9;
  stray.nativeColor = FixtureColorValue{400, -3};
  tarnik::FixtureColorController card(store, stray, true, throttler());
  card.resync();
  EXPECT_EQ(card.color(), (FixtureColorValue{360, 0}));
  stray.nativeColor = FixtureColorValue{-1, 250};
  card.setInputs(stray, true);
  EXPECT_EQ(card.color(), (FixtureColorValue{0, 100}));
}

TEST_F(FixtureColorController, TheNoticeSaysWhyNoColourIsShown) {
  const struct {
    FixtureControlReadState readState;
    std::optional<FixtureColorValue> native;
    std::optional<QString> text;
    bool offersRead;
  } rows[] = {
      {FixtureControlReadState::loading, FixtureColorValue{1, 2}, std::nullopt, false},
      {FixtureControlReadState::loading, std::nullopt, u"Reading color from Eos…"_s, false},
      {FixtureControlReadState::unknown, FixtureColorValue{1, 2}, u"Reading color from Eos…"_s,
       false},
      {FixtureControlReadState::failed, FixtureColorValue{1, 2},
       u"Eos color readback is unavailable. Try reading it again."_s, true},
  };
  for (const auto &row : rows) {
    FixtureControlState state = channelFive();
    state.colorReadState = row.readState;
    state.nativeColor = row.native;
    const tarnik::FixtureColorController card(store, state, true, throttler());
    const auto notice = card.notice();
    EXPECT_EQ(notice ? std::optional(notice->text) : std::nullopt, row.text);
    EXPECT_EQ(notice && notice->offersRead, row.offersRead);
    EXPECT_EQ(card.isActive(), !row.text.has_value());
  }
}

}  // namespace
}  // namespace tarnik::testing
