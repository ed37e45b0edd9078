// Standard error sent to /dev/null for as long as the object lives: the
// loader prints trace lines there, which the checks keep quiet.
#pragma once

#include <fcntl.h>
#include <unistd.h>

class QuietStderr {
 public:
  QuietStderr() : mSaved(dup(2)) {
    int theNull = open("/dev/null", O_WRONLY);
    if (theNull >= 0) {
      dup2(theNull, 2);
      close(theNull);
    }
  }
  ~QuietStderr() {
    if (mSaved >= 0) {
      dup2(mSaved, 2);
      close(mSaved);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int mSaved;
};
