#include "link/OSCPingTracker.h"

namespace tarnik {

void OSCPingTracker::registerPing(const QString &token, quint64 startNanoseconds) {
  remove(token);
  while (registrationOrder.size() >= capacity) remove(registrationOrder.first());
  startsByToken.insert(token, startNanoseconds);
  registrationOrder.append(token);
}

void OSCPingTracker::remove(const QString &token) {
  startsByToken.remove(token);
  registrationOrder.removeAll(token);
}

std::optional<double> OSCPingTracker::match(const QString &token, quint64 nowNanoseconds) {
  const auto found = startsByToken.constFind(token);
  if (found == startsByToken.constEnd()) return std::nullopt;
  const quint64 start = *found;
  remove(token);
  if (nowNanoseconds < start) return std::nullopt;
  return double(nowNanoseconds - start) / 1'000'000.0;
}

void OSCPingTracker::reset() {
  startsByToken.clear();
  registrationOrder.clear();
}

}  // namespace tarnik
