// frameprobe.so, a test plug-in: its effect ReadFrame, placed on the highest
// track, reads the frame shown last at the start of each frame's running
// calls and appends one line to frames.txt in the working
// directory: "<elapsed ms> <width> <height> <lit pixels> <centre 0xRRGGBB>".
// A pixel is lit when any channel is above 16. With PROBE_PPM=<path> in the
// environment it also writes the frame as a PPM image, to look at.
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "zorbit.h"

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**) { return true; }
ZORBIT_EXPORT bool Zorbit_Quit() { return true; }
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool ReadFrame(FrameInfo* inInfo, void**) {
  if (inInfo->phase != PHASE_RUN) return true;
  GLint theViewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, theViewport);
  const int theWidth = theViewport[2], theHeight = theViewport[3];
  if (theWidth <= 0 || theHeight <= 0) return true;
  std::vector<unsigned char> thePixels(size_t(theWidth) * size_t(theHeight) * 4);
  GLint theOldBuffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &theOldBuffer);
  // The back buffer: Mesa keeps its content across the swap, while the
  // front buffer of an Xvfb window reads back black.
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(theViewport[0], theViewport[1], theWidth, theHeight, GL_RGBA, GL_UNSIGNED_BYTE, thePixels.data());
  glReadBuffer(GLenum(theOldBuffer));
  if (const char* thePpm = std::getenv("PROBE_PPM")) {
    if (FILE* theImage = std::fopen(thePpm, "wb")) {
      std::fprintf(theImage, "P6 %d %d 255\n", theWidth, theHeight);
      for (int y = theHeight - 1; y >= 0; --y)
        for (int x = 0; x < theWidth; ++x) std::fwrite(&thePixels[(size_t(y) * theWidth + x) * 4], 1, 3, theImage);
      std::fclose(theImage);
    }
  }
  long theLit = 0;
  for (size_t i = 0; i < thePixels.size(); i += 4)
    if (thePixels[i] > 16 || thePixels[i + 1] > 16 || thePixels[i + 2] > 16) ++theLit;
  const unsigned char* c = &thePixels[(size_t(theHeight / 2) * size_t(theWidth) + size_t(theWidth / 2)) * 4];
  if (FILE* theFile = std::fopen("frames.txt", "a")) {
    std::fprintf(theFile, "%d %d %d %ld %02X%02X%02X\n", inInfo->elapsed, theWidth, theHeight, theLit, c[0], c[1],
                 c[2]);
    std::fclose(theFile);
  }
  return true;
}
