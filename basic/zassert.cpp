#include "zassert.h"

#include <cstdio>
#include <cstdlib>

namespace basic {

void AssertionFailed(const char* inCondition, const char* inFile, int inLine) {
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", inCondition, inFile, inLine);
  std::fflush(stderr);
  std::abort();
}

}  // namespace basic
