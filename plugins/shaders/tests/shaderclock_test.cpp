// The time inputs: the same time gives the same values whatever the frame
// rate; the first frame's delta and rate are defined.
#include <gtest/gtest.h>

#include "shaderclock.h"

namespace {

TEST(ShaderClock, FramesCountAndDeltasFollowTheElapsedTime) {
  shaderclock::EventClock theClock;
  const shaderclock::Frame theFirst = theClock.Advance(0, 5000, false);
  EXPECT_EQ(theFirst.frame, 0);
  EXPECT_EQ(theFirst.time, 0.0f);
  EXPECT_EQ(theFirst.timeDelta, 0.0f) << "the first frame does not move what integrates over time";
  EXPECT_EQ(theFirst.frameRate, shaderclock::kFirstFrameRate);
  const shaderclock::Frame theSecond = theClock.Advance(40, 5040, false);
  EXPECT_EQ(theSecond.frame, 1);
  EXPECT_FLOAT_EQ(theSecond.timeDelta, 0.04f);
  EXPECT_FLOAT_EQ(theSecond.frameRate, 25.0f);
  const shaderclock::Frame theSame = theClock.Advance(40, 5040, false);
  EXPECT_EQ(theSame.timeDelta, 0.0f);
  EXPECT_FLOAT_EQ(theSame.frameRate, 25.0f) << "a frame at the same time keeps the rate";
  theClock.Restart();
  EXPECT_EQ(theClock.Advance(1000, 6000, false).frame, 0) << "a restart counts from 0 again";
}

TEST(ShaderClock, TheSameTimeGivesTheSameTimeAtEveryRate) {
  shaderclock::EventClock the25, the60;
  shaderclock::Frame theLast25{}, theLast60{};
  for (int k = 0; k <= 25; ++k) theLast25 = the25.Advance(k * 40, 1000 + k * 40, true);
  for (int k = 0; k <= 60; ++k) theLast60 = the60.Advance(k * 1000 / 60, 1000 + k * 1000 / 60, true);
  EXPECT_EQ(theLast25.time, 2.0f) << "demo time 2000 ms is 2 s of the demo clock";
  EXPECT_EQ(theLast60.time, theLast25.time);
  EXPECT_EQ(theLast25.frame, 25);
  EXPECT_EQ(theLast60.frame, 60);
}

TEST(ShaderClock, TheDateAdvancesWithDemoTime) {
  std::tm theStart{};
  theStart.tm_year = 2026 - 1900;
  theStart.tm_mon = 11;
  theStart.tm_mday = 31;
  theStart.tm_hour = 23;
  theStart.tm_min = 59;
  theStart.tm_sec = 58;
  theStart.tm_isdst = -1;
  const std::time_t theWhen = std::mktime(&theStart);
  const shaderclock::Date theBefore = shaderclock::DateAt(theWhen, 1500);
  EXPECT_EQ(theBefore.year, 2026.0f);
  EXPECT_EQ(theBefore.month, 11.0f) << "December is 11, as Shadertoy counts";
  EXPECT_FLOAT_EQ(theBefore.seconds, 86399.5f);
  const shaderclock::Date theAfter = shaderclock::DateAt(theWhen, 2500);
  EXPECT_EQ(theAfter.year, 2027.0f);
  EXPECT_EQ(theAfter.month, 0.0f);
  EXPECT_EQ(theAfter.day, 1.0f);
  EXPECT_FLOAT_EQ(theAfter.seconds, 0.5f);
}

}  // namespace
