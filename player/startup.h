// Start-up and shutdown of the player: reads the command line (options.h), opens the log,
// brings up video, the plug-ins and the music in a fixed order, plays the
// demo, and tears down exactly what was brought up.
//
// A library (zorbit_player) so that tools can play a demo the same way with
// their own clock and a look at every frame.
#pragma once

#include <cstdint>
#include <string>

#include "frameloop.h"
#include "options.h"
#include "sdlconfig.h"

struct OGLViewport;

// The viewport that letterboxes a demo of inAspectX:inAspectY on a screen of
// inWidth x inHeight pixels whose shape is inScreenAspect (width / height).
// False when the shapes differ by 0.01 or less (the demo fills the screen)
// or the demo's aspect is not positive. Top-left origin, pixels.
bool ComputeLetterbox(float inScreenAspect, int32_t inAspectX, int32_t inAspectY, uint32_t inWidth, uint32_t inHeight,
                      OGLViewport& outViewport);

// SDL_mixer's music volume (0..128) for the player's 0..255.
int MixerVolume(int32_t inVolume);

// Extra wiring for tools; the player itself uses the defaults.
struct PlayerHooks {
  FrameClock* clock = nullptr;  // null: the wall clock (SDL_GetTicks)
  FrameHook afterDraw;          // after each frame is drawn, before it is shown
  bool allowSetupWindow = true; // false: as if ZORBIT_NO_SETUP=1
  const SDL_Config* config = nullptr;  // used instead of "SDL.ini" when the setup window is not shown
};

// The whole run: returns the process exit code, 0 when the main loop was
// entered, 1 otherwise. Writes "Errorlog.txt" in the working directory.
int RunPlayer(int argc, char** argv, const PlayerHooks& inHooks = PlayerHooks());
