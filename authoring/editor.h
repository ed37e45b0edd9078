// Authoring mode: the demo plays in a window while it is edited. Saves of
// the document or of any file it names reload it in place at the same demo
// time; the transport keys pause, seek, step and loop with the music
// following; Tab shows the on-screen display.
#pragma once

#include "options.h"

// The whole run of `player --edit`; returns the process exit code (0 once a
// demo played, 1 when none could be brought up).
int RunEditor(const PlayerOptions& inOptions);
