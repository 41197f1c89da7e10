#pragma once

#include "foundation/ObservableObject.h"

#include <QString>

#include <optional>

namespace tarnik {

// The model behind the Live screen's flashlight switch. A desktop has no flashlight, so the
// controller never finds a device: every request to switch it explains why, and an automatic
// turn-off while the light is believed on leaves a report for the Live screen to show.
class TorchController : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(bool isOn READ isOn NOTIFY isOnChanged)
  Q_PROPERTY(bool isAvailable READ isAvailable NOTIFY isAvailableChanged)
  Q_PROPERTY(std::optional<QString> pendingCleanupFailure READ pendingCleanupFailure WRITE
                 setPendingCleanupFailure NOTIFY pendingCleanupFailureChanged)

 public:
  explicit TorchController(QObject *parent = nullptr);

  bool isOn() const { return isOn_; }
  bool isAvailable() const { return isAvailable_; }
  const std::optional<QString> &pendingCleanupFailure() const { return pendingCleanupFailure_; }
  // The Live screen clears the report when it takes it.
  void setPendingCleanupFailure(const std::optional<QString> &value);

  // The header's switch, which passes no wanted state; the result is the message for the
  // user, or nothing on success.
  std::optional<QString> setTorch(std::optional<bool> wanted = std::nullopt);
  // When the Live screen goes to the background or away.
  void turnOffAutomatically();

 signals:
  void isOnChanged(bool value);
  void isAvailableChanged(bool value);
  void pendingCleanupFailureChanged(const std::optional<QString> &value);

 protected:
  // The device seam: a device, had we one, would report its light here. Nothing in the
  // desktop build calls it.
  void deviceReportsLight(bool on);

 private:
  // Every call starts by letting go of the device; on a desktop there is none to hold.
  void releaseDevice();

  bool isOn_ = false;
  bool isAvailable_ = false;
  std::optional<QString> pendingCleanupFailure_;
};

}  // namespace tarnik
