// The parameters card inside its container, against the console double's parameter
// replies through the model's fixture store, with slots from a test parameter catalog whose
// library version the double reports.

#include "CardsTestCatalog.h"
#include "ChannelCardsTestSupport.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "screens/patch/FixtureControlModules.h"
#include "screens/patch/FixtureParameterRow.h"
#include "screens/patch/FixtureParametersModule.h"
#include "screens/patch/FixtureParkModule.h"
#include "screens/support/ManualTaskExecutor.h"

#include <QLabel>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

class FixtureParametersModuleWidget : public testing::ConnectedChannelCards {
 protected:
  FixtureParametersModuleWidget() {
    console.fixtureLibraryVersion = testing::cardsCatalogLibraryVersion + u" "_s;
  }

  void makeCards(qint64 number) {
    frame = testing::channelPageGround();
    auto *layout = new QVBoxLayout(frame.get());
    cards = new FixtureControlModules(model->fixtureControls(), model->fixtureParameterCatalog(),
                                      files.bundle(), testing::pageCard, inputs(number));
    cards->observe(*model);
    layout->addWidget(cards);
    frame->resize(460, 200);
    frame->show();
    settle();
  }
  FixtureControlModules::Inputs inputs(qint64 number) const {
    return {channel(number), model->eosFixtureLibraryVersion(),
            model->canControlFixtures() && model->isFixtureControlReady(), false};
  }
  template <class T = QWidget>
  T *part(const QString &name) const {
    return frame->findChild<T *>(name);
  }
  QString message() const {
    auto *label = part<QLabel>(u"fixture.parameters.message"_s);
    return label && label->isVisibleTo(frame.get()) ? label->text() : QString();
  }
  QString rowSentence(const QString &id) const {
    auto *row = part(u"fixture.parameters.row."_s + id);
    return row ? row->accessibleName() : QString();
  }
  qsizetype parameterQueries(int number) const {
    return console.requests(u"/eos/get/params/"_s + QString::number(number)).size();
  }
  void picture(const QString &name) {
    settle();
    frame->resize(frame->width(), frame->sizeHint().height());
    testing::saveScreenshot(*frame, name);
  }

  testing::CardsTestCatalog files;
  std::unique_ptr<QWidget> frame;
  FixtureControlModules *cards = nullptr;
};

TEST_F(FixtureParametersModuleWidget, WithoutASessionTheCardAsksForALiveConnection) {
  makeCards(5);
  EXPECT_EQ(message(), u"Parameters need a live Eos connection."_s);
  EXPECT_FALSE(part(u"fixture.parameters.refresh"_s)->isEnabled());
  EXPECT_EQ(part(u"fixture.parameters.refresh"_s)->accessibleName(),
            u"Refresh fixture parameters"_s);
  EXPECT_FALSE(part(u"fixture.parameters.library"_s)->isVisibleTo(frame.get()));
  picture(u"cards-parameters-no-session"_s);
}

