#include "ownxserver.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <X11/Xlib.h>

namespace {

bool CanOpen(const char* inDisplay) {
  Display* theDisplay = XOpenDisplay(inDisplay);
  if (!theDisplay) return false;
  XCloseDisplay(theDisplay);
  return true;
}

bool DisplayTaken(int inNumber) {
  struct stat theInfo;
  std::string theLock = "/tmp/.X" + std::to_string(inNumber) + "-lock";
  std::string theSocket = "/tmp/.X11-unix/X" + std::to_string(inNumber);
  return stat(theLock.c_str(), &theInfo) == 0 || stat(theSocket.c_str(), &theInfo) == 0;
}

}  // namespace

OwnXServer::OwnXServer(int inWidth, int inHeight) {
  const char* theCurrent = std::getenv("DISPLAY");
  if (theCurrent && *theCurrent && CanOpen(theCurrent)) {
    mReady = true;
    return;
  }
  for (int theNumber = 99; theNumber < 160 && !mReady; ++theNumber) {
    if (DisplayTaken(theNumber)) continue;
    std::string theName = ":" + std::to_string(theNumber);
    std::string theScreen = std::to_string(inWidth) + "x" + std::to_string(inHeight) + "x24";
    pid_t thePid = fork();
    if (thePid < 0) break;
    if (thePid == 0) {
      // The server's own chatter is of no use to a capture's user.
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      execlp("Xvfb", "Xvfb", theName.c_str(), "-screen", "0", theScreen.c_str(), "-nolisten", "tcp", "-noreset",
             (char*)nullptr);
      _exit(127);
    }
    // Wait up to five seconds for the server to answer.
    for (int theTry = 0; theTry < 100; ++theTry) {
      usleep(50 * 1000);
      int theStatus = 0;
      if (waitpid(thePid, &theStatus, WNOHANG) == thePid) {
        thePid = -1;
        break;
      }
      if (CanOpen(theName.c_str())) {
        mPid = thePid;
        mReady = true;
        setenv("DISPLAY", theName.c_str(), 1);
        break;
      }
    }
    if (!mReady && thePid > 0) {
      kill(thePid, SIGTERM);
      waitpid(thePid, nullptr, 0);
    }
  }
  if (!mReady) mError = "no X display and Xvfb could not be started (install it with scripts/install-deps)";
}

OwnXServer::~OwnXServer() {
  if (mPid > 0) {
    kill(mPid, SIGTERM);
    waitpid(mPid, nullptr, 0);
  }
}
