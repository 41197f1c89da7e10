#pragma once

#include <functional>

namespace tarnik {

// Seconds on the monotonic clock since an arbitrary start: what durations, ping proofs,
// freshness windows and deadlines measure against. Wall-clock dates can step (an NTP
// correction after resume), so they are only for what is shown or stored.
double systemUptime();

// Whatever reads the uptime takes it as a function, so tests can run on virtual time.
using UptimeSource = std::function<double()>;

}  // namespace tarnik
