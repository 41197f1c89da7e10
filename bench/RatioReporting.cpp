#include "RatioReporting.h"

#include <unistd.h>

#include <cstdio>

namespace tarnik {

RatioReporter::RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

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

void RatioReporter::printRatio(const char *name, const std::string &ours, const std::string &theirs) const {
  if (time(ours) > 0 && time(theirs) > 0) std::printf("RATIO %s %.3f\n", name, time(ours) / time(theirs));
}

void initializeRepeatedBenchmarks(int argc, char **argv, int repetitions, BenchInterleaving interleaving) {
  std::vector<std::string> defaults{"--benchmark_repetitions=" + std::to_string(repetitions),
                                    "--benchmark_report_aggregates_only=true"};
  if (interleaving == BenchInterleaving::random) defaults.push_back("--benchmark_enable_random_interleaving=true");
  std::vector<char *> arguments{argv[0]};
  for (std::string &flag : defaults) arguments.push_back(flag.data());
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  int count = int(arguments.size());
  benchmark::Initialize(&count, arguments.data());
}

}  // namespace tarnik
