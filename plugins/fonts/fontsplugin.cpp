// Entry points of fonts.so and the host services it keeps.
#include "fontcache.h"
#include "fontlookup.h"
#include "fontshost.h"
#include <zorbit/oglstate.h>
#include "text3d.h"
#include "textswarm3d.h"

zorbit::Host gHost;
FT_Library gFreeType = nullptr;

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** /*outputSurfaces*/, SDL_Surface** /*inputSurfaces*/,
                               void** inHostTable) {
  if (!inHostTable) return false;
  gHost.Attach(inHostTable);
  gHost.Register(KIND_FONT, ProduceFont, ReleaseFont);
  AttachState(static_cast<OGLState*>(gHost.state));
  ResetFontCache();
  if (gFreeType) {
    // A second initialisation without a Quit in between: keep one library.
    FT_Done_FreeType(gFreeType);
    gFreeType = nullptr;
  }
  const FT_Error theError = FT_Init_FreeType(&gFreeType);
  if (theError) {
    gFreeType = nullptr;
    gHost.Warn("Could not initialize FreeType2 Library: Error %d\n", int(theError));
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
