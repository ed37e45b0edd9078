#include "frameloop.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "binding.h"
#include "paramanim.h"

namespace {

bool gStopFlag = false;
uint32_t gFrameTime = 0;
EffectProfile* gProfile = nullptr;

// Scratch reused every frame: no allocation once the first frame has sized it.
std::vector<int32_t> gActive;
std::vector<TrackCursor> gCursors;  // one per track
enum { kValueCapacity = 128 };
int32_t gValues[kValueCapacity];

bool CallEvent(const Event& inEvent, uint32_t inTime, int32_t inPhase, TrackState& ioState) {
  FrameInfo theInfo = {};
  theInfo.phase = inPhase;
  theInfo.elapsed = int32_t(inTime - inEvent.startTime);
  theInfo.startTime = inEvent.startTime;
  theInfo.duration = inEvent.endTime - inEvent.startTime;
  theInfo.status = 0;
  bool theConstant = false;
  EvaluateEventParams(inTime, inEvent, gValues, kValueCapacity, theConstant);
  theInfo.paramsConstant = theConstant ? 1 : 0;
  bool theResult;
  if (gProfile == nullptr) {
    theResult = CallEffect(inEvent.effect, &theInfo, &ioState.slot, inEvent.paramCount, gValues);
  } else {
    auto theStart = std::chrono::steady_clock::now();
    theResult = CallEffect(inEvent.effect, &theInfo, &ioState.slot, inEvent.paramCount, gValues);
    gProfile->EffectCalled(inEvent, std::chrono::steady_clock::now() - theStart);
  }
  if (inPhase == PHASE_RUN) ioState.lastStatus = theInfo.status;
  return theResult;
}

}  // namespace

uint32_t WallClock::NowMs() { return SDL_GetTicks(); }

void SetEffectProfile(EffectProfile* inProfile) { gProfile = inProfile; }

bool GetStopFlag() { return gStopFlag; }
void ResetStopFlag() { gStopFlag = false; }
void RequestStop() { gStopFlag = true; }

int32_t TrackCursor::Find(const Track& inTrack, uint32_t inTime) {
  const uint32_t theCount = inTrack.events == nullptr ? 0 : inTrack.eventCount;
  if (theCount == 0) return -1;
  if (inTrack.events != mEvents || theCount != mCount) {
    mEvents = inTrack.events;
    mCount = theCount;
    mLatestEnd.resize(theCount);
    uint32_t theLatest = 0;
    for (uint32_t j = 0; j < theCount; ++j) {
      theLatest = std::max(theLatest, inTrack.events[j].endTime);
      mLatestEnd[j] = theLatest;
    }
    mFirstNotEnded = 0;
  }
  const uint32_t* theLatestEnd = mLatestEnd.data();
  uint32_t theJ = mFirstNotEnded;
  if (theJ > 0 && theLatestEnd[theJ - 1] >= inTime) {
    // The clock went back past an earlier event's end.
    theJ = uint32_t(std::lower_bound(theLatestEnd, theLatestEnd + theJ, inTime) - theLatestEnd);
  } else {
    // Forward play passes a few events at most; a jump ahead is searched.
    const uint32_t theWalkEnd = std::min(theCount, theJ + 4);
    while (theJ < theWalkEnd && theLatestEnd[theJ] < inTime) ++theJ;
    if (theJ == theWalkEnd && theJ < theCount && theLatestEnd[theJ] < inTime) {
      theJ = uint32_t(std::lower_bound(theLatestEnd + theJ, theLatestEnd + theCount, inTime) - theLatestEnd);
    }
  }
  mFirstNotEnded = theJ;
  if (theJ == theCount || inTime < inTrack.events[theJ].startTime) return -1;
  return int32_t(theJ);
}

void TrackCursor::Reset() {
  mEvents = nullptr;
  mCount = 0;
  mLatestEnd.clear();
  mLatestEnd.shrink_to_fit();
  mFirstNotEnded = 0;
}

uint32_t FrameTime() { return gFrameTime; }

void ResetFrameLoop() {
  gFrameTime = 0;
  gActive.clear();
  gActive.shrink_to_fit();
  gCursors.clear();
  gCursors.shrink_to_fit();
}

