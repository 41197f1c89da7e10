#include "RatioReporting.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace tarnik {

RatioReporter::RatioReporter()
    : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

void RatioReporter::ReportRuns(const std::vector<Run> &runs) {
  for (const Run &run : runs) {
    if (run.error_occurred) continue;
    const std::string &name = run.run_name.function_name;
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
      medians_[name] = run.GetAdjustedRealTime();
    } else if (run.run_type == Run::RT_Iteration) {
      singles_[name] = run.GetAdjustedRealTime();
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::time(const std::string &name) const {
  if (const auto found = medians_.find(name); found != medians_.end()) return found->second;
  if (const auto found = singles_.find(name); found != singles_.end()) return found->second;
  return 0;
}

void RatioReporter::printRatio(const char *name, const std::string &ours,
                               const std::string &theirs) const {
  if (time(ours) > 0 && time(theirs) > 0)
    std::printf("RATIO %s %.3f\n", name, time(ours) / time(theirs));
}

namespace {

using Clock = std::chrono::steady_clock;

double secondsFor(const std::function<void()> &work, int times) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < times; ++i) work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// How many calls make about 200 microseconds.
int batchFor(const std::function<void()> &work) {
  work();  // warm caches and allocators first
  int times = 1;
  while (times < (1 << 20) && secondsFor(work, times) < 200e-6) times *= 2;
  return times;
}

}  // namespace

double pairedTimeRatio(const std::function<void()> &ours, const std::function<void()> &theirs,
                       int rounds) {
  // One count for both sides. The first call after the other side ran pays for cold caches
  // and a sleeping peer; with counts sized apart on a noisy machine (one call against four)
  // one side would pay that cost four times as often per call as the other.
  const int oursBatch = batchFor(ours);
  const int batch = std::max(oursBatch, batchFor(theirs));
  std::vector<double> ratios;
  ratios.reserve(size_t(rounds));
  for (int round = 0; round < rounds; ++round) {
    double oursTime = 0, theirsTime = 0;
    if (round % 2 == 0) {
      oursTime = secondsFor(ours, batch);
      theirsTime = secondsFor(theirs, batch);
    } else {
      theirsTime = secondsFor(theirs, batch);
      oursTime = secondsFor(ours, batch);
    }
    ratios.push_back(oursTime / theirsTime);
  }
  std::nth_element(ratios.begin(), ratios.begin() + rounds / 2, ratios.end());
  return ratios[size_t(rounds / 2)];
}

void printPairedRatio(const char *name, const std::function<void()> &ours,
                      const std::function<void()> &theirs, int rounds) {
  std::printf("RATIO %s %.3f\n", name, pairedTimeRatio(ours, theirs, rounds));
}

void initializeRepeatedBenchmarks(int argc, char **argv, int repetitions,
                                  BenchInterleaving interleaving) {
  std::vector<std::string> defaults{"--benchmark_repetitions=" + std::to_string(repetitions),
                                    "--benchmark_report_aggregates_only=true"};
  if (interleaving == BenchInterleaving::random)
    defaults.push_back("--benchmark_enable_random_interleaving=true");
  std::vector<char *> arguments{argv[0]};
  for (std::string &flag : defaults) arguments.push_back(flag.data());
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  int count = int(arguments.size());
  benchmark::Initialize(&count, arguments.data());
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace tarnik
