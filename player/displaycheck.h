// Whether the player has a screen to open before SDL is asked for one.
#pragma once

// True when SDL_VIDEODRIVER names a driver or a display can be opened.
// Otherwise says so on standard error and in the log and returns false:
// SDL would fall back on its text-mode drivers, which take over the
// terminal and fail anyway.
bool CheckDisplay();
