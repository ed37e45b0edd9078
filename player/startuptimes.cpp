#include "startuptimes.h"

#include <time.h>

#include <cstdio>

namespace {

double ThreadCpuMs() {
  timespec theTime;
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &theTime) != 0) return 0.0;
  return double(theTime.tv_sec) * 1000.0 + double(theTime.tv_nsec) / 1e6;
}

}  // namespace

const char* const kStartupTimesHeading = "Start-up times in ms (since start-up began, of the step, main thread's processor time):\n";

StartupTimes::StartupTimes() : mStart(std::chrono::steady_clock::now()), mStartCpuMs(ThreadCpuMs()) {}

void StartupTimes::Mark(const char* inWhat) {
  const std::chrono::duration<double, std::milli> theSince = std::chrono::steady_clock::now() - mStart;
  mEntries.push_back(Entry{inWhat, theSince.count(), ThreadCpuMs() - mStartCpuMs});
}

std::string StartupTimes::Format() const {
  std::string theText = kStartupTimesHeading;
  double theLast = 0.0;
  for (const Entry& theEntry : mEntries) {
    char theLine[160];
    std::snprintf(theLine, sizeof theLine, "  %8.1f %8.1f %8.1f  %s\n", theEntry.ms, theEntry.ms - theLast,
                  theEntry.cpuMs, theEntry.what);
    theText += theLine;
    theLast = theEntry.ms;
  }
  return theText;
}

void FirstFrameWatch::FrameShown() {
  if (mShown) {
    std::function<void()> theShown = std::move(mShown);
    mShown = nullptr;
    theShown();
  }
  mClock.FrameShown();
}
