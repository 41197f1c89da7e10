#include "foundation/ObservableObject.h"
#include "screens/kit/ScreenRefresh.h"
#include "support/QtPrinting.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

TEST(ScreenRefresh, ABurstOfChangesRedrawsOnceOnTheNextTurnAndNeverAfterTheScreenIsGone) {
  ObservableObject observed;
  auto screen = std::make_unique<QObject>();
  int redraws = 0;
  auto *refresh = new ScreenRefresh(screen.get(), [&] { ++redraws; });
  refresh->observe(observed);

  emit observed.objectWillChange();
  emit observed.objectWillChange();
  EXPECT_EQ(redraws, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);

  emit observed.objectWillChange();
  screen.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);
}

}  // namespace
}  // namespace tarnik
