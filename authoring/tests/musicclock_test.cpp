#include "musicclock.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <random>

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kBuffer = 1024;  // frames per callback, also the device latency

// A simulated device: it asks for a buffer whenever the one before has
// nearly played out (callbacks come a little late or early), and a frame
// loop reads the clock at 60 Hz. The device starts playing the first buffer
// as it gets it, so the heard position is the time since then.
TEST(MusicPosition, StaysWithinAFrameOfTheHeardMusicOverFiveMinutes) {
  MusicPosition thePosition(kRate, kBuffer);
  thePosition.Restart(0, 0);
  std::mt19937 theRandom(17);
  std::uniform_int_distribution<int> theJitter(-4, 4);
  // Time in µs so the device's rate is exact.
  uint64_t theCallbacks = 0;
  uint64_t theNextCallbackUs = 0;
  uint64_t theHandedFrames = 0;
  int64_t theWorstUs = 0;
  for (uint64_t theUs = 0; theUs < 300ull * 1000 * 1000; theUs += 1000) {
    while (theNextCallbackUs <= theUs) {
      thePosition.Handed(kBuffer, uint32_t(theUs / 1000));
      theHandedFrames += kBuffer;
      ++theCallbacks;
      // Late or early by a few ms, never drifting: the device keeps its rate.
      theNextCallbackUs = theCallbacks * kBuffer * 1000000 / kRate + theJitter(theRandom) * 1000;
    }
    if (theUs % 16667 >= 1000) continue;  // a frame about every 16.7 ms
    const int64_t theHeardUs = int64_t(theUs);
    const int64_t theError = int64_t(thePosition.PositionMs(uint32_t(theUs / 1000))) * 1000 - theHeardUs;
    theWorstUs = std::max(theWorstUs, std::abs(theError));
  }
  EXPECT_LE(theWorstUs, 16667) << "demo time strayed " << theWorstUs << " µs from the music";
}

TEST(MusicPosition, PauseHoldsAndSeekRestartsFromTheNewPlace) {
  MusicPosition thePosition(kRate, kBuffer);
  thePosition.Restart(10000, 0);
  EXPECT_EQ(thePosition.PositionMs(0), 10000u) << "before any callback the position is the start";
  for (uint32_t i = 1; i <= 100; ++i) thePosition.Handed(441, i * 10);
  EXPECT_EQ(thePosition.PositionMs(1000), 10000u + (44100u - kBuffer) * 1000 / kRate)
      << "a second of music minus the latency, the last callback's 10 ms not yet due";
  thePosition.SetRunning(false);
  const uint32_t thePaused = thePosition.PositionMs(1000);
  for (uint32_t i = 101; i <= 200; ++i) thePosition.Handed(441, i * 10);
  EXPECT_EQ(thePosition.PositionMs(5000), thePaused) << "silence handed while paused was counted";
  thePosition.SetRunning(true);
  thePosition.Restart(2000, 2000);
  EXPECT_EQ(thePosition.PositionMs(2000), 2000u) << "a seek back must put the clock back";
  thePosition.Handed(441, 2010);
  EXPECT_GE(thePosition.PositionMs(2010), 2000u);
  EXPECT_LE(thePosition.PositionMs(2010), 2010u) << "the clock ran ahead of the music after the seek";
}

TEST(MusicPosition, AStalledDeviceHoldsTheClockRatherThanRunningAhead) {
  MusicPosition thePosition(kRate, 0);
  thePosition.Restart(0, 0);
  thePosition.Handed(441, 0);  // 10 ms handed at wall 0
  EXPECT_EQ(thePosition.PositionMs(5), 15u) << "smoothed by the wall clock between callbacks";
  EXPECT_EQ(thePosition.PositionMs(500), 20u) << "ran past what the device was given";
  thePosition.Handed(441, 1000);
  EXPECT_EQ(thePosition.PositionMs(1000), 20u) << "the clock stepped back";
}

// The real mixer on SDL's dummy audio driver: the post-mix hook counts
// what the device takes, so the clock moves at about the device's rate.
TEST(MusicClock, FollowsTheDummyDevice) {
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO | SDL_INIT_TIMER), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, kBuffer), 0) << Mix_GetError();
  ASSERT_TRUE(MusicClock::Available());
  {
    MusicClock theClock(nullptr, 3000, kBuffer);
    const uint32_t theWallStart = SDL_GetTicks();
    const uint32_t theStart = theClock.NowMs();
    EXPECT_GE(theStart, 3000u);
    // The device thread may wait for a core on a busy machine: wait for the
    // clock to move, with a deadline, rather than for a time.
    uint32_t theMoved = 0;
    while (theMoved <= 100 && SDL_GetTicks() - theWallStart < 30000) {
      SDL_Delay(20);
      theMoved = theClock.NowMs() - theStart;
    }
    const uint32_t theWall = SDL_GetTicks() - theWallStart;
    EXPECT_GT(theMoved, 100u) << "the post-mix hook did not count the device's buffers";
    // The device takes samples no faster than it plays them: the clock moves
    // at most the time that passed, plus the buffers it was handed ahead.
    const uint32_t theAhead = 2 * 1000 * kBuffer / kRate;
    EXPECT_LE(theMoved, theWall + theAhead) << "the clock ran faster than the device";
    theClock.Pause();
    const uint32_t thePaused = theClock.NowMs();
    SDL_Delay(100);
    EXPECT_EQ(theClock.NowMs(), thePaused) << "paused music clock moved";
    theClock.SeekTo(500);
    EXPECT_EQ(theClock.NowMs(), 500u);
    EXPECT_FALSE(theClock.Muted()) << "no music: nothing to mute";
  }
  Mix_CloseAudio();
  SDL_Quit();
}

}  // namespace
