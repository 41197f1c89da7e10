#include "shell/ScreenRefresh.h"
#include "shell/TorchController.h"
#include "support/QtPrinting.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

const QString noFlashlight = QStringLiteral(
    "The Simulator has no physical flashlight. Run Tarnik on an iPhone to use this control.");

TEST(ScreenRefresh, ABurstOfChangesRedrawsOnceOnTheNextTurnAndNeverAfterTheScreenIsGone) {
  TorchController observed;
  auto screen = std::make_unique<QObject>();
  int redraws = 0;
  auto *refresh = new ScreenRefresh(screen.get(), [&] { ++redraws; });
  refresh->observe(observed);

  observed.setPendingCleanupFailure(QStringLiteral("a"));
  observed.setPendingCleanupFailure(std::nullopt);
  EXPECT_EQ(redraws, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);

  observed.setPendingCleanupFailure(QStringLiteral("b"));
  screen.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(redraws, 1);
}

// The device seam, filled only here: a light believed on.
class LitTorch : public TorchController {
 public:
  LitTorch() { deviceReportsLight(true); }
};

TEST(TorchController, EverySwitchRequestExplainsThatThereIsNoFlashlight) {
  for (const std::optional<bool> wanted :
       {std::optional<bool>(), std::optional(true), std::optional(false)}) {
    TorchController torch;
    EXPECT_EQ(torch.setTorch(wanted), noFlashlight);
    EXPECT_FALSE(torch.isOn());
    EXPECT_FALSE(torch.isAvailable());
  }
}

TEST(TorchController, AutomaticTurnOffReportsAFailureOnlyWhileTheLightIsBelievedOn) {
  TorchController dark;
  dark.turnOffAutomatically();
  EXPECT_EQ(dark.pendingCleanupFailure(), std::nullopt);

  LitTorch lit;
  lit.turnOffAutomatically();
  EXPECT_EQ(lit.pendingCleanupFailure(),
            QStringLiteral("Tarnik could not access the flashlight to turn it off "
                           "automatically. Check whether it is still on."));
  EXPECT_TRUE(lit.isOn());
  EXPECT_FALSE(lit.isAvailable());
  lit.setPendingCleanupFailure(std::nullopt);
  EXPECT_EQ(lit.pendingCleanupFailure(), std::nullopt);
}

}  // namespace
}  // namespace tarnik
