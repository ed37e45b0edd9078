// Entry points of fonts.so and the host services it keeps.
#include <cstdarg>
#include <cstdio>

#include "fontcache.h"
#include "fontlookup.h"
#include "fontshost.h"
#include "oglstate.h"
#include "text3d.h"
#include "textswarm3d.h"
#include "zorbit.h"
#include "zorbitplugin.h"

WarnFunction gWarn = nullptr;
UseResourceFunction gUseResource = nullptr;
ReleaseResourceFunction gReleaseResource = nullptr;
GetTextFunction gGetText = nullptr;
FT_Library gFreeType = nullptr;

void FontsWarn(const char* inFormat, ...) {
  va_list theArguments;
  va_start(theArguments, inFormat);
  zorbit::WarnV(gWarn, "", inFormat, theArguments);
  va_end(theArguments);
}

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** /*outputSurfaces*/, SDL_Surface** /*inputSurfaces*/,
                               void** inHostTable) {
  if (!inHostTable) return false;
  gWarn = reinterpret_cast<WarnFunction>(inHostTable[HOST_WARN]);
  gUseResource = reinterpret_cast<UseResourceFunction>(inHostTable[HOST_USE_RESOURCE]);
  gReleaseResource = reinterpret_cast<ReleaseResourceFunction>(inHostTable[HOST_RELEASE_RESOURCE]);
  gGetText = reinterpret_cast<GetTextFunction>(inHostTable[HOST_GET_TEXT]);
  const RegisterKindFunction theRegister = reinterpret_cast<RegisterKindFunction>(inHostTable[HOST_REGISTER_KIND]);
  if (theRegister) theRegister(KIND_FONT, ProduceFont, ReleaseFont);
  AttachState(static_cast<OGLState*>(inHostTable[HOST_STATE]));
  ResetFontCache();
  if (gFreeType) {
    // A second initialisation without a Quit in between: keep one library.
    FT_Done_FreeType(gFreeType);
    gFreeType = nullptr;
  }
  const FT_Error theError = FT_Init_FreeType(&gFreeType);
  if (theError) {
    gFreeType = nullptr;
    FontsWarn("Could not initialize FreeType2 Library: Error %d\n", int(theError));
    return false;
  }
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t /*value*/) { return true; }

ZORBIT_EXPORT bool Zorbit_Quit() {
  // Events still running at the end get no PHASE_DESTROY; end them here and
  // free the fonts nobody gave back, so that nothing outlives the plug-in.
  EndAllText3D();
  EndAllTextSwarm3D();
  FreeAllFonts();
  if (gFreeType) {
    FT_Done_FreeType(gFreeType);
    gFreeType = nullptr;
  }
  ForgetInstalledFonts();
  return true;
}
