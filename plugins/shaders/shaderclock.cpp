#include "shaderclock.h"

namespace shaderclock {

Frame EventClock::Advance(int32_t inElapsedMs, uint32_t inDemoMs, bool inDemoClock) {
  const int64_t theNow = inDemoClock ? int64_t(inDemoMs) : int64_t(inElapsedMs);
  Frame theFrame;
  theFrame.time = float(double(theNow) / 1000.0);
  if (!mStarted) {
    mStarted = true;
    mFrame = 0;
    mRate = kFirstFrameRate;
    theFrame.timeDelta = 0.0f;
  } else {
    ++mFrame;
    const int64_t theDelta = theNow - mLastMs;
    theFrame.timeDelta = theDelta > 0 ? float(double(theDelta) / 1000.0) : 0.0f;
    if (theDelta > 0) mRate = float(1000.0 / double(theDelta));
  }
  mLastMs = theNow;
  theFrame.frame = mFrame;
  theFrame.frameRate = mRate;
  return theFrame;
}

Date DateAt(std::time_t inStart, uint32_t inDemoMs) {
  const std::time_t theWhen = inStart + std::time_t(inDemoMs / 1000);
  std::tm theLocal{};
  localtime_r(&theWhen, &theLocal);
  Date theDate;
  theDate.year = float(theLocal.tm_year + 1900);
  theDate.month = float(theLocal.tm_mon);
  theDate.day = float(theLocal.tm_mday);
  theDate.seconds = float(theLocal.tm_hour * 3600 + theLocal.tm_min * 60 + theLocal.tm_sec) + float(inDemoMs % 1000) / 1000.0f;
  return theDate;
}

}  // namespace shaderclock
