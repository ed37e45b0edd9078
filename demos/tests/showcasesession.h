// What the showcase's session tests share: the showcase played by a
// PlayerSession in a window of a given size, without sound, on a clock the
// test drives, and the back buffer read back after a frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frameloop.h"
#include "sdlconfig.h"
#include "startup.h"

// Demo time that stands where the test puts it.
class HeldClock : public FrameClock {
 public:
  uint32_t NowMs() override { return mTime; }
  uint32_t mTime = 0;
};

// The showcase in a window of inWidth x inHeight, without sound, on inClock
// from inStartMs, its log in inLogFolder. Pins the OpenGL driver and points
// the plug-in search at the build's plug-ins.
SessionSettings ShowcaseSession(SDL_Config& outConfig, FrameClock& inClock, int inWidth, int inHeight,
                                uint32_t inStartMs, const std::string& inLogFolder);

// The back buffer of the current frame as RGBA, rows bottom to top.
std::vector<uint8_t> ReadBackBuffer();
