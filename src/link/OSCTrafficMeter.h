#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

namespace tarnik {

// What a console connection carried: the seven counters the screens show, the arrival times
// behind the received-message rate, and when the last round trip was measured. Times are
// nanoseconds on the monotonic clock, so a step of the wall clock moves no rate or age.
class OSCTrafficMeter {
 public:
  struct Counters {
    qint64 attempted = 0;
    qint64 queued = 0;
    qint64 failed = 0;
    qint64 sent = 0;
    qint64 received = 0;
    qint64 sentBytes = 0;
    qint64 receivedBytes = 0;
  };

  // The rate never exceeds this, and a flood costs no more arrival times than this.
  static constexpr qsizetype maximumArrivalTimes = 10'000;

  // Counts one received message; gives the messages of the last second, this one included.
  double noteArrival(qint64 nowNanoseconds);
  // The messages of the last second.
  double rate(qint64 nowNanoseconds);
  void noteRoundTripSample(qint64 nowNanoseconds);
  // Seconds since the last round trip was measured; nothing before the first.
  std::optional<double> roundTripSampleAge(qint64 nowNanoseconds) const;
  // Forgets the arrival times and the round-trip sample; the counters stay.
  void resetTiming();

  // The published counters. They change one event-loop turn after what moved them, and only
  // for the connection attempt that moved them.
  Counters counters;

 private:
  void dropArrivalsBefore(qint64 cutoff);

  std::deque<qint64> arrivals_;  // oldest first
  std::optional<qint64> roundTripSampleAt_;
};

}  // namespace tarnik
