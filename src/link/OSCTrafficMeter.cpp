#include "link/OSCTrafficMeter.h"

#include <algorithm>

namespace tarnik {

namespace {
constexpr qint64 oneSecond = 1'000'000'000;
}  // namespace

double OSCTrafficMeter::noteArrival(qint64 nowNanoseconds) {
  arrivals_.push_back(nowNanoseconds);
  dropArrivalsBefore(nowNanoseconds - oneSecond);
  while (qsizetype(arrivals_.size()) > maximumArrivalTimes) arrivals_.pop_front();
  return double(arrivals_.size());
}

double OSCTrafficMeter::rate(qint64 nowNanoseconds) {
  dropArrivalsBefore(nowNanoseconds - oneSecond);
  return double(arrivals_.size());
}

void OSCTrafficMeter::noteRoundTripSample(qint64 nowNanoseconds) {
  roundTripSampleAt_ = nowNanoseconds;
}

std::optional<double> OSCTrafficMeter::roundTripSampleAge(qint64 nowNanoseconds) const {
  if (!roundTripSampleAt_) return std::nullopt;
  return std::max(0.0, double(nowNanoseconds - *roundTripSampleAt_) / double(oneSecond));
}

void OSCTrafficMeter::resetTiming() {
  arrivals_.clear();
  roundTripSampleAt_.reset();
}

void OSCTrafficMeter::dropArrivalsBefore(qint64 cutoff) {
  while (!arrivals_.empty() && arrivals_.front() < cutoff) arrivals_.pop_front();
}

}  // namespace tarnik
