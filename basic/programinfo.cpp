#include "programinfo.h"

#include <cstdio>

#include "zorbit_version.h"

void PrintVersion(const char* inProgram) { std::printf("%s (zorbit) %s\n", inProgram, ZORBIT_VERSION); }

int UsageError(const char* inProgram, const std::string& inProblem) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", inProgram, inProblem.c_str(), inProgram);
  return 2;
}
