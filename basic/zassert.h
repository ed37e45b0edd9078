// Consistency checks that stay on in every build type.
//
// The condition text carries the message, for example
//   Z_ASSERT(gState && "SetViewport: No state!\n");
// A failed check reports the condition, the source file and the line on
// standard error and ends the program. Nothing is thrown or returned.
#pragma once

namespace basic {
[[noreturn]] void AssertionFailed(const char* inCondition, const char* inFile, int inLine);
}

#define Z_ASSERT(cond) \
  ((cond) ? (void)0 : ::basic::AssertionFailed(#cond, __FILE__, __LINE__))
