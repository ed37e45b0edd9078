// The frame loop: plays a bound demo until its running time has passed or the
// viewer quits, calling every active event's effect each frame.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include <SDL.h>

#include "demo.h"


// Where demo time comes from. The player uses the wall clock; a capture tool
// swaps in a fixed-step clock so every frame lands on an exact time.
class FrameClock {
 public:
  virtual ~FrameClock() = default;
  // Milliseconds since some fixed origin; read once at loop entry and once per frame.
  virtual uint32_t NowMs() = 0;
  // Called after each frame has been shown.
  virtual void FrameShown() {}
};

// SDL_GetTicks.
class WallClock : public FrameClock {
 public:
  uint32_t NowMs() override;
};

// Starts at 0 and moves on by inStepMs after every frame shown, so frame n is
// drawn at demo time startOffset + n * inStepMs whatever the machine's speed.
class FixedStepClock : public FrameClock {
 public:
  explicit FixedStepClock(uint32_t inStepMs) : mStepMs(inStepMs) {}
  uint32_t NowMs() override { return mNowMs; }
  void FrameShown() override { mNowMs += mStepMs; }

 private:
  uint32_t mStepMs;
  uint32_t mNowMs = 0;
};

// Called after a frame is drawn and before it is shown (buffer swap or blit),
// with the frame's demo time in ms; a capture tool reads the frame back here.
using FrameHook = std::function<void(const Demo& inDemo, uint32_t inDemoTimeMs)>;

// Told how long every effect call took; for tools that show where a frame's
// time goes. Without one the loop times nothing.
class EffectProfile {
 public:
  virtual ~EffectProfile() = default;
  virtual void EffectCalled(const Event& inEvent, std::chrono::steady_clock::duration inTime) = 0;
};
void SetEffectProfile(EffectProfile* inProfile);  // null: no profiling

// One per track while the loop runs.
struct TrackState {
  int32_t current;     // index of the started, not yet ended event; -1 when none
  void* slot;          // the event slot handed to the effect; null again after PHASE_DESTROY
  int32_t lastStatus;  // FrameInfo::status after the last PHASE_RUN call; not read by the player
};

// What authoring mode adds to the loop; a plain play has none.
struct LoopControl {
  // Sees every SDL event first; true when it took the event (a transport
  // key), which the loop then passes over.
  std::function<bool(const SDL_Event&)> onEvent;
  // Read before every frame; when it has changed since the last frame the
  // clock jumped (a seek), and every started event is ended before the frame
  // starts the events active at the new time.
  std::function<uint64_t()> jumps;
  // The clock gives demo time itself, not time since the loop began.
  bool clockIsDemoTime = false;
  // The window gaining the active state does not stop the loop (switching
  // to the editor and back).
  bool ignoreActivation = false;
};

// Plays the demo from inStartOffset ms on. 0 when the last drawn frame's
// running step succeeded (or no frame was drawn), -1 otherwise.
int RunDemo(Demo& ioDemo, SDL_Surface* inScreen, uint32_t inStartOffset);
int RunDemo(Demo& ioDemo, SDL_Surface* inScreen, uint32_t inStartOffset, FrameClock& ioClock,
            const FrameHook& inAfterDraw, const LoopControl* inControl = nullptr);

// Ends every started event (PHASE_DESTROY at inTime), tracks from the
// highest index down, as a frame ends events that are no longer active.
void EndStartedEvents(Demo& ioDemo, uint32_t inTime, TrackState* ioStates);

// Which event of a track is active at a demo time: the first event, in
// track order, whose end is not before t, when its start is not after t.
// Later events that overlap an earlier one wait until it has ended, and
// events listed out of time order are taken as listed.
//
// The cursor keeps, per track, the running maximum of the event ends (the
// first event whose end is not before t is the first whose running maximum
// is not) and the event found last time: playing forward walks on from
// there, so a frame costs O(1) amortised per track; any jump back or
// forward gives the same answer through a binary search.
class TrackCursor {
 public:
  // Index of the active event of inTrack at inTime, -1 when none. The cursor
  // rebuilds itself when it is handed a different track; after the track's
  // events were changed in place, call Reset first.
  int32_t Find(const Track& inTrack, uint32_t inTime);
  // Forgets the track and frees the running maxima.
  void Reset();

 private:
  const Event* mEvents = nullptr;  // the track seen last; its maxima are in mLatestEnd
  uint32_t mCount = 0;
  std::vector<uint32_t> mLatestEnd;  // mLatestEnd[j]: the latest end among events 0 .. j
  uint32_t mFirstNotEnded = 0;       // first j with mLatestEnd[j] >= the time of the last Find
};

// Forgets the frame loop's per-track cursors and scratch. RunDemo calls it on
// entry; call it too whenever a demo is unloaded or loaded again, since a new
// demo's tracks may reuse the old one's addresses.
void ResetFrameLoop();

// The demo time (ms) of the frame being drawn: set by RenderFrame and
// EndStartedEvents before their first call, 0 after ResetFrameLoop. What
// the player produces for "this frame" (MUSC) is for this time.
uint32_t FrameTime();

// One frame at demo time inTime (ms): ends, announces, starts and runs events,
// tracks from the highest index down. Returns false when a running call
// returned false (the lower tracks were then not run).
bool RenderFrame(Demo& ioDemo, uint32_t inTime, TrackState* ioStates);

// Drains SDL's event queue; true when the viewer asked to quit (window
// closed, Escape). An application-active event sets the stop flag to its gain.
bool PollEvents(const LoopControl* inControl = nullptr);

// The stop flag that PollEvents sets and the loop tests. RunDemo leaves it
// alone; start-up clears it before each play.
bool GetStopFlag();
void ResetStopFlag();
// Sets the stop flag: the loop ends before its next frame (a tool's hook
// ends a play this way).
void RequestStop();
