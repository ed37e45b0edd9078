// Test support: the X display of xvfb-run.
#pragma once

// Waits up to five seconds for the X display to answer. xvfb-run may still
// be starting its server, and the player program does not wait for it.
bool WaitForDisplay();
