// textprobe.so, a test plug-in: its effect SnapFrame, placed on the highest
// track, reads the frame shown last (the back buffer, which Mesa keeps
// across the swap) at the start of each frame's running calls and writes it
// to "frame.ppm" in the working directory, top row first.
#include "shownframe.h"
#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**) { return true; }
ZORBIT_EXPORT bool Zorbit_Quit() { return true; }
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool SnapFrame(FrameInfo* inInfo, void**) {
  if (inInfo->phase != PHASE_RUN) return true;
  ShownFrame theFrame;
  if (ReadShownFrame(theFrame)) WritePpm("frame.ppm", theFrame);
  return true;
}
