#include "app/TorchController.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

const QString noFlashlight = QStringLiteral(
    "The Simulator has no physical flashlight. Run Tarnik on an iPhone to use this control.");

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
