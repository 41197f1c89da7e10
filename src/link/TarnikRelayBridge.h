#pragma once

#include "link/TarnikRelayLeg.h"

#include <QObject>

#include <chrono>
#include <memory>

namespace tarnik {

class TarnikRelayPump;

// Both legs of one relay session once bytes flow, and the two pumps between them. It is
// made on the GUI thread and then runs on the relay's pump thread; the session that made it
// hears from it only through finished() and ends it only through shutDown().
class TarnikRelayBridge : public QObject {
  Q_OBJECT

 public:
  TarnikRelayBridge(std::unique_ptr<TarnikRelayLeg> phone, std::unique_ptr<TarnikRelayLeg> console,
                    std::chrono::milliseconds sendTimeout);
  ~TarnikRelayBridge() override;

  // On the pump thread: starts copying both ways.
  void start();
  // On the pump thread: stops both pumps, closes both legs and deletes the bridge.
  void shutDown();

 signals:
  // One direction ended (see TarnikRelayPump::finished). Emitted once.
  void finished();

 private:
  void finish();

  // The pumps watch the legs' sockets, so they go first.
  std::unique_ptr<TarnikRelayLeg> phone_;
  std::unique_ptr<TarnikRelayLeg> console_;
  std::unique_ptr<TarnikRelayPump> toConsole_;
  std::unique_ptr<TarnikRelayPump> toPhone_;
  std::chrono::milliseconds sendTimeout_;
  bool finished_ = false;
};

}  // namespace tarnik
