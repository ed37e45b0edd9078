#include "transport.h"

#include <algorithm>
#include <cstdio>

Transport::Transport(FrameClock& ioBase, uint32_t inStartMs, uint32_t inEndMs)
    : mBase(ioBase), mEndMs(inEndMs) {
  Anchor(std::min(inStartMs, inEndMs));
}

void Transport::Anchor(uint32_t inDemoMs) {
  mAnchorDemoMs = inDemoMs;
  mAnchorBaseMs = mBase.NowMs();
}

uint32_t Transport::Raw() {
  if (mPaused) return mAnchorDemoMs;
  return mAnchorDemoMs + (mBase.NowMs() - mAnchorBaseMs);
}

uint32_t Transport::NowMs() {
  uint32_t theTime = Raw();
  if (LoopApplies() && theTime >= mLoopEndMs && mAnchorDemoMs < mLoopEndMs) {
    // Wrapped by whole loops, so a long frame lands where it would have.
    Jump(mLoopStartMs + (theTime - mLoopStartMs) % (mLoopEndMs - mLoopStartMs));
    theTime = mAnchorDemoMs;
  }
  if (theTime > mEndMs) {
    // Held at the end so the maker can seek back instead of losing the player.
    Anchor(mEndMs);
    SetPaused(true);
    theTime = mEndMs;
  }
  return theTime;
}

void Transport::SetPaused(bool inPaused) {
  if (inPaused == mPaused) return;
  Anchor(Raw());
  mPaused = inPaused;
  if (mMusic == nullptr) return;
  if (mPaused) {
    mMusic->Pause();
  } else {
    mMusic->Resume();
  }
}

void Transport::Jump(uint32_t inDemoMs) {
  ++mJumps;
  if (mMusic != nullptr) mMusic->SeekTo(inDemoMs);
  // Anchored after the music moved, so a music clock is read at its new place.
  Anchor(inDemoMs);
}

void Transport::SeekTo(uint32_t inMs) { Jump(std::min(inMs, mEndMs)); }

void Transport::SeekBy(int64_t inDeltaMs) {
  const int64_t theTarget = int64_t(Raw()) + inDeltaMs;
  SeekTo(uint32_t(std::clamp<int64_t>(theTarget, 0, mEndMs)));
}

void Transport::Step(int32_t inFrames) {
  if (!mPaused) return;
  SeekBy(int64_t(inFrames) * kFrameStepMs);
}

uint32_t BarMs(uint32_t inBpm) { return inBpm == 0 ? 0 : 4 * 60000 / inBpm; }

bool HandleTransportKey(const SDL_keysym& inKey, Transport& ioTransport, uint32_t inBpm) {
  const bool theShift = (inKey.mod & KMOD_SHIFT) != 0;
  switch (inKey.sym) {
    case SDLK_SPACE:
      ioTransport.SetPaused(!ioTransport.Paused());
      return true;
    case SDLK_LEFT:
      ioTransport.SeekBy(theShift ? -10000 : -1000);
      return true;
    case SDLK_RIGHT:
      ioTransport.SeekBy(theShift ? 10000 : 1000);
      return true;
    case SDLK_HOME:
      ioTransport.SeekTo(0);
      return true;
    case SDLK_UP:
    case SDLK_DOWN:
      if (inBpm == 0) return false;
      ioTransport.SeekBy(inKey.sym == SDLK_UP ? int64_t(BarMs(inBpm)) : -int64_t(BarMs(inBpm)));
      return true;
    case SDLK_COMMA:
      ioTransport.Step(-1);
      return true;
    case SDLK_PERIOD:
      ioTransport.Step(1);
      return true;
    case SDLK_LEFTBRACKET:
      ioTransport.SetLoopStart();
      return true;
    case SDLK_RIGHTBRACKET:
      ioTransport.SetLoopEnd();
      return true;
    case SDLK_l:
      ioTransport.ToggleLooping();
      return true;
    default:
      return false;
  }
}

std::string FormatDemoTime(uint32_t inMs) {
  char theText[32];
  std::snprintf(theText, sizeof theText, "%02u:%02u.%03u", unsigned(inMs / 60000), unsigned(inMs / 1000 % 60),
                unsigned(inMs % 1000));
  return theText;
}

std::string FormatBarBeat(uint32_t inMs, uint32_t inBpm) {
  if (inBpm == 0) return "";
  // Beats counted in ms * bpm so no beat is lost to rounding a beat's length.
  const uint64_t theBeat = uint64_t(inMs) * inBpm / 60000;
  char theText[32];
  std::snprintf(theText, sizeof theText, "%llu.%llu", static_cast<unsigned long long>(theBeat / 4 + 1),
                static_cast<unsigned long long>(theBeat % 4 + 1));
  return theText;
}
