#include "imageryhost.h"

#include <cstdarg>

zorbit::Host gHost;

void ImageryWarn(const char* inFormat, ...) {
  va_list theArgs;
  va_start(theArgs, inFormat);
  zorbit::WarnV(gHost.warn, "\n", inFormat, theArgs);
  va_end(theArgs);
}
