#include "framename.h"

#include <cstdio>
#include <cstring>
#include <string>

Buffer MakeFrameName(const char* inPattern, int32_t inFrame) {
  Buffer theName(inPattern);
  const char* theRun = strchr(inPattern, '?');
  if (!theRun) return theName;
  uint32_t theStart = static_cast<uint32_t>(theRun - inPattern);
  uint32_t theCount = static_cast<uint32_t>(strspn(theRun, "?"));

  // As "%0<count>d": the sign, then zeros up to theCount characters, then the digits.
  char theNumber[16];
  uint32_t theLength = static_cast<uint32_t>(snprintf(theNumber, sizeof theNumber, "%d", inFrame));
  bool theIsNegative = inFrame < 0;
  std::string theDigits(theIsNegative ? "-" : "");
  if (theCount > theLength) theDigits.append(theCount - theLength, '0');
  theDigits.append(theNumber + (theIsNegative ? 1 : 0));
  for (uint32_t i = 0; i < theCount; ++i) {
    theName.Replace(theStart + i, static_cast<unsigned char>(theDigits[i]));
  }
  return theName;
}
