// The setup window: a small "Setup Window" shown before the demo in which the
// viewer picks aspect ratio, resolution, gamma, full screen and music volume.
#pragma once

#include "sdlconfig.h"
#include "setupmemory.h"

// Shows the window and runs it until "Start Demo", "Cancel" or the window is
// closed. Returns false when no window could be opened (nothing is filled in
// then; the caller goes on with "SDL.ini"). Otherwise fills outConfig for the
// demo's video mode and audio, ioGamma, ioVolume (0..255) and outAspect
// (screen width / height), and sets outStart to whether "Start Demo" was
// pressed. ioGamma and ioVolume come in as the values the window starts with.
// The viewer's choices of the last run that was started are selected from the
// start, and this run's are remembered when "Start Demo" is pressed
// ("setup.ini" in the state folder, setupmemory.h); a gamma or volume the
// command line gave (inGiven) wins over a remembered one.
// Opens and closes SDL itself (SDL_Config_Init / SDL_Config_Quit).
bool RunSetupWindow(SDL_Config& outConfig, double& ioGamma, bool& outStart, int& ioVolume, float& outAspect,
                    const SetupGiven& inGiven = SetupGiven());

// Where the setup window writes its diagnostics, such as a window that cannot
// be opened or choices that cannot be remembered (the player passes its
// WriteLog). Without one they go to standard error.
using SetupLogFunction = void (*)(const char* inText);
void SetSetupWindowLog(SetupLogFunction inWriteLog);
