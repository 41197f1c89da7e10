#pragma once

#include <optional>
#include <utility>

namespace tarnik {

// A page's change handlers compare against the value they saw last: the value present when
// the page is first drawn only sets the baseline and triggers nothing.
template <typename Value>
class LastSeenValue {
 public:
  // True when a value was seen before and this one differs from it.
  bool changed(Value value) {
    const bool differs = seen_ && *seen_ != value;
    seen_ = std::move(value);
    return differs;
  }

 private:
  std::optional<Value> seen_;
};

}  // namespace tarnik
