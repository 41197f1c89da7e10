// The patch list's own cost at the largest patch a console holds. Filtering 100,000
// channels by a search and ordering what is left by address (number pieces read once per
// channel, the comparison's own rules, a stable sort) is compared with the least any
// ordering must do: one std::stable_sort of the same channels by number over a key taken
// beforehand. The search index is built once per change of the channels, outside both;
// its build time is printed as a figure of its own.

#include "RatioReporting.h"
#include "screens/patch/PatchVisibleChannels.h"

#include <QElapsedTimer>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace {

using namespace tarnik;

constexpr int channelCount = 100'000;

const QLocale &listLocale() {
  static const QLocale locale(QStringLiteral("en_US"));
  return locale;
}

// In channel order as the model holds them: addresses spread over 64 universes in no
// order, a few channels unpatched, labels and types as a rig names them.
const QList<Channel> &channels() {
  static const QList<Channel> list = [] {
    std::mt19937 random(46);
    const QString types[] = {QStringLiteral("Generic Dimmer"), QStringLiteral("Acme Spot 575"),
                             QStringLiteral("Wash LED 19"), QStringLiteral("Strip RGB")};
    QList<Channel> made;
    made.reserve(channelCount);
    for (int number = 1; number <= channelCount; ++number) {
      Channel channel{.number = number,
                      .level = int(random() % 101),
                      .label = QStringLiteral("Pos %1 Unit %2").arg(random() % 40).arg(number % 97),
                      .type = types[random() % std::size(types)]};
      if (random() % 50 != 0) {
        const auto universe = 1 + random() % 64;
        const auto address = 1 + random() % 512;
        channel.address = QStringLiteral("%1/%2").arg(universe).arg(address);
        channel.addressEnd =
            QStringLiteral("%1/%2").arg(universe).arg(std::min<quint32>(address + 15, 512));
      }
      made.append(std::move(channel));
    }
    return made;
  }();
  return list;
}

const PatchSearchIndex &searchIndex() {
  static const PatchSearchIndex index(channels(), listLocale());
  return index;
}

// Every patched channel holds a "/" in its address, so the filter reads every channel and
// keeps nearly all of them for the sort.
void filterAndOrderByAddress(benchmark::State &state) {
  const std::map<int, FixtureControlState> noStates;
  for (auto _ : state) {
    QList<qsizetype> shown =
        visiblePatchChannels(channels(), searchIndex(), QStringLiteral("/"), false, noStates,
                             PatchSortOption::address, listLocale());
    benchmark::DoNotOptimize(shown.data());
  }
}

// The floor: the channels in a shuffled order, sorted stably by number over keys taken
// before the sort.
void stableSortByNumber(benchmark::State &state) {
  std::vector<qsizetype> order(channels().size());
  std::iota(order.begin(), order.end(), 0);
  std::ranges::shuffle(order, std::mt19937(7));
  for (auto _ : state) {
    std::vector<std::pair<qint64, qsizetype>> keyed;
    keyed.reserve(order.size());
    for (const qsizetype position : order)
      keyed.emplace_back(channels()[position].number, position);
    std::ranges::stable_sort(keyed, {}, &std::pair<qint64, qsizetype>::first);
    benchmark::DoNotOptimize(keyed.data());
  }
}

BENCHMARK(filterAndOrderByAddress)->Unit(benchmark::kMillisecond);
BENCHMARK(stableSortByNumber)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  tarnik::initializeRepeatedBenchmarks(argc, argv, 5, tarnik::BenchInterleaving::random);
  channels();
  QElapsedTimer indexBuild;
  indexBuild.start();
  searchIndex();
  const double indexMilliseconds = double(indexBuild.nsecsElapsed()) / 1e6;

  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("FIGURE patch_search_index_100k_ms %.1f\n", indexMilliseconds);
  reporter.printRatio("patch_list_order", "filterAndOrderByAddress", "stableSortByNumber");
  benchmark::Shutdown();
  return 0;
}
