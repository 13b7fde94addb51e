#pragma once

#include <string>
#include <vector>

namespace orvel::bench {

// The median and the spread of one figure over several runs.
struct Summary {
  double median = 0;
  double lowest = 0;
  double highest = 0;
  std::size_t runs = 0;
};

Summary Summarize(std::vector<double> values);

// One line: the figure's name, its median with the spread, and the target beside it.
void PrintFigure(const std::string& name, const std::vector<double>& values, const std::string& unit,
                 const std::string& target);

}  // namespace orvel::bench
