// Authoring mode's transport: demo time the viewer pauses, seeks, steps and
// loops, handed to the frame loop as its clock.
#pragma once

#include <cstdint>
#include <string>

#include <SDL.h>

#include "frameloop.h"

// What the music does when the transport moves. The transport calls these
// after changing its own time, so Position() agrees with the music.
class MusicFollower {
 public:
  virtual ~MusicFollower() = default;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void SeekTo(uint32_t inDemoMs) = 0;
};

// One frame at the 60 Hz that authoring steps by, in ms (rounded down; a
// step of 16 ms keeps every stepped time a whole ms).
constexpr uint32_t kFrameStepMs = 1000 / 60;

// Demo time in ms read from a base clock (the wall or the music), held while
// paused. NowMs() is the demo time itself, so RunDemo is started with the
// transport's time as its start offset. Every jump of time (seek, step,
// loop wrap) counts in Jumps(), so the loop can tell a jump from playing on.
class Transport : public FrameClock {
 public:
  // inEndMs: the demo's running time; playing past it holds there, paused,
  // rather than ending the player.
  Transport(FrameClock& ioBase, uint32_t inStartMs, uint32_t inEndMs);

  uint32_t NowMs() override;
  void FrameShown() override { mBase.FrameShown(); }

  void SetMusic(MusicFollower* inMusic) { mMusic = inMusic; }
  void SetEnd(uint32_t inEndMs) { mEndMs = inEndMs; }

  bool Paused() const { return mPaused; }
  void SetPaused(bool inPaused);
  void SeekTo(uint32_t inMs);
  void SeekBy(int64_t inDeltaMs);
  // Moves by inFrames frames of kFrameStepMs; only while paused.
  void Step(int32_t inFrames);

  void SetLoopStart() { mLoopStartMs = NowMs(); }
  void SetLoopEnd() { mLoopEndMs = NowMs(); }
  void ToggleLooping() { mLooping = !mLooping; }
  bool Looping() const { return mLooping; }
  // Looping needs a range of at least one ms; otherwise it is not applied.
  bool LoopApplies() const { return mLooping && mLoopEndMs > mLoopStartMs; }
  uint32_t LoopStart() const { return mLoopStartMs; }
  uint32_t LoopEnd() const { return mLoopEndMs; }

  uint64_t Jumps() const { return mJumps; }

 private:
  uint32_t Raw();
  void Anchor(uint32_t inDemoMs);
  void Jump(uint32_t inDemoMs);

  FrameClock& mBase;
  MusicFollower* mMusic = nullptr;
  uint32_t mEndMs;
  uint32_t mAnchorDemoMs;
  uint32_t mAnchorBaseMs;
  bool mPaused = false;
  bool mLooping = false;
  uint32_t mLoopStartMs = 0;
  uint32_t mLoopEndMs = 0;
  uint64_t mJumps = 0;
};

// What the authoring keys do to the transport; inBpm 0 leaves Up and Down
// alone. True when the key was one of them (Escape is not: it quits, as
// everywhere).
bool HandleTransportKey(const SDL_keysym& inKey, Transport& ioTransport, uint32_t inBpm);

// One bar of four beats at inBpm, in ms.
uint32_t BarMs(uint32_t inBpm);

// "mm:ss.mmm" for a demo time in ms; minutes go past 99 rather than wrap.
std::string FormatDemoTime(uint32_t inMs);
// "bar.beat", both counted from 1, four beats a bar.
std::string FormatBarBeat(uint32_t inMs, uint32_t inBpm);
