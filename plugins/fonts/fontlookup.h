// Finding font files that are not where the demo says.
#pragma once

#include <string>

// Looks the file name of inName (the part after the last '/') up among the
// fonts installed on this machine (fontconfig), so that "FreeSans.ttf" finds
// the system's FreeFont. The match is exact on the file name; among several
// matches the smallest path wins, so the answer does not depend on the
// order fontconfig lists its fonts in. False when nothing matches.
bool FindInstalledFont(const char* inName, std::string& outPath);

// Releases fontconfig's configuration, if a lookup loaded it.
void ForgetInstalledFonts();
