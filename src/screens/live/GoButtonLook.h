#pragma once

#include <optional>

namespace tarnik {

// How a Go button's green fill looks for the progress of the cue it runs: the strength of
// the green, and the pale band that grows from the leading edge while the cue runs.
struct GoFillLook {
  double fillOpacity = 0.95;
  // The share of the width the band covers, always within 0..1.
  double progress = 0.0;
  // 1 while the band shows, else 0.
  double bandOpacity = 0.0;

  friend bool operator==(const GoFillLook &, const GoFillLook &) = default;
};

// Full green while the console may be controlled, a faint one while it may not.
double goFillOpacity(bool canControl);

// The band shows while a progress is present and below 1. A progress that is not a finite
// number counts as none, and any other is held within 0..1, so the band's width is always
// a real length inside the button.
GoFillLook goFillLook(std::optional<double> progress, bool canControl);

// The band's width in a fill of the given width.
double goBandWidth(const GoFillLook &look, double width);

}  // namespace tarnik
