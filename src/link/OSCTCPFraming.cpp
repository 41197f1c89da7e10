#include "link/OSCTCPFraming.h"

namespace tarnik {

std::optional<OSCTCPFraming> oscTCPFramingFromRawValue(QStringView raw) {
  for (OSCTCPFraming framing : allCases(OSCTCPFraming{})) {
    if (raw == rawValue(framing)) return framing;
  }
  return std::nullopt;
}

}  // namespace tarnik
