#include "foundation/ReferenceDate.h"

#include <chrono>
#include <cmath>

namespace tarnik {

double referenceSecondsFromDateTime(const QDateTime &dateTime) {
  return static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0 -
         static_cast<double>(referenceDateUnixSeconds);
}

QDateTime dateTimeFromReferenceSeconds(double seconds) {
  const double unixMilliseconds =
      (seconds + static_cast<double>(referenceDateUnixSeconds)) * 1000.0;
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(unixMilliseconds)),
                                        Qt::UTC);
}

double referenceSecondsNow() {
  // Microsecond resolution: a date written now reads back as the same double.
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const double unixSeconds = std::chrono::duration<double>(sinceEpoch).count();
  return unixSeconds - static_cast<double>(referenceDateUnixSeconds);
}

}  // namespace tarnik
