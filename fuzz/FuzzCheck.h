#pragma once
// What every fuzz target shares: its entry point, and a check that stops the run with the
// broken rule's text, so libFuzzer keeps the input and the replay fails.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);        \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
