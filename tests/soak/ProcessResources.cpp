#include "ProcessResources.h"

#include <malloc.h>

#include <cstddef>
#include <filesystem>
#include <system_error>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVEL_SANITIZER_ALLOCATOR 1
// The sanitizers' allocator interface; g++ ships the runtime but not its header.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace orvel::testing {
namespace {

std::size_t EntriesIn(const char* folder) {
  std::size_t count = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    ++count;
  }
  return count;
}

std::size_t HeapBytesInUse() {
#ifdef ORVEL_SANITIZER_ALLOCATOR
  // The sanitizers replace malloc; only their own allocator knows what is in use.
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

}  // namespace

ProcessResources MeasureProcessResources() {
  ProcessResources resources;
  resources.heapBytes = HeapBytesInUse();
  // The listing's own descriptor is open while /proc/self/fd is read, before and after alike.
  resources.descriptors = EntriesIn("/proc/self/fd");
  resources.threads = EntriesIn("/proc/self/task");
  return resources;
}

std::string DescribeLeaks(const ProcessResources& before, const ProcessResources& after, std::size_t heapSlack) {
  std::string leaks;
  if (after.descriptors != before.descriptors) {
    leaks += "descriptors " + std::to_string(before.descriptors) + " -> " + std::to_string(after.descriptors) + "; ";
  }
  if (after.threads != before.threads) {
    leaks += "threads " + std::to_string(before.threads) + " -> " + std::to_string(after.threads) + "; ";
  }
  if (after.heapBytes > before.heapBytes + heapSlack) {
    leaks += "heap bytes " + std::to_string(before.heapBytes) + " -> " + std::to_string(after.heapBytes) + "; ";
  }
  return leaks;
}

}  // namespace orvel::testing
