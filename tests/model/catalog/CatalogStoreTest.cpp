#include "CatalogTestCatalogs.h"
#include "model/catalog/FixtureCatalogDatabase.h"
#include "model/catalog/FixtureCatalogQueries.h"
#include "model/catalog/FixtureCatalogStore.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "support/QtTestApplication.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

using catalogtest::fixtureContainer;
using catalogtest::parameterContainer;
using catalogtest::writeResource;

using FixtureState = FixtureCatalogStore::State;
using ParameterState = FixtureParameterCatalogStore::State;

}  // namespace

// Both stores report their load in the same state type.
void PrintTo(const CatalogLoadState &state, std::ostream *out) {
  *out << int(state.kind) << ' ' << state.message.toStdString();
}

namespace {

class CatalogStores : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureCoreApplication();
    ASSERT_TRUE(folder_.isValid());
  }

  CatalogResourceLocator bundle() const { return CatalogResourceLocator({folder_.path()}); }
  void writeFixtureCatalog(const QByteArray &bytes) {
    writeResource(folder_, "FixtureCatalog.tfcat", bytes);
  }
  void writeParameterCatalog(const QByteArray &bytes) {
    writeResource(folder_, "FixtureParameterCatalog.tfpc", bytes);
  }

  static bool settles(const auto &store) {
    return QTest::qWaitFor(
        [&store] {
          return store.state().kind != std::decay_t<decltype(store.state())>::Kind::loading;
        },
        10'000);
  }

  QTemporaryDir folder_;
};

TEST_F(CatalogStores, FixtureStorePublishesEverythingBeforeReady) {
  writeFixtureCatalog(fixtureContainer(writeFixturePayload(catalogtest::smallFixtureCatalog())));
  FixtureCatalogStore store;
  QStringList events;
  QObject::connect(&store, &ObservableObject::objectWillChange,
                   [&] { events.append("will change"); });
  QObject::connect(&store, &FixtureCatalogStore::stateChanged, [&] {
    events.append(store.state().kind == FixtureState::Kind::ready ? "ready" : "state");
  });
  QObject::connect(&store, &FixtureCatalogStore::metadataChanged, [&] {
    EXPECT_TRUE(store.database());  // the database is in place before anything is announced
    events.append("metadata");
  });
  QObject::connect(&store, &FixtureCatalogStore::manufacturersChanged,
                   [&] { events.append("manufacturers"); });

  store.loadIfNeeded(bundle());
  EXPECT_EQ(store.state().kind, FixtureState::Kind::loading);
  store.loadIfNeeded(bundle());  // under way: not repeated
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(events, (QStringList{"will change", "state", "will change", "metadata", "will change",
                                 "manufacturers", "will change", "ready"}));
  EXPECT_EQ(store.manufacturers().size(), 2);
  EXPECT_EQ(store.metadata()->libraryVersion, "3.2.1.75");

  events.clear();
  store.loadIfNeeded(bundle());  // done: not repeated
  QCoreApplication::processEvents();
  EXPECT_TRUE(events.isEmpty());
  EXPECT_TRUE(store.compareLibraryVersion(QStringLiteral(" 3.2.1.75\n")));
  EXPECT_FALSE(store.compareLibraryVersion(QStringLiteral("3.2.1.7")));
  EXPECT_FALSE(store.compareLibraryVersion(std::nullopt));
}

TEST_F(CatalogStores, FixtureStoreFailsWithTheErrorTextAndRetries) {
  FixtureCatalogStore store;
  store.loadIfNeeded(bundle());
  EXPECT_EQ(store.state(), FixtureState::failed("The bundled Eos fixture catalog is missing."));
  EXPECT_FALSE(store.compareLibraryVersion(QStringLiteral("3.2.1.75")));

  writeFixtureCatalog(QByteArray("TFCATZ01\x01\0\0\0\x10\0\0\0\0\0\0\0short", 25));
  store.loadIfNeeded(bundle());
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(store.state(),
            FixtureState::failed(
                "The fixture catalog is truncated while reading decoded resource SHA-256."));
  EXPECT_FALSE(store.metadata());
  EXPECT_FALSE(store.database());

  writeFixtureCatalog(writeFixturePayload(catalogtest::smallFixtureCatalog()));
  store.loadIfNeeded(bundle());
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(store.state().kind, FixtureState::Kind::ready);
}

