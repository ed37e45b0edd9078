#include "basicexception.h"

#include <cstdarg>
#include <cstdio>

BasicException::BasicException(const char* inFormat, ...) {
  va_list theArgs;
  va_start(theArgs, inFormat);
  std::vsnprintf(mMessage, sizeof mMessage, inFormat ? inFormat : "", theArgs);
  va_end(theArgs);
}
