// Test support: the one OpenGL window of a test program that draws for real.
#pragma once

#include <gtest/gtest.h>

// Opens an SDL OpenGL window of inWidth x inHeight pixels, double-buffered
// with a 16-bit depth buffer, and initialises GLEW for it; later calls
// succeed at once (the size is that of the first call). The window is never
// closed: closing it unloads Mesa's driver under LeakSanitizer. Retries for
// five seconds while the X server may still be starting.
::testing::AssertionResult EnsureGLWindow(int inWidth, int inHeight);

class OGLState;

// The window of EnsureGLWindow(256, 256) with a state tracker for it made
// current, made once per test program; aborts without a window. Safe to call
// from every test.
OGLState* OpenTestWindow();