bool RenderFrame(Demo& ioDemo, uint32_t inTime, TrackState* ioStates) {
  gFrameTime = inTime;
  const int32_t theTrackCount = int32_t(ioDemo.trackCount);
  if (gActive.size() < ioDemo.trackCount) gActive.resize(ioDemo.trackCount);
  if (gCursors.size() < ioDemo.trackCount) gCursors.resize(ioDemo.trackCount);
  int32_t* theActive = gActive.data();

  for (int32_t i = 0; i < theTrackCount; ++i) theActive[i] = gCursors[i].Find(ioDemo.tracks[i], inTime);

  for (int32_t i = theTrackCount - 1; i >= 0; --i) {
    TrackState& theState = ioStates[i];
    if (theState.current >= 0 && theState.current != theActive[i]) {
      CallEvent(ioDemo.tracks[i].events[theState.current], inTime, PHASE_DESTROY, theState);
      theState.current = -1;
      theState.slot = nullptr;
    }
  }

  for (uint32_t l = 0; l < ioDemo.libraryCount; ++l) {
    if (ioDemo.libraries[l].beginNewFrame != nullptr) ioDemo.libraries[l].beginNewFrame(0);
  }

  for (int32_t i = theTrackCount - 1; i >= 0; --i) {
    TrackState& theState = ioStates[i];
    if (theActive[i] != theState.current) {
      CallEvent(ioDemo.tracks[i].events[theActive[i]], inTime, PHASE_MAKE, theState);
      theState.current = theActive[i];
    }
  }

  bool theResult = true;
  for (int32_t i = theTrackCount - 1; i >= 0; --i) {
    if (theActive[i] == -1) continue;
    theResult = CallEvent(ioDemo.tracks[i].events[theActive[i]], inTime, PHASE_RUN, ioStates[i]);
    if (!theResult) break;
  }
  return theResult;
}

bool PollEvents(const LoopControl* inControl) {
  bool theQuit = false;
  SDL_Event theEvent;
  while (SDL_PollEvent(&theEvent)) {
    if (inControl != nullptr && inControl->onEvent && inControl->onEvent(theEvent)) continue;
    switch (theEvent.type) {
      case SDL_QUIT:
        theQuit = true;
        break;
      case SDL_KEYDOWN:
        if (theEvent.key.keysym.sym == SDLK_ESCAPE) theQuit = true;
        break;
      case SDL_ACTIVEEVENT:
        if (theEvent.active.state == SDL_APPACTIVE && !(inControl != nullptr && inControl->ignoreActivation))
          gStopFlag = theEvent.active.gain != 0;
        break;
      default:
        break;
    }
  }
  return theQuit;
}

int RunDemo(Demo& ioDemo, SDL_Surface* inScreen, uint32_t inStartOffset) {
  WallClock theClock;
  return RunDemo(ioDemo, inScreen, inStartOffset, theClock, FrameHook());
}

void EndStartedEvents(Demo& ioDemo, uint32_t inTime, TrackState* ioStates) {
  gFrameTime = inTime;
  for (int32_t i = int32_t(ioDemo.trackCount) - 1; i >= 0; --i) {
    TrackState& theState = ioStates[i];
    if (theState.current < 0) continue;
    CallEvent(ioDemo.tracks[i].events[theState.current], inTime, PHASE_DESTROY, theState);
    theState.current = -1;
    theState.slot = nullptr;
  }
}

int RunDemo(Demo& ioDemo, SDL_Surface* inScreen, uint32_t inStartOffset, FrameClock& ioClock,
            const FrameHook& inAfterDraw, const LoopControl* inControl) {
  const bool theDemoClock = inControl != nullptr && inControl->clockIsDemoTime;
  const uint32_t theStartTicks = theDemoClock ? 0 : ioClock.NowMs() - inStartOffset;
  uint64_t theJumps = inControl != nullptr && inControl->jumps ? inControl->jumps() : 0;
  uint32_t theLastTime = 0;
  std::vector<TrackState> theStates(ioDemo.trackCount, TrackState{-1, nullptr, 0});
  ResetFrameLoop();
  gActive.assign(ioDemo.trackCount, -1);
  bool theFrameResult = true;
  bool theQuit = false;
  for (;;) {
    if (theQuit || gStopFlag) break;
    uint32_t theTime = ioClock.NowMs() - theStartTicks;
    if (theTime > uint32_t(ioDemo.runningTime)) break;
    if (inControl != nullptr && inControl->jumps) {
      const uint64_t theNow = inControl->jumps();
      // Ended at the last time they were drawn at, so their elapsed times stay theirs.
      if (theNow != theJumps) EndStartedEvents(ioDemo, theLastTime, theStates.data());
      theJumps = theNow;
    }
    theFrameResult = RenderFrame(ioDemo, theTime, theStates.data());
    theLastTime = theTime;
    if (inAfterDraw) inAfterDraw(ioDemo, theTime);
    if (ioDemo.useOpenGL) {
      SDL_GL_SwapBuffers();
    } else if (ioDemo.outputSurfaces != nullptr && ioDemo.outputSurfaces[0] != nullptr && inScreen != nullptr) {
      SDL_Rect theOrigin = {0, 0, 0, 0};
      SDL_UpperBlit(ioDemo.outputSurfaces[0], nullptr, inScreen, &theOrigin);
      SDL_Flip(inScreen);
    }
    ioClock.FrameShown();
    theQuit = PollEvents(inControl);
  }
  return theFrameResult ? 0 : -1;
}
