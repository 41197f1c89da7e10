// The slot lookup of the parameters card, with a hand-run executor: whatever order the
// lookups finish in, only the newest identity's result is published.

#include "CardsTestCatalog.h"
#include "model/catalog/FixtureParameterCatalogStore.h"
#include "screens/patch/DMXSlotResolver.h"
#include "screens/support/ManualTaskExecutor.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Value = FixtureParameterPartDMX::Value;

EosPatchPart spotPart(qint64 number, const QString &address, const QString &addressEnd) {
  EosPatchPart part;
  part.channelNumber = 5;
  part.partNumber = number;
  part.manufacturer = u"Acme"_s;
  part.model = u"Spot 300"_s;
  part.address = address;
  part.addressEnd = addressEnd;
  return part;
}

class DMXSlotResolution : public ::testing::Test {
 protected:
  void SetUp() override {
    catalog.loadIfNeeded(files.bundle());
    ASSERT_TRUE(testing::waitUntil(
        [&] { return catalog.state().kind == FixtureParameterCatalogStore::State::Kind::ready; }));
  }

  FixtureParameterLookupID identity(QList<EosPatchPart> parts) const {
    return {5,
            std::move(parts),
            {u"Pan"_s, u"Tilt"_s},
            u"3.2.1.75 "_s,
            QUuid::createUuid(),
            u"/shows/a.esf"_s,
            true,
            true};
  }
  void resolve(const FixtureParameterLookupID &lookup) {
    resolver.resolve(lookup,
                     [this](const DMXSlotResolver::Result &result) { published.append(result); });
  }
  void runLookup(qsizetype index) {
    executor.run(index);
    QCoreApplication::processEvents();
  }

  testing::CardsTestCatalog files;
  FixtureParameterCatalogStore catalog;
  testing::ManualTaskExecutor executor;
  QObject receiver;
  DMXSlotResolver resolver{&receiver, catalog, files.bundle(), executor};
  QList<DMXSlotResolver::Result> published;
};

TEST_F(DMXSlotResolution, PartsAreLookedUpOneAfterAnotherAndResolvedTogether) {
  resolve(identity({spotPart(1, u"1/1"_s, u"1/16"_s), spotPart(2, u"2/1"_s, u"2/16"_s)}));
  runLookup(0);
  EXPECT_TRUE(published.isEmpty()) << "the second part is still to come";
  runLookup(0);
  ASSERT_EQ(published.size(), 1);
  EXPECT_EQ(
      published[0].dmxByParameterName.value(u"Tilt"_s),
      (QList<FixtureParameterPartDMX>{{1, Value::slotList({2})}, {2, Value::slotList({514})}}));
  EXPECT_EQ(published[0].resolvedLibraryVersion, u"3.2.1.75"_s);
}

TEST_F(DMXSlotResolution, OnlyTheNewestIdentityIsPublished) {
  // A part relabelled while its lookup runs: the older run's answer comes last and is dropped.
  FixtureParameterLookupID first = identity({spotPart(1, u"1/1"_s, u"1/16"_s)});
  FixtureParameterLookupID relabelled = first;
  relabelled.parts[0].label = u"Key"_s;
  relabelled.parts[0].address = u"2/1"_s;
  relabelled.parts[0].addressEnd = u"2/16"_s;
  resolve(first);
  resolve(relabelled);
  runLookup(1);
  runLookup(0);
  ASSERT_EQ(published.size(), 1);
  EXPECT_EQ(published[0].dmxByParameterName.value(u"Pan"_s),
            (QList<FixtureParameterPartDMX>{{1, Value::slotList({513})}}));

  // A new session halfway through a two-part run starts again from the first part.
  published.clear();
  FixtureParameterLookupID twoParts =
      identity({spotPart(1, u"1/1"_s, u"1/16"_s), spotPart(2, u"1/17"_s, u"1/32"_s)});
  resolve(twoParts);
  runLookup(0);
  twoParts.sessionID = QUuid::createUuid();
  resolve(twoParts);
  runLookup(0);  // the older run's second part
  EXPECT_TRUE(published.isEmpty());
  runLookup(0);
  runLookup(0);
  ASSERT_EQ(published.size(), 1);
  EXPECT_EQ(
      published[0].dmxByParameterName.value(u"Pan"_s),
      (QList<FixtureParameterPartDMX>{{1, Value::slotList({1})}, {2, Value::slotList({17})}}));
}

TEST_F(DMXSlotResolution, ACancelledRunPublishesNothing) {
  resolve(identity({spotPart(1, u"1/1"_s, u"1/16"_s)}));
  executor.run(0);
  resolver.cancel();
  QCoreApplication::processEvents();
  EXPECT_TRUE(published.isEmpty());

  // An identity without names cancels too, and resolves nothing of its own.
  resolve(identity({spotPart(1, u"1/1"_s, u"1/16"_s)}));
  FixtureParameterLookupID noNames = identity({spotPart(1, u"1/1"_s, u"1/16"_s)});
  noNames.parameterNames.clear();
  resolve(noNames);
  runLookup(0);
  EXPECT_TRUE(published.isEmpty());
}

TEST_F(DMXSlotResolution, AnotherLibraryVersionLeavesOnlyThePatchsOwnAnswers) {
  FixtureParameterLookupID other = identity({spotPart(1, u"1/1"_s, u"1/16"_s)});
  other.reportedFixtureLibraryVersion = u"3.3.0"_s;
  resolve(other);
  runLookup(0);
  ASSERT_EQ(published.size(), 1);
  EXPECT_EQ(published[0].dmxByParameterName.value(u"Pan"_s),
            (QList<FixtureParameterPartDMX>{{1, Value::unknown()}}));
  EXPECT_FALSE(published[0].resolvedLibraryVersion);
}

TEST_F(DMXSlotResolution, ARunWaitingForACatalogThatCannotLoadStillEnds) {
  QTemporaryDir empty;
  FixtureParameterCatalogStore missing;
  DMXSlotResolver waiting{&receiver, missing, CatalogResourceLocator({empty.path()}), executor};
  waiting.resolve(identity({spotPart(1, u"1/1"_s, u"1/16"_s)}),
                  [this](const DMXSlotResolver::Result &result) { published.append(result); });
  ASSERT_TRUE(testing::waitUntil([&] { return !published.isEmpty(); }));
  EXPECT_EQ(missing.state().kind, FixtureParameterCatalogStore::State::Kind::failed);
  EXPECT_EQ(published[0].dmxByParameterName.value(u"Pan"_s),
            (QList<FixtureParameterPartDMX>{{1, Value::unknown()}}));
}

}  // namespace
}  // namespace tarnik
