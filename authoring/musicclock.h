// Demo time taken from the music's playback position, so a long demo stays
// with its soundtrack however the wall clock and the sound card's crystal
// drift apart.
#pragma once

#include <cstdint>
#include <mutex>

#include "frameloop.h"
#include "options.h"
#include "transport.h"

struct _Mix_Music;

// The playback position from counts of sample frames handed to the audio
// device. Between two hand-overs the position moves on with the wall clock,
// but never by more than the frames last handed over, so a stalled device
// holds the position instead of running ahead; the result never goes back
// except through Restart. Pure: the caller brings both clocks.
class MusicPosition {
 public:
  // inLatencyFrames: frames queued in the device ahead of what is heard.
  MusicPosition(uint32_t inRate, uint32_t inLatencyFrames);

  // Called from the audio callback with the frames it just handed over.
  void Handed(uint32_t inFrames, uint32_t inWallMs);
  // Playback position in ms at wall time inWallMs.
  uint32_t PositionMs(uint32_t inWallMs);
  // The music starts again at inPositionMs (a seek, or a start from there).
  void Restart(uint32_t inPositionMs, uint32_t inWallMs);
  // Paused music hands over silence; that is not counted.
  void SetRunning(bool inRunning) { mRunning = inRunning; }
  bool Running() const { return mRunning; }

 private:
  uint32_t mRate;
  uint32_t mLatencyFrames;
  uint64_t mBaseMs = 0;       // position where counting (re)started
  uint64_t mFrames = 0;       // frames handed over since then
  uint32_t mLastFrames = 0;   // frames handed in the last callback
  uint32_t mLastWallMs = 0;   // wall time of the last callback
  bool mCounting = false;     // a callback came since the restart
  bool mRunning = true;
  uint32_t mLastResult = 0;
};

// A clock that reads another once it is given one, and SDL_GetTicks until
// then: the music clock can only be made once the music is loaded, after
// the session that is handed the clock was made.
class DeferredClock : public FrameClock {
 public:
  void SetTarget(FrameClock* inTarget) { mTarget = inTarget; }
  uint32_t NowMs() override;
  void FrameShown() override {
    if (mTarget != nullptr) mTarget->FrameShown();
  }

 private:
  FrameClock* mTarget = nullptr;
};

// Normal play with --clock music: demo time from the music's position.
// Returns the exit code, as RunPlayer.
int RunWithMusicClock(const PlayerOptions& inOptions);

// A FrameClock reading MusicPosition, fed from SDL_mixer's post-mix hook,
// and the MusicFollower that moves the music with the transport. Only one
// can be installed at a time (SDL_mixer has one post-mix hook); the hook is
// removed when the object goes. The mixer must be open (Available()); without
// sound the wall clock is the only clock there is.
class MusicClock : public FrameClock, public MusicFollower {
 public:
  // inMusic: the playing music, or null (time then runs at the device's
  // rate all the same). inStartMs: where the music is now. inLatencyFrames: the
  // device's buffer (the chunk size the mixer was opened with).
  MusicClock(_Mix_Music* inMusic, uint32_t inStartMs, uint32_t inLatencyFrames);
  ~MusicClock() override;
  MusicClock(const MusicClock&) = delete;
  MusicClock& operator=(const MusicClock&) = delete;

  static bool Available();

  uint32_t NowMs() override;

  void Pause() override;
  void Resume() override;
  void SeekTo(uint32_t inDemoMs) override;

  // True while a music that cannot seek was restarted and is held silent
  // until it plays from 0 again; the display says so.
  bool Muted() const { return mMuted; }

 private:
  static void PostMix(void* inSelf, uint8_t* inStream, int inBytes);

  _Mix_Music* mMusic;
  std::mutex mLock;
  MusicPosition mPosition;
  uint32_t mBytesPerFrame = 4;
  bool mMuted = false;
  int mVolume = 128;
};
