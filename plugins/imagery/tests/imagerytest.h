// imagery.so in the host of plug-in tests, once per test program: an OpenGL
// window (the tests run under Xvfb), a fresh folder of the tests' own that is
// also the working directory (the files they make go there), and the real
// plug-in loaded from the build folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testhost.h"

// Opens the window and the folder and loads imagery.so on first use; kept
// for the whole program.
TestHost& ImageryHost();

// Zorbit_Init of imagery.so after the host forgot the warnings and the kinds
// of the run before, so the kinds are exactly those this run registered.
bool InitImagery();
void QuitImagery();

// The plug-in's MakeMovie effect, called as the player calls it.
bool RunMovie(FrameInfo& ioInfo, void** ioSlot, int32_t inName, int32_t inPattern, int32_t inFrame);

// Texels of level 0 of a texture, 0xAARRGGBB, rows from the first uploaded one.
struct Texels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int inX, int inY) const { return pixels[static_cast<size_t>(inY) * width + inX]; }
};
Texels ReadTexels(uint32_t inTexture);
