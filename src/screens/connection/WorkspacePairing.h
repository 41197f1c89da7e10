#pragma once

#include <QString>

#include <functional>

class QObject;

namespace tarnik {

// What the relay and controller pages ask of the window that keeps the relay's pairing
// code: to replace the code, to hear when it or its error changes, and whether the console
// route may be used now.
class WorkspacePairing {
 public:
  // Stops the relay, then makes and stores a new code; the old one stays when that fails.
  virtual void replacePairingCode() = 0;
  // Calls `changed` on each change of the pairing code or its error while `receiver` lives.
  virtual void onPairingChanged(QObject *receiver, std::function<void()> changed) = 0;
  // The phone relay's and the controller's shared condition on the console route.
  virtual bool canUseBoardRoute() const = 0;

 protected:
  ~WorkspacePairing() = default;
};

}  // namespace tarnik
