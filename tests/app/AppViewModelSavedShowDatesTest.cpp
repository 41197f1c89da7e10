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
    settings.clear();
    auto model = makeModel();
    const auto snapshot = [&](const QString &identity, double refreshed) {
      AppViewModelTestAccess::setShowOnScreen(*model, identity, u"Show"_s, refreshed);
      model->saveShowSnapshot();
    };
    snapshot(u"/Gala.esf"_s, 100);
    snapshot(u"/Opera.esf"_s, 200);
    const QList<SavedShowFile> kept = model->savedShowFiles();
    ASSERT_TRUE(waitUntil([&] {
      return decodeJsonText<QList<SavedShowFile>>(storedText(u"savedShowFiles"_s)) == kept;
    }));
    snapshot(u"/Broken.esf"_s, date);
    model.reset();  // stores what is still waiting

    EXPECT_EQ(makeModel()->savedShowFiles(), kept);
  }
}

}  // namespace
}  // namespace tarnik::testing
