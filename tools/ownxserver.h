// Gives a tool an X display of its own when it has none: starts Xvfb on a
// free display number, points DISPLAY at it and stops it again on destruction.
#pragma once

#include <sys/types.h>

#include <string>

class OwnXServer {
 public:
  // Does nothing when DISPLAY already names a reachable server.
  OwnXServer(int inWidth, int inHeight);
  ~OwnXServer();
  OwnXServer(const OwnXServer&) = delete;
  OwnXServer& operator=(const OwnXServer&) = delete;

  // False when there was no display and Xvfb could not be started.
  bool Ready() const { return mReady; }
  bool Started() const { return mPid > 0; }
  const std::string& Error() const { return mError; }

 private:
  pid_t mPid = -1;
  bool mReady = false;
  std::string mError;
};
