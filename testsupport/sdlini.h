// Test support: the SDL.ini the player reads beside a demo in tests.
#pragma once

#include <string>

// A window of inWidth x inHeight pixels and no sound; everything else as
// the player's defaults.
inline std::string SilentWindowIni(int inWidth, int inHeight) {
  return "[video]\nwidth=" + std::to_string(inWidth) + "\nheight=" + std::to_string(inHeight) +
         "\n[audio]\nenabled=0\n";
}
