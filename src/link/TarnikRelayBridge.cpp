#include "link/TarnikRelayBridge.h"

#include "link/TarnikRelayPump.h"

namespace tarnik {

TarnikRelayBridge::TarnikRelayBridge(std::unique_ptr<TarnikRelayLeg> phone,
                                     std::unique_ptr<TarnikRelayLeg> console,
                                     std::chrono::milliseconds sendTimeout)
    : phone_(std::move(phone)), console_(std::move(console)), sendTimeout_(sendTimeout) {}

TarnikRelayBridge::~TarnikRelayBridge() = default;

void TarnikRelayBridge::start() {
  // Made here, on the pump thread, because their socket notifiers work on the thread that
  // makes them.
  toConsole_ = std::make_unique<TarnikRelayPump>(*phone_, *console_, sendTimeout_);
  toPhone_ = std::make_unique<TarnikRelayPump>(*console_, *phone_, sendTimeout_);
  connect(toConsole_.get(), &TarnikRelayPump::finished, this, &TarnikRelayBridge::finish);
  connect(toPhone_.get(), &TarnikRelayPump::finished, this, &TarnikRelayBridge::finish);
  toConsole_->start();
  // Starting one direction may already have ended the session.
  if (!finished_) {
    toPhone_->start();
  }
}

void TarnikRelayBridge::shutDown() {
  finished_ = true;
  toConsole_.reset();
  toPhone_.reset();
  phone_.reset();
  console_.reset();
  deleteLater();
}

void TarnikRelayBridge::finish() {
  if (!finished_) {
    finished_ = true;
    emit finished();
  }
}

}  // namespace tarnik
