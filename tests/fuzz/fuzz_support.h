#pragma once
// For the libFuzzer targets: a broken invariant must abort, so that
// libFuzzer keeps the input that broke it as a crash file.
#include <cstdio>
#include <cstdlib>

namespace velmora::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace velmora::fuzz

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) ::velmora::fuzz::Fail(#cond, __FILE__, __LINE__); \
  } while (0)