TEST_F(CatalogStores, QueriesAnswerOnTheGuiThreadOnlyWhileTheReceiverLives) {
  auto database = std::make_shared<const FixtureCatalogDatabase>(
      *FixtureCatalogDatabase::parse(writeFixturePayload(catalogtest::smallFixtureCatalog())));
  QObject receiver;
  QList<FixtureCatalogMode> found;
  bool onGuiThread = false;
  searchModesInBackground(database, QStringLiteral("wash"), 100, &receiver,
                          [&](const QList<FixtureCatalogMode> &modes) {
                            onGuiThread =
                                QThread::currentThread() == QCoreApplication::instance()->thread();
                            found = modes;
                          });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !found.isEmpty(); }, 10'000));
  EXPECT_TRUE(onGuiThread);
  EXPECT_EQ(found.value(0).name, "Wash_1");

  QList<FixtureCatalogModel> models;
  modelsOfManufacturerInBackground(database, 0, {}, &receiver,
                                   [&](const auto &result) { models = result; });
  QList<FixtureCatalogMode> modes;
  modesOfModelInBackground(database, 0, {}, 10, &receiver,
                           [&](const auto &result) { modes = result; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return models.size() == 2 && modes.size() == 2; }, 10'000));

  bool delivered = false;
  auto doomed = std::make_unique<QObject>();
  searchModesInBackground(database, {}, 1, doomed.get(), [&](const auto &) { delivered = true; });
  doomed.reset();
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
  EXPECT_FALSE(delivered);
}

TEST_F(CatalogStores, ParameterStoreLoadsOnceAndServesSlotMaps) {
  writeParameterCatalog(
      parameterContainer(writeParameterPayload(catalogtest::smallParameterCatalog())));
  FixtureParameterCatalogStore store;
  QSignalSpy states(&store, &FixtureParameterCatalogStore::stateChanged);
  QStringList events;
  QObject::connect(&store, &FixtureParameterCatalogStore::metadataChanged,
                   [&] { events.append("metadata"); });
  QObject::connect(&store, &FixtureParameterCatalogStore::stateChanged, [&] {
    if (store.state().kind == ParameterState::Kind::ready) events.append("ready");
  });
  store.loadIfNeeded(bundle());
  store.loadIfNeeded(bundle());
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(events, (QStringList{"metadata", "ready"}));
  EXPECT_EQ(states.count(), 2);  // loading, ready: one decode
  store.loadIfNeeded(bundle());
  EXPECT_EQ(states.count(), 2);

  QObject receiver;
  std::optional<std::optional<FixtureParameterSlotMap>> answer;
  FixtureParameterCatalogStore::slotMap(store.database(), QStringLiteral("3.2.1.75"), "Acme",
                                        "Spot_300", &receiver,
                                        [&](const auto &map) { answer = map; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 10'000));
  ASSERT_TRUE(answer->has_value());
  EXPECT_EQ((*answer)->absoluteSlots(u"Pan", 101, 116), (QList<qint64>{102, 103}));
}

TEST_F(CatalogStores, ParameterStoreFailsWithTheErrorTextAndRetries) {
  FixtureParameterCatalogStore store;
  store.loadIfNeeded(bundle());
  EXPECT_EQ(store.state(),
            ParameterState::failed("The bundled Eos fixture parameter catalog is missing."));

  writeParameterCatalog(
      writeParameterPayload(catalogtest::smallParameterCatalog()));  // no container
  store.loadIfNeeded(bundle());
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(store.state(),
            ParameterState::failed("The fixture parameter catalog has an invalid file signature."));
  EXPECT_FALSE(store.database());

  writeParameterCatalog(
      parameterContainer(writeParameterPayload(catalogtest::smallParameterCatalog())));
  store.loadIfNeeded(bundle());
  ASSERT_TRUE(settles(store));
  EXPECT_EQ(store.state().kind, ParameterState::Kind::ready);
  EXPECT_EQ(store.metadata()->libraryVersion, "3.2.1.75");
}

}  // namespace
}  // namespace tarnik
