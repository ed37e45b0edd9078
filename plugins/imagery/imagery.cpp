// imagery.so: image files as OpenGL textures (resource kind 'TXTR') and
// movies made of numbered image sequences (the MakeMovie effect).
#include <SDL/SDL.h>

#include "imageryhost.h"
#include "movietable.h"
#include "texturetable.h"
#include <zorbit/zorbit.h>

ZORBIT_EXPORT void* ProduceTexture(const char* inName, void* /*inUserData*/, bool& outIsStatic) {
  outIsStatic = true;
  if (!inName) return nullptr;
  bool theIsMovie = false;
  TextureRecord* theFrame = FindMovieFrame(inName, theIsMovie);
  if (theIsMovie) outIsStatic = false;
  if (theFrame) return theFrame;  // movie frames are not counted for their users
  return ProduceTextureFile(inName);
}

ZORBIT_EXPORT bool ReleaseTexture(const char* inName, void* /*inResource*/) {
  if (!inName) return false;
  return ReleaseTextureRecord(inName);
}

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** /*inOutputs*/, SDL_Surface** /*inInputs*/, void** inHostTable) {
  if (!inHostTable || !inHostTable[HOST_REGISTER_KIND] || !inHostTable[HOST_GET_TEXT] ||
      !inHostTable[HOST_OPEN_STREAM] || !inHostTable[HOST_CLOSE_STREAM]) {
    return false;
  }
  gHost.Attach(inHostTable);
  gHost.Register(KIND_TXTR, &ProduceTexture, &ReleaseTexture);
  ResetTextureTable();
  ResetMovieTable();
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t /*inValue*/) { return true; }

ZORBIT_EXPORT bool Zorbit_Quit() {
  EndAllMovies();
  DropAllTextures();
  return true;
}

ZORBIT_EXPORT bool MakeMovie(FrameInfo* ioInfo, void** ioSlot, int32_t inNameText, int32_t inPatternText,
                             int32_t inFrame) {
  return RunMakeMovie(ioInfo, ioSlot, inNameText, inPatternText, inFrame);
}