TEST_F(FixtureParametersModuleWidget, RowsShowTheConsolesValuesAndTheCatalogsSlots) {
  ASSERT_TRUE(connectAndSync());
  ASSERT_EQ(model->eosFixtureLibraryVersion(), testing::cardsCatalogLibraryVersion + u" "_s);
  const qsizetype queriesBefore = parameterQueries(5);
  makeCards(5);
  ASSERT_TRUE(testing::waitUntil([&] {
    settle();
    return rowSentence(u"parameters:pan"_s).contains(u"DMX U1"_s);
  }));
  EXPECT_GT(parameterQueries(5), queriesBefore);
  const QLocale locale;
  EXPECT_EQ(rowSentence(u"parameters:pan"_s),
            u"Pan, value "_s + locale.toString(127.5, 'f', 1) + u", Range 0–255, DMX U1 · 001"_s);
  EXPECT_EQ(rowSentence(u"parameters:intens"_s), u"Intens, value 50, Range 0–100, DMX U1 · 003"_s);
  EXPECT_EQ(rowSentence(u"parameters:tilt"_s).section(u", "_s, 3), u"DMX U1 · 002"_s);
  EXPECT_EQ(rowSentence(u"parameters:zoom"_s),
            u"Zoom, value 12, Range 12–12 · read only, DMX Unknown"_s);
  EXPECT_EQ(part<QLabel>(u"fixture.parameters.library"_s)->text(),
            u"DMX reference: fixture library 3.2.1.75."_s);
  EXPECT_TRUE(part(u"fixture.parameters.refresh"_s)->isEnabled());
  EXPECT_TRUE(message().isEmpty());
  picture(u"cards-parameters-loaded"_s);

  // A refresh the console leaves unanswered: the rows stay while it runs, then the store's
  // read times out, the store resets, and the card asks for a live connection again.
  FixtureParkModule park(model->fixtureControls(), 5, {});
  park.observe(*model);
  settle();
  EXPECT_EQ(park.findChild<QLabel *>(u"fixture.park.title"_s)->text(), u"Not parked"_s);
  console.setHandler(u"/eos/get/params/5"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  QTest::mouseClick(part<QToolButton>(u"fixture.parameters.refresh"_s), Qt::LeftButton);
  settle();
  EXPECT_EQ(message(), u"Refreshing fixture parameters…"_s);
  EXPECT_TRUE(part(u"fixture.parameters.list"_s));
  picture(u"cards-parameters-refreshing"_s);
  storeClock->advance(FixtureControlStore::defaultReadTimeout);
  ASSERT_TRUE(testing::waitUntil([&] {
    settle();
    return message() == u"Parameters need a live Eos connection."_s;
  })) << message().toStdString();
  EXPECT_FALSE(model->fixtureControls().sessionID());
  EXPECT_EQ(park.findChild<QLabel *>(u"fixture.park.title"_s)->text(), u"Unavailable"_s);
  EXPECT_FALSE(part(u"fixture.parameters.unavailable"_s));
  EXPECT_FALSE(part(u"fixture.parameters.refresh"_s)->isEnabled());
  picture(u"cards-parameters-timed-out"_s);
}

TEST_F(FixtureParametersModuleWidget, AnEmptyParameterListHidesTheCard) {
  console.fixtures[6].parameters.clear();
  ASSERT_TRUE(connectAndSync());
  makeCards(6);
  ASSERT_TRUE(testing::waitUntil([&] {
    const auto state = model->fixtureControls().state(6);
    return state && state->parameterReadState == FixtureControlReadState::loaded;
  }));
  settle();
  EXPECT_FALSE(part(u"fixture.parameters.footnote"_s)->isVisibleTo(frame.get()));

  // Another channel is read as soon as the card shows it.
  const qsizetype queriesBefore = parameterQueries(5);
  cards->setInputs(inputs(5));
  EXPECT_EQ(parameterQueries(5), queriesBefore);
  ASSERT_TRUE(testing::waitUntil([&] {
    settle();
    return !rowSentence(u"parameters:pan"_s).isEmpty();
  }));
  EXPECT_TRUE(part(u"fixture.parameters.footnote"_s)->isVisibleTo(frame.get()));
}

TEST_F(FixtureParametersModuleWidget, RowsSayTheyAreCheckingUntilTheCatalogHasLoaded) {
  // The first channel opened after start: the catalog has not been read yet.
  FixtureParameterCatalogStore catalog;
  testing::ManualTaskExecutor lookups;
  frame = testing::channelPageGround();
  auto *module = new FixtureParametersModule(catalog, files.bundle(), {}, lookups);
  (new QVBoxLayout(frame.get()))->addWidget(testing::pageCard(module->title(), module));
  frame->show();
  FixtureControlState state = FixtureControlState::empty(5);
  state.parameters = {{u"Pan"_s, 127.5, 0, 255}};
  state.parameterReadState = FixtureControlReadState::loaded;
  Channel spot;
  spot.number = 5;
  spot.parts = {{.channelNumber = 5,
                 .partNumber = 1,
                 .manufacturer = u"Acme"_s,
                 .model = u"Spot 300"_s,
                 .address = u"1/1"_s,
                 .addressEnd = u"1/16"_s}};
  const FixtureParametersModule::Inputs inputs{
      state, spot, QUuid::createUuid(), u"/shows/cards.esf"_s, testing::cardsCatalogLibraryVersion,
      true};
  const auto panRow = [&] { return rowSentence(u"parameters:pan"_s).section(u", "_s, 3); };

  module->setInputs(inputs);
  ASSERT_EQ(catalog.state().kind, FixtureParameterCatalogStore::State::Kind::loading);
  EXPECT_EQ(panRow(), u"DMX assignment checking"_s);
  ASSERT_TRUE(testing::waitUntil(
      [&] { return catalog.state().kind == FixtureParameterCatalogStore::State::Kind::ready; }));
  // The lookup starts as soon as the catalog is in, and the row waits for it.
  settle();
  ASSERT_EQ(panRow(), u"DMX assignment checking"_s);
  lookups.run(0);
  settle();
  EXPECT_EQ(panRow(), u"DMX U1 · 001"_s);
}

}  // namespace
}  // namespace tarnik
