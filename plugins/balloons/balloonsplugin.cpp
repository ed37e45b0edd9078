// Entry points of balloons.so.
#include "balloonshost.h"
#include "textballoon.h"

zorbit::Host gHost;

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** /*outputSurfaces*/, SDL_Surface** /*inputSurfaces*/,
                               void** inHostTable) {
  if (!inHostTable) return false;
  gHost.Attach(inHostTable);
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t /*value*/) { return true; }

ZORBIT_EXPORT bool Zorbit_Quit() {
  EndAllTextBalloons();
  return true;
}
