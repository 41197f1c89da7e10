#pragma once

#include "operations/EosCommandBarrierMarker.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// The two barriers an isolated session passes before it types anything of its own: a marker
// typed and echoed back executed (so everything its user typed before has been processed),
// then the clear key, proven both by an empty line and by a ping answered no earlier than it
// left. The session sends, words its failures and judges what an empty line is; this keeps
// what has been proven so far.
class EosCommandLineBarrier {
 public:
  // A fresh marker; its command is what the session types next.
  const QString &beginMarker();
  // True, and the marker spent, when the normalised echo acknowledges the marker.
  bool takeMarkerEcho(const QString &normalizedEcho, qint32 status);
  // The clear key went out, and the ping that proves it left at `pingSentAt`.
  void beginClear(double pingSentAt);
  // The latest echo decides: an empty line followed by a typed one is not empty.
  void lineSeen(bool empty) { lineEmpty_ = empty; }
  // True when a reply that arrived at `answeredAt` answers the clear ping (see
  // EosIsolatedSession::answersPing for the tolerance).
  bool pingAnswered(double answeredAt, double tolerance = 0);
  bool isCleared() const { return pingAnswered_ && lineEmpty_; }
  void reset() { *this = {}; }

 private:
  std::optional<EosCommandBarrierMarker> marker_;
  std::optional<double> pingSentAt_;
  bool pingAnswered_ = false;
  bool lineEmpty_ = false;
};

}  // namespace tarnik
