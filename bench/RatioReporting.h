#pragma once

// What every benchmark program here shares: repeated runs whose medians keep the figures
// steady on a busy machine, and the "RATIO <name> <value>" lines printed after the raw
// figures, each Tarnik's time divided by the reference's from the same run.

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tarnik {

// Prints the usual table and keeps each benchmark's median real time per iteration (or
// its only time, when it ran once); runs that failed keep nothing.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colour only on a terminal, so that piped output stays plain.
  RatioReporter();

  void ReportRuns(const std::vector<Run> &runs) override;

  // The kept time of a benchmark by its name; 0 when it has none.
  double time(const std::string &name) const;

  // "RATIO <name> <ours / theirs>", when both were measured.
  void printRatio(const char *name, const std::string &ours, const std::string &theirs) const;

 private:
  std::map<std::string, double> medians_;
  std::map<std::string, double> singles_;
};

// For work of a few microseconds on a shared machine, where a slow spell can outlast a whole
// Google Benchmark repetition: times the two contenders in alternation over many short
// rounds (each side the same number of calls, at least about 200 microseconds, the order
// swapped every round) and gives the median of the per-round ratios, ours over theirs.
double pairedTimeRatio(const std::function<void()> &ours, const std::function<void()> &theirs,
                       int rounds = 301);
void printPairedRatio(const char *name, const std::function<void()> &ours,
                      const std::function<void()> &theirs, int rounds = 301);

// The middle value of timings taken by hand, or the mean of the two middle ones.
double median(std::vector<double> values);

enum class BenchInterleaving { off, random };

// Hands the command line to Google Benchmark behind the given repetition count, with
// aggregates only and, when asked, random interleaving; arguments given on the command
// line come later and win.
void initializeRepeatedBenchmarks(int argc, char **argv, int repetitions,
                                  BenchInterleaving interleaving);

}  // namespace tarnik
