#pragma once

#include <iterator>
#include <random>
#include <ranges>
#include <utility>

namespace tarnik {

// Fisher–Yates from the front: position i swaps with a position drawn uniformly from i to
// the last. std::uniform_int_distribution draws without modulo bias (QRandomGenerator's
// bounded() multiplies and shifts, which is slightly biased). The generator is passed in so
// that tests can seed one.
template <std::ranges::random_access_range List, std::uniform_random_bit_generator Generator>
void shuffleUniformly(List &list, Generator &generator) {
  using Index = std::ranges::range_difference_t<List>;
  const Index count = std::ranges::ssize(list);
  auto first = std::ranges::begin(list);
  for (Index i = 0; i + 1 < count; ++i) {
    std::uniform_int_distribution<Index> pick(i, count - 1);
    std::ranges::iter_swap(first + i, first + pick(generator));
  }
}

}  // namespace tarnik
