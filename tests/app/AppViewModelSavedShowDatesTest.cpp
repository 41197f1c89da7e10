// A snapshot whose date JSON cannot hold is left out of what is stored; the other saved
// shows are stored and read back as before.

#include "AppViewModelTestSupport.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using SavedShowDates = AppViewModelTest;

TEST_F(SavedShowDates, ASnapshotWithoutAFiniteDateTakesNoOtherShowWithIt) {
  for (const double date :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(date);
    for (const QString &key : settings.allKeys()) settings.remove(key);
    auto store = std::make_unique<SavedShowStore>(settings);
    const auto snapshot = [&](const QString &identity, double refreshed) {
      store->store({.storageKey = SavedShowStore::showStorageKey(identity, u"Booth"_s),
                    .name = u"Show"_s,
                    .savedAt = refreshed});
    };
    snapshot(u"/Gala.esf"_s, 100);
    snapshot(u"/Opera.esf"_s, 200);
    const QList<SavedShowFile> kept = store->savedShowFiles();
    ASSERT_TRUE(waitUntil(
        [&] { return decodeJsonText<QList<SavedShowFile>>(storedSavedShowsText()) == kept; }));
    snapshot(u"/Broken.esf"_s, date);
    store.reset();  // stores what is still waiting

    EXPECT_EQ(makeModel()->savedShowFiles(), kept);
  }
}

}  // namespace
}  // namespace tarnik::testing
