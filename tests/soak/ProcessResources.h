#pragma once

#include <cstddef>
#include <string>

namespace orvel::testing {

// What the process holds at one moment: the resources a long run must give back.
struct ProcessResources {
  std::size_t descriptors = 0;
  std::size_t threads = 0;
  // Bytes allocated on the heap and not yet freed, as the allocator in use counts them.
  std::size_t heapBytes = 0;
};

ProcessResources MeasureProcessResources();

// Names what grew from before to after, allowing the heap heapSlack bytes of growth for
// caches that settle; empty when nothing leaked.
std::string DescribeLeaks(const ProcessResources& before, const ProcessResources& after, std::size_t heapSlack);

}  // namespace orvel::testing
