#include "textureimage.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstring>

#include "imageryhost.h"

SDL_Surface* DecodeImage(SDL_RWops* inStream) { return IMG_Load_RW(inStream, 0); }

uint32_t PaddedExtent(int32_t inSize) {
  uint32_t theExtent = 1;
  while (theExtent < static_cast<uint32_t>(inSize)) {
    if (theExtent >= 0x40000000u) return 0;
    theExtent <<= 1;
  }
  return theExtent;
}

namespace {

// The layouts PNG and most decoders give, copied row by row without SDL's
// general blitter (which takes twice as long). False for any other layout.
bool CopyCommonLayout(SDL_Surface* inImage, SDL_Surface* ioPadded) {
  const SDL_PixelFormat* theFormat = inImage->format;
  if (theFormat->BytesPerPixel != 4 || (inImage->flags & SDL_SRCCOLORKEY)) return false;
  bool theIsTarget = theFormat->Rmask == TEXTURE_RED_MASK && theFormat->Gmask == TEXTURE_GREEN_MASK &&
                     theFormat->Bmask == TEXTURE_BLUE_MASK && theFormat->Amask == TEXTURE_ALPHA_MASK;
  bool theIsSwapped = theFormat->Rmask == 0x000000FFu && theFormat->Gmask == 0x0000FF00u &&
                      theFormat->Bmask == 0x00FF0000u && theFormat->Amask == 0xFF000000u;
  if (!theIsTarget && !theIsSwapped) return false;
  SDL_LockSurface(inImage);
  SDL_LockSurface(ioPadded);
  for (int y = 0; y < inImage->h; ++y) {
    const Uint32* theSource =
        reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(inImage->pixels) + y * inImage->pitch);
    Uint32* theTarget = reinterpret_cast<Uint32*>(static_cast<Uint8*>(ioPadded->pixels) + y * ioPadded->pitch);
    if (theIsTarget) {
      memcpy(theTarget, theSource, static_cast<size_t>(inImage->w) * 4);
    } else {
      for (int x = 0; x < inImage->w; ++x) {
        Uint32 thePixel = theSource[x];  // 0xAABBGGRR: swap red and blue
        theTarget[x] = (thePixel & 0xFF00FF00u) | ((thePixel & 0xFFu) << 16) | ((thePixel >> 16) & 0xFFu);
      }
    }
  }
  SDL_UnlockSurface(ioPadded);
  SDL_UnlockSurface(inImage);
  return true;
}

}  // namespace

SDL_Surface* MakePaddedPixels(SDL_Surface* inImage) {
  uint32_t theWidth = PaddedExtent(inImage->w);
  uint32_t theHeight = PaddedExtent(inImage->h);
  if (!theWidth || !theHeight) return nullptr;
  SDL_Surface* thePadded =
      SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(theWidth), static_cast<int>(theHeight), 32,
                           TEXTURE_RED_MASK, TEXTURE_GREEN_MASK, TEXTURE_BLUE_MASK, TEXTURE_ALPHA_MASK);
  if (!thePadded) return nullptr;  // SDL hands out its software surfaces zeroed
  if (CopyCommonLayout(inImage, thePadded)) return thePadded;
  // Without SDL_SRCALPHA on the source a blit copies alpha instead of
  // blending with it; a colour key stays, so keyed pixels keep their zeros.
  Uint32 theAlphaFlags = inImage->flags & (SDL_SRCALPHA | SDL_RLEACCELOK);
  Uint8 theSurfaceAlpha = inImage->format->alpha;
  if (theAlphaFlags & SDL_SRCALPHA) SDL_SetAlpha(inImage, 0, SDL_ALPHA_OPAQUE);
  SDL_Rect theTarget = {0, 0, 0, 0};
  int theResult = SDL_BlitSurface(inImage, nullptr, thePadded, &theTarget);
  if (theAlphaFlags & SDL_SRCALPHA) SDL_SetAlpha(inImage, theAlphaFlags, theSurfaceAlpha);
  if (theResult != 0) {
    SDL_FreeSurface(thePadded);
    return nullptr;
  }
  return thePadded;
}

void MakeMask(SDL_Surface* ioPixels) {
  SDL_LockSurface(ioPixels);
  for (int y = 0; y < ioPixels->h; ++y) {
    Uint32* theRow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(ioPixels->pixels) + y * ioPixels->pitch);
    for (int x = 0; x < ioPixels->w; ++x) {
      Uint32 thePixel = theRow[x];
      Uint32 theRed = (thePixel >> 16) & 0xFF;
      Uint32 theGreen = (thePixel >> 8) & 0xFF;
      Uint32 theBlue = thePixel & 0xFF;
      // In hundredths, so the weights are exact: white gives 255, not 254.99.
      Uint32 theLevel = (30 * theRed + 59 * theGreen + 11 * theBlue) / 100;
      if (theLevel > 255) theLevel = 255;
      theRow[x] = theLevel << 24;
    }
  }
  SDL_UnlockSurface(ioPixels);
}

void UploadTexture(TextureRecord& ioRecord, SDL_Surface* inPadded, int32_t inWidth, int32_t inHeight) {
  GLint theOldBinding = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theOldBinding);
  glDeleteTextures(1, &ioRecord.texture);
  glGenTextures(1, &ioRecord.texture);

  ioRecord.width = inWidth;
  ioRecord.height = inHeight;
  ioRecord.sExtent = static_cast<float>(inWidth) / static_cast<float>(inPadded->w);
  ioRecord.tExtent = static_cast<float>(inHeight) / static_cast<float>(inPadded->h);

  GLint theOldAlignment = 4;
  GLint theOldRowLength = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &theOldAlignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &theOldRowLength);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, inPadded->pitch / 4);

  glBindTexture(GL_TEXTURE_2D, ioRecord.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  SDL_LockSurface(inPadded);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, inPadded->w, inPadded->h, 0, GL_BGRA, GL_UNSIGNED_BYTE, inPadded->pixels);
  SDL_UnlockSurface(inPadded);

  glPixelStorei(GL_UNPACK_ALIGNMENT, theOldAlignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, theOldRowLength);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(theOldBinding));
}
