#include "musicclock.h"

#include <algorithm>
#include <memory>

#include "startup.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

#include "zassert.h"

MusicPosition::MusicPosition(uint32_t inRate, uint32_t inLatencyFrames)
    : mRate(inRate == 0 ? 1 : inRate), mLatencyFrames(inLatencyFrames) {}

void MusicPosition::Handed(uint32_t inFrames, uint32_t inWallMs) {
  if (!mRunning) return;
  mFrames += inFrames;
  mLastFrames = inFrames;
  mLastWallMs = inWallMs;
  mCounting = true;
}

uint32_t MusicPosition::PositionMs(uint32_t inWallMs) {
  if (!mCounting) return uint32_t(mBaseMs);
  // What is heard now: all handed over but what waits in the device.
  const uint64_t theHeard = mFrames > mLatencyFrames ? mFrames - mLatencyFrames : 0;
  uint64_t theMs = mBaseMs + theHeard * 1000 / mRate;
  if (mRunning) {
    const uint64_t theSince = uint32_t(inWallMs - mLastWallMs);
    theMs += std::min<uint64_t>(theSince, uint64_t(mLastFrames) * 1000 / mRate);
  }
  // The estimate between callbacks may run a little ahead of the next count;
  // time shown to effects should not step back for that.
  mLastResult = std::max(mLastResult, uint32_t(theMs));
  return mLastResult;
}

void MusicPosition::Restart(uint32_t inPositionMs, uint32_t /*inWallMs*/) {
  // The music from the new place is heard once it has passed through the
  // device's buffer, so counting starts from nothing.
  mBaseMs = inPositionMs;
  mFrames = 0;
  mLastFrames = 0;
  mCounting = false;
  mLastResult = inPositionMs;
}

namespace {

uint32_t MixerRate(uint32_t& outBytesPerFrame) {
  int theRate = 0;
  Uint16 theFormat = 0;
  int theChannels = 0;
  if (Mix_QuerySpec(&theRate, &theFormat, &theChannels) == 0) return 0;
  const uint32_t theSampleBytes = (theFormat & 0xFF) / 8;
  outBytesPerFrame = std::max<uint32_t>(1, theSampleBytes * uint32_t(std::max(theChannels, 1)));
  return uint32_t(theRate);
}

}  // namespace

MusicClock::MusicClock(_Mix_Music* inMusic, uint32_t inStartMs, uint32_t inLatencyFrames)
    : mMusic(inMusic), mPosition(44100, inLatencyFrames) {
  const uint32_t theRate = MixerRate(mBytesPerFrame);
  mPosition = MusicPosition(theRate, inLatencyFrames);
  mPosition.Restart(inStartMs, SDL_GetTicks());
  Z_ASSERT(theRate != 0);
  Mix_SetPostMix(&MusicClock::PostMix, this);
  mVolume = Mix_VolumeMusic(-1);
}

MusicClock::~MusicClock() { Mix_SetPostMix(nullptr, nullptr); }

void MusicClock::PostMix(void* inSelf, uint8_t* /*inStream*/, int inBytes) {
  MusicClock& theClock = *static_cast<MusicClock*>(inSelf);
  std::lock_guard<std::mutex> theGuard(theClock.mLock);
  // Counted whether or not music is heard: the device plays at its rate all
  // the same, so time goes on past the music's end or under a muted restart.
  theClock.mPosition.Handed(uint32_t(inBytes) / theClock.mBytesPerFrame, SDL_GetTicks());
}

uint32_t MusicClock::NowMs() {
  std::lock_guard<std::mutex> theGuard(mLock);
  return mPosition.PositionMs(SDL_GetTicks());
}

bool MusicClock::Available() {
  int theRate = 0;
  Uint16 theFormat = 0;
  int theChannels = 0;
  return Mix_QuerySpec(&theRate, &theFormat, &theChannels) != 0;
}

void MusicClock::Pause() {
  std::lock_guard<std::mutex> theGuard(mLock);
  mPosition.SetRunning(false);
  if (mMusic != nullptr) Mix_PauseMusic();
}

void MusicClock::Resume() {
  std::lock_guard<std::mutex> theGuard(mLock);
  mPosition.SetRunning(true);
  if (mMusic != nullptr) Mix_ResumeMusic();
}

void MusicClock::SeekTo(uint32_t inDemoMs) {
  std::lock_guard<std::mutex> theGuard(mLock);
  mPosition.Restart(inDemoMs, SDL_GetTicks());
  if (mMusic == nullptr) return;
  if (Mix_GetMusicType(mMusic) == MUS_OGG) {
    // Music that played to its end is started again before it is placed.
    if (Mix_PlayingMusic() == 0) {
      Mix_PlayMusic(mMusic, 0);
      if (!mPosition.Running()) Mix_PauseMusic();
    }
    Mix_SetMusicPosition(inDemoMs / 1000.0);
    mMuted = false;
    Mix_VolumeMusic(mVolume);
    return;
  }
  // Other formats cannot be put at a time: start again, silent unless the
  // seek was to the very start.
  Mix_PlayMusic(mMusic, 0);
  if (!mPosition.Running()) Mix_PauseMusic();
  mMuted = inDemoMs != 0;
  Mix_VolumeMusic(mMuted ? 0 : mVolume);
}

uint32_t DeferredClock::NowMs() { return mTarget != nullptr ? mTarget->NowMs() : SDL_GetTicks(); }

int RunWithMusicClock(const PlayerOptions& inOptions) {
  DeferredClock theClock;
  SessionSettings theSettings;
  theSettings.options = inOptions;
  theSettings.clock = &theClock;
  PlayerSession theSession(theSettings);
  if (theSession.Open()) {
    std::unique_ptr<MusicClock> theMusicClock;
    // Without sound there is no music to follow: the wall clock it is.
    if (MusicClock::Available()) {
      theMusicClock = std::make_unique<MusicClock>(theSession.GetMusic(), inOptions.startMs,
                                                   uint32_t(std::max(0, theSession.GetConfig().audioBuffer)));
      theClock.SetTarget(theMusicClock.get());
    }
    theSession.Play();
    theClock.SetTarget(nullptr);
  }
  return theSession.Close();
}
