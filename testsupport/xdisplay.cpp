#include "xdisplay.h"

#include <unistd.h>

#include <cstdlib>

bool WaitForDisplay() {
  for (int theTry = 0; theTry < 50; ++theTry) {
    if (std::system("xdpyinfo >/dev/null 2>&1") == 0) return true;
    usleep(100000);
  }
  return false;
}
