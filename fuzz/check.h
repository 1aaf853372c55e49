// A property check that stays on in every build type: the fuzzers exist to find where it fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(condition)                                                                    \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)
