// textprobe.so, a test plug-in: its effect SnapFrame, placed on the highest
// track, reads the frame shown last (the back buffer, which Mesa keeps
// across the swap) at the start of each frame's running calls and writes it
// to "frame.ppm" in the working directory, top row first.
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "zorbit.h"

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**) { return true; }
ZORBIT_EXPORT bool Zorbit_Quit() { return true; }
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool SnapFrame(FrameInfo* inInfo, void**) {
  if (inInfo->phase != PHASE_RUN) return true;
  GLint theViewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, theViewport);
  const int theWidth = theViewport[2];
  const int theHeight = theViewport[3];
  if (theWidth <= 0 || theHeight <= 0) return true;
  std::vector<unsigned char> thePixels(size_t(theWidth) * size_t(theHeight) * 3);
  GLint theOldBuffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &theOldBuffer);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(theViewport[0], theViewport[1], theWidth, theHeight, GL_RGB, GL_UNSIGNED_BYTE, thePixels.data());
  glReadBuffer(GLenum(theOldBuffer));
  if (FILE* theImage = std::fopen("frame.ppm", "wb")) {
    std::fprintf(theImage, "P6\n%d %d\n255\n", theWidth, theHeight);
    for (int y = theHeight - 1; y >= 0; --y) {
      std::fwrite(&thePixels[size_t(y) * size_t(theWidth) * 3], 1, size_t(theWidth) * 3, theImage);
    }
    std::fclose(theImage);
  }
  return true;
}
