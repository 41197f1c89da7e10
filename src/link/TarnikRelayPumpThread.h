#pragma once

#include <QThread>

namespace tarnik {

class TarnikRelayBridge;

// The thread on which the relay copies bytes, so that a busy window never holds up a phone
// and a phone never holds up the window. Its event loop is TarnikRelayEventDispatcher.
// Everything a screen sees still changes on the GUI thread: the bridges report back only
// through queued signals.
class TarnikRelayPumpThread {
 public:
  TarnikRelayPumpThread();
  // Deletes every bridge still there, with its sockets, then ends the thread.
  ~TarnikRelayPumpThread();
  TarnikRelayPumpThread(const TarnikRelayPumpThread &) = delete;
  TarnikRelayPumpThread &operator=(const TarnikRelayPumpThread &) = delete;

  // Moves the bridge, which must have no parent and live on the calling thread, to the
  // pump thread and starts it there.
  void run(TarnikRelayBridge *bridge);

 private:
  QThread thread_;
  QObject *bridges_;  // lives on the pump thread; parent of every bridge there
};

}  // namespace tarnik
