#pragma once

#include "support/EosConsoleDouble.h"
#include "support/QtTestApplication.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace tarnik::testing {

// An EosConsoleDouble on a thread of its own, so that a benchmark's client and the console
// do not share one event loop. The double is made, used and destroyed on that thread; the
// test reaches it only through run().
class EosConsoleDoubleThread {
 public:
  explicit EosConsoleDoubleThread(EosConsoleDouble::Options options = {});
  ~EosConsoleDoubleThread();
  EosConsoleDoubleThread(const EosConsoleDoubleThread &) = delete;
  EosConsoleDoubleThread &operator=(const EosConsoleDoubleThread &) = delete;

  // Runs the work on the double's thread and waits until it is done.
  void run(const std::function<void(EosConsoleDouble &)> &work);

  quint16 udpPort() const { return udpPort_; }
  quint16 tcpPort(OSCTCPFraming framing) const {
    return framing == OSCTCPFraming::packetLength ? packetLengthPort_ : slipPort_;
  }

 private:
  // The application object comes first and belongs to the test's own thread.
  [[maybe_unused]] bool applicationMade_ = (ensureCoreApplication(), true);
  QThread thread_;
  std::unique_ptr<QObject> context_;  // lives on thread_, carries run()'s calls there
  std::unique_ptr<EosConsoleDouble> console_;
  quint16 udpPort_ = 0;
  quint16 packetLengthPort_ = 0;
  quint16 slipPort_ = 0;
};

}  // namespace tarnik::testing
