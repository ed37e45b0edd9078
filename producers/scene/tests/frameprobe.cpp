// frameprobe.so, a test plug-in: its effect ReadFrame, placed on the highest
// track, reads the frame shown last at the start of each frame's running
// calls and appends one line to frames.txt in the working
// directory: "<elapsed ms> <width> <height> <lit pixels> <centre 0xRRGGBB>".
// A pixel is lit when any channel is above 16. With PROBE_PPM=<path> in the
// environment it also writes the frame as a PPM image, to look at.
#include <cstdio>
#include <cstdlib>

#include "shownframe.h"
#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**) { return true; }
ZORBIT_EXPORT bool Zorbit_Quit() { return true; }
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool ReadFrame(FrameInfo* inInfo, void**) {
  if (inInfo->phase != PHASE_RUN) return true;
  ShownFrame theFrame;
  if (!ReadShownFrame(theFrame)) return true;
  if (const char* thePpm = std::getenv("PROBE_PPM")) WritePpm(thePpm, theFrame);
  long theLit = 0;
  for (size_t i = 0; i < theFrame.rgba.size(); i += 4)
    if (theFrame.rgba[i] > 16 || theFrame.rgba[i + 1] > 16 || theFrame.rgba[i + 2] > 16) ++theLit;
  const unsigned char* c = theFrame.Pixel(theFrame.width / 2, theFrame.height / 2);
  if (FILE* theFile = std::fopen("frames.txt", "a")) {
    std::fprintf(theFile, "%d %d %d %ld %02X%02X%02X\n", inInfo->elapsed, theFrame.width, theFrame.height, theLit,
                 c[0], c[1], c[2]);
    std::fclose(theFile);
  }
  return true;
}
