// When the container asks the fixture store for a reading: on first show, on a new channel,
// on a new session and on a new show, each seen by the store's own queries.

#include "CardsTestCatalog.h"
#include "ChannelCardsTestSupport.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "operations/FixtureControlStore.h"
#include "screens/patch/FixtureControlModules.h"
#include "screens/support/Screenshots.h"
#include "support/ManualLevelCommandScheduler.h"
#include "support/QtTestApplication.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

class FixtureControlModulesWidget : public ::testing::Test {
 protected:
  FixtureControlModulesWidget() { store.updateSession(QUuid::createUuid(), u"/shows/a.esf"_s); }

  static FixtureControlModules::Inputs channel(qint64 number,
                                               std::optional<QString> libraryVersion = {},
                                               bool canControl = false) {
    Channel made;
    made.number = number;
    return {made, std::move(libraryVersion), canControl, false};
  }
  // The parameter reads the store sent since the last call, by channel.
  QStringList reads() {
    QStringList asked;
    for (const QString &address : std::exchange(queries, {}))
      if (address.startsWith(u"/eos/get/params/"_s)) asked.append(address.section(u'/', 4));
    return asked;
  }
  static void turn() { QCoreApplication::processEvents(); }

  QStringList queries;
  bool querySent = true;  // whether the store's queries reach the console
  std::shared_ptr<testing::ManualLevelCommandScheduler> storeClock =
      std::make_shared<testing::ManualLevelCommandScheduler>();
  FixtureControlStore store{{.querySender =
                                 [this](const OSCMessage &message) {
                                   queries.append(message.address);
                                   return querySent;
                                 },
                             .colorQuerySender = {},
                             .mutationSender = {},
                             .canControl = {},
                             .parkRequest = {},
                             .onReadTimeout = {}},
                            FixtureControlStore::defaultReadTimeout,
                            FixtureControlStore::defaultParameterReadbackSettleDelay,
                            FixtureControlStore::defaultMaximumQueuedColorReads,
                            storeClock};
  testing::CardsTestCatalog files;
  FixtureParameterCatalogStore catalog;
};

TEST_F(FixtureControlModulesWidget, ReadsOnShowANewChannelANewSessionAndANewShow) {
  FixtureControlModules cards(store, catalog, files.bundle(), {}, channel(5));
  turn();
  EXPECT_TRUE(reads().isEmpty()) << "nothing before it shows";
  cards.show();
  EXPECT_EQ(reads(), QStringList{u"5"_s});
  cards.hide();
  cards.show();
  EXPECT_TRUE(reads().isEmpty()) << "only the first show asks";

  cards.setInputs(channel(7));
  EXPECT_EQ(reads(), QStringList{u"7"_s});
  cards.setInputs(channel(7, u"3.2.1.75"_s, true));
  EXPECT_TRUE(reads().isEmpty());

  // A new session is asked about once it has landed, and its reading survives.
  store.updateSession(QUuid::createUuid(), u"/shows/a.esf"_s);
  EXPECT_TRUE(reads().isEmpty());
  turn();
  EXPECT_EQ(reads(), QStringList{u"7"_s});
  EXPECT_EQ(store.state(7)->parameterReadState, FixtureControlReadState::loading);

  // No session asks nothing; a new show on the same session asks again.
  store.resetSession();
  turn();
  EXPECT_TRUE(reads().isEmpty());
  const QUuid session = QUuid::createUuid();
  store.updateSession(session, u"/shows/a.esf"_s);
  turn();
  EXPECT_EQ(reads(), QStringList{u"7"_s});
  store.updateSession(session, u"/shows/b.esf"_s);
  turn();
  EXPECT_EQ(reads(), QStringList{u"7"_s});
}

TEST_F(FixtureControlModulesWidget, AReadingThatCannotBeSentEndsUnavailable) {
  const std::unique_ptr<QWidget> ground = testing::channelPageGround();
  QWidget &frame = *ground;
  auto *cards =
      new FixtureControlModules(store, catalog, files.bundle(), testing::pageCard, channel(5));
  (new QVBoxLayout(&frame))->addWidget(cards);
  frame.resize(420, 200);
  frame.show();
  turn();
  const auto message = [&] {
    auto *label = frame.findChild<QLabel *>(u"fixture.parameters.message"_s);
    return label ? label->text() : QString();
  };
  EXPECT_EQ(message(), u"Reading fixture parameters from Eos…"_s);
  testing::saveScreenshot(frame, u"cards-parameters-reading"_s);
  // The next session's query cannot be sent: the reading fails at once.
  querySent = false;
  store.updateSession(QUuid::createUuid(), u"/shows/a.esf"_s);
  turn();
  turn();
  turn();
  EXPECT_EQ(store.state(5)->parameterReadState, FixtureControlReadState::failed);
  EXPECT_TRUE(frame.findChild<QWidget *>(u"fixture.parameters.unavailable"_s)->isVisible());
  EXPECT_EQ(message(), QString());
  testing::saveScreenshot(frame, u"cards-parameters-unavailable"_s);
}

}  // namespace
}  // namespace tarnik
