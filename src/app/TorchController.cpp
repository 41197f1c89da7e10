#include "app/TorchController.h"

namespace tarnik {

TorchController::TorchController(QObject *parent) : ObservableObject(parent) {
  publish(isAvailable_, false, &TorchController::isAvailableChanged);
}

void TorchController::setPendingCleanupFailure(const std::optional<QString> &value) {
  publish(pendingCleanupFailure_, value, &TorchController::pendingCleanupFailureChanged);
}

std::optional<QString> TorchController::setTorch(std::optional<bool>) {
  releaseDevice();
  return QStringLiteral(
      "The Simulator has no physical flashlight. Run Tarnik on an iPhone to use this control.");
}

void TorchController::turnOffAutomatically() {
  releaseDevice();
  if (isOn_) {
    setPendingCleanupFailure(
        QStringLiteral("Tarnik could not access the flashlight to turn it off automatically. "
                       "Check whether it is still on."));
  }
}

void TorchController::deviceReportsLight(bool on) {
  publish(isOn_, on, &TorchController::isOnChanged);
}

void TorchController::releaseDevice() {
  publish(isAvailable_, false, &TorchController::isAvailableChanged);
}

}  // namespace tarnik
