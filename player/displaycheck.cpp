#include "displaycheck.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#include "writelog.h"

namespace {

bool IsSet(const char* inVariable) {
  const char* theValue = std::getenv(inVariable);
  return theValue != nullptr && theValue[0] != '\0';
}

}  // namespace

bool CheckDisplay() {
  // An explicit driver (dummy in tests) is the user's choice.
  if (IsSet("SDL_VIDEODRIVER")) return true;
  Display* theDisplay = XOpenDisplay(nullptr);
  if (theDisplay != nullptr) {
    XCloseDisplay(theDisplay);
    return true;
  }
  const char* theName = std::getenv("DISPLAY");
  char theLine[512];
  if (theName == nullptr || theName[0] == '\0') {
    std::snprintf(theLine, sizeof theLine,
                  "no display: DISPLAY is not set; zorbit-capture renders a demo without one\n");
  } else {
    std::snprintf(theLine, sizeof theLine,
                  "no display: cannot open the X display \"%s\"; zorbit-capture renders a demo without one\n", theName);
  }
  std::fputs(theLine, stderr);
  if (GetLogFile() != nullptr) WriteLog(theLine);
  return false;
}
