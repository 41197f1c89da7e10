#include "operations/EosCommandLineBarrier.h"

#include "operations/EosCommandLine.h"
#include "operations/EosIsolatedSession.h"

namespace tarnik {

const QString &EosCommandLineBarrier::beginMarker() {
  reset();
  marker_ = EosCommandBarrierMarker::make();
  return marker_->command;
}

bool EosCommandLineBarrier::takeMarkerEcho(const QString &normalizedEcho, qint32 status) {
  if (!marker_ || !EosCommandLine::matchesEcho(normalizedEcho, status,
                                               marker_->normalizedAcknowledgementSuffix))
    return false;
  marker_.reset();
  return true;
}

void EosCommandLineBarrier::beginClear(double pingSentAt) {
  reset();
  pingSentAt_ = pingSentAt;
}

bool EosCommandLineBarrier::pingAnswered(double answeredAt, double tolerance) {
  if (!EosIsolatedSession::answersPing(answeredAt, pingSentAt_, tolerance)) return false;
  pingAnswered_ = true;
  return true;
}

}  // namespace tarnik
