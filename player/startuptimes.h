// How long start-up took, step by step: `player --log` writes the table once
// the first frame is on the screen, and the start-up benchmark reads it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "frameloop.h"

// Marks taken on the main thread as start-up goes; times are milliseconds
// since the object was made (the session's start, right after main began).
class StartupTimes {
 public:
  StartupTimes();
  // Records that inWhat has just finished. inWhat must outlive the object
  // (a string literal).
  void Mark(const char* inWhat);

  struct Entry {
    const char* what;
    double ms;     // wall clock since the start
    double cpuMs;  // processor time of the calling (main) thread since the start
  };
  const std::vector<Entry>& Entries() const { return mEntries; }

  // The table: the heading, then one line per mark with the time since the
  // start, the time since the mark before, and the main thread's processor
  // time since the start (on a busy machine the wall clock also counts
  // waiting for a core).
  std::string Format() const;

 private:
  std::chrono::steady_clock::time_point mStart;
  double mStartCpuMs;
  std::vector<Entry> mEntries;
};

// The heading of the table that Format writes; the benchmark finds it by this.
extern const char* const kStartupTimesHeading;

// The caller's clock, passed through; calls inShown once, when the first
// frame has been shown.
class FirstFrameWatch : public FrameClock {
 public:
  FirstFrameWatch(FrameClock& ioClock, std::function<void()> inShown) : mClock(ioClock), mShown(std::move(inShown)) {}
  uint32_t NowMs() override { return mClock.NowMs(); }
  void FrameShown() override;

 private:
  FrameClock& mClock;
  std::function<void()> mShown;
};
