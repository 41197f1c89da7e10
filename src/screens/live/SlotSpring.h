#pragma once

namespace tarnik {

// The spring a changing title slides on: critically damped (it never overshoots) with a
// response of 0.28 s. Position 0 is where the motion starts, 1 where it comes to rest.
inline constexpr double slotSpringResponseSeconds = 0.28;
// By then the spring is within a thousandth of rest, so the slide ends there.
inline constexpr double slotSpringSettleSeconds = 0.45;

// x(t) = 1 − (1 + ωt)·e^(−ωt), ω = 2π / response; 0 before the start.
double slotSpringPosition(double seconds);

}  // namespace tarnik
