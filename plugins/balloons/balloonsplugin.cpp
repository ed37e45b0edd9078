// Entry points of balloons.so.
#include "balloonshost.h"
#include "textballoon.h"

WarnFunction gWarn = nullptr;
UseResourceFunction gUseResource = nullptr;
ReleaseResourceFunction gReleaseResource = nullptr;
GetTextFunction gGetText = nullptr;
void* gState = nullptr;

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** /*outputSurfaces*/, SDL_Surface** /*inputSurfaces*/,
                               void** inHostTable) {
  if (!inHostTable) return false;
  gState = inHostTable[HOST_STATE];
  gWarn = reinterpret_cast<WarnFunction>(inHostTable[HOST_WARN]);
  gUseResource = reinterpret_cast<UseResourceFunction>(inHostTable[HOST_USE_RESOURCE]);
  gReleaseResource = reinterpret_cast<ReleaseResourceFunction>(inHostTable[HOST_RELEASE_RESOURCE]);
  gGetText = reinterpret_cast<GetTextFunction>(inHostTable[HOST_GET_TEXT]);
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t /*value*/) { return true; }

ZORBIT_EXPORT bool Zorbit_Quit() {
  EndAllTextBalloons();
  return true;
}
