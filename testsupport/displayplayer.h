// Test support: the real player program on the X display of xvfb-run.
#pragma once

#include <string>

// Runs inPlayer on inDocument in inFolder, with no setup window, no sound and
// LeakSanitizer off, its output in stdout.txt and stderr.txt there. Returns
// the std::system status. Xvfb resets itself whenever its last client leaves
// and refuses connections meanwhile: a run that found no display is tried
// again, up to 20 times.
//
// LeakSanitizer is off because the player's exit unloads Mesa's driver, whose
// allocations would be reported from an unnamed module no suppression can
// match; the plug-ins' own leaks are checked by the in-process tests.
int RunPlayerOnDisplay(const std::string& inPlayer, const std::string& inFolder, const std::string& inDocument);
