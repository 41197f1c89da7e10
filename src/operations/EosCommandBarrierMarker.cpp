#include "operations/EosCommandBarrierMarker.h"

#include "operations/EosCommandLine.h"
#include "operations/UniformShuffle.h"

#include <QList>
#include <QRandomGenerator>
#include <QStringView>

namespace tarnik {

EosCommandBarrierMarker EosCommandBarrierMarker::make() {
  QList<QStringView> pieces;
  pieces.reserve(32);
  for (int i = 0; i < 16; ++i) pieces.append(u" + 1");
  for (int i = 0; i < 8; ++i) pieces.append(u" + 1 Thru 1");
  for (int i = 0; i < 8; ++i) pieces.append(u" - 1 + 1");
  shuffleUniformly(pieces, *QRandomGenerator::system());

  EosCommandBarrierMarker marker;
  marker.command = QStringLiteral("Chan 1");
  for (const QStringView piece : pieces) marker.command += piece;
  marker.command += u" Enter";

  QStringView executed = marker.command;
  executed.chop(QStringView(u" Enter").size());
  marker.normalizedAcknowledgementSuffix =
      EosCommandLine::normalize(executed) + QStringLiteral(" #");
  return marker;
}

}  // namespace tarnik
