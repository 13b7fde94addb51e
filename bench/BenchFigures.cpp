#include "BenchFigures.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace orvel::bench {

Summary Summarize(std::vector<double> values) {
  if (values.empty()) throw std::invalid_argument("a figure needs at least one run");
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  const double median = values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  return {median, values.front(), values.back(), values.size()};
}

void PrintFigure(const std::string& name, const std::vector<double>& values, const std::string& unit,
                 const std::string& target) {
  const Summary summary = Summarize(values);
  std::printf("  %-52s median %9.3f %-3s (%.3f to %.3f over %zu runs)   target: %s\n", name.c_str(), summary.median,
              unit.c_str(), summary.lowest, summary.highest, summary.runs, target.c_str());
  std::fflush(stdout);
}

}  // namespace orvel::bench
