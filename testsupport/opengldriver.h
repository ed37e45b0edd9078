// Test support: keeps Mesa's OpenGL driver loaded for the whole test process.
//
// SDL_Quit closes the X display and Mesa then unloads its driver; what the
// driver never freed would afterwards be reported by LeakSanitizer from an
// unknown module that no suppression can name. With the driver pinned its
// allocations stay attributable and cmake/lsan.supp matches them.
// Call it before the first OpenGL window opens; calling it again is harmless.
#pragma once

void PinOpenGLDriver();
