// Test support for probe plug-ins: the frame the player showed last, read
// back from OpenGL. Header only, so that a probe plug-in needs nothing
// linked in but OpenGL.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdio>
#include <vector>

struct ShownFrame {
  int width = 0;   // pixels
  int height = 0;  // pixels
  std::vector<unsigned char> rgba;  // bottom row first, as OpenGL reads it

  const unsigned char* Pixel(int inX, int inY) const {  // inY counts from the bottom row
    return &rgba[(size_t(inY) * size_t(width) + size_t(inX)) * 4];
  }
};

// Reads the viewport of the back buffer: Mesa keeps its content across the
// swap, while the front buffer of an Xvfb window reads back black. Leaves
// the read buffer as it found it. False when the viewport is empty.
inline bool ReadShownFrame(ShownFrame& outFrame) {
  GLint theViewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, theViewport);
  outFrame.width = theViewport[2];
  outFrame.height = theViewport[3];
  if (outFrame.width <= 0 || outFrame.height <= 0) return false;
  outFrame.rgba.assign(size_t(outFrame.width) * size_t(outFrame.height) * 4, 0);
  GLint theOldBuffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &theOldBuffer);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(theViewport[0], theViewport[1], outFrame.width, outFrame.height, GL_RGBA, GL_UNSIGNED_BYTE,
               outFrame.rgba.data());
  glReadBuffer(GLenum(theOldBuffer));
  return true;
}

// Writes inFrame as a binary PPM (P6), top row first; false when the file
// cannot be opened.
inline bool WritePpm(const char* inPath, const ShownFrame& inFrame) {
  FILE* theImage = std::fopen(inPath, "wb");
  if (!theImage) return false;
  std::fprintf(theImage, "P6\n%d %d\n255\n", inFrame.width, inFrame.height);
  for (int y = inFrame.height - 1; y >= 0; --y)
    for (int x = 0; x < inFrame.width; ++x) std::fwrite(inFrame.Pixel(x, y), 1, 3, theImage);
  std::fclose(theImage);
  return true;
}
