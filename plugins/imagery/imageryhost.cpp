#include "imageryhost.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

ImageryHost gHost;

void ImageryWarn(const char* inFormat, ...) {
  if (!gHost.warn) return;
  va_list theArgs;
  va_start(theArgs, inFormat);
  va_list theCopy;
  va_copy(theCopy, theArgs);
  int theLength = vsnprintf(nullptr, 0, inFormat, theCopy);
  va_end(theCopy);
  if (theLength < 0) {
    va_end(theArgs);
    return;
  }
  std::vector<char> theText(static_cast<size_t>(theLength) + 2);
  vsnprintf(theText.data(), theText.size(), inFormat, theArgs);
  va_end(theArgs);
  theText[theLength] = '\n';
  theText[theLength + 1] = 0;
  gHost.warn(theText.data());
}
