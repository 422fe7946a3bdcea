// Prints as usual and keeps the best CPU time per iteration of every benchmark (repetitions
// grouped under the plain name), so that a benchmark can report ratios against a reference
// measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class BestTimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/repeats:"));
      // Seconds per iteration, whatever unit the benchmark prints in.
      double t = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      auto [it, inserted] = best_.emplace(name, t);
      if (!inserted) it->second = std::min(it->second, t);
    }
  }

  // Seconds per iteration; 0 when the benchmark did not run.
  double Seconds(const std::string& name) const {
    auto it = best_.find(name);
    return it == best_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> best_;
};
