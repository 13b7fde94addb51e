#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise found by a fuzz target: say which and stop, so libFuzzer keeps the input.
#define ORVEL_FUZZ_CHECK(condition)                                                      \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
