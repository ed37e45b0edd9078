#include "textureimage.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstring>

#include "imageryhost.h"

SDL_Surface* DecodeImage(SDL_RWops* inStream) {
  SDL_Surface* theImage = IMG_Load_RW(inStream, 0);
  if (!theImage) return nullptr;
  SDL_PixelFormat theFormat;
  memset(&theFormat, 0, sizeof theFormat);
  theFormat.BitsPerPixel = 32;
  theFormat.BytesPerPixel = 4;
  theFormat.Rmask = TEXTURE_RED_MASK;
  theFormat.Gmask = TEXTURE_GREEN_MASK;
  theFormat.Bmask = TEXTURE_BLUE_MASK;
  theFormat.Amask = TEXTURE_ALPHA_MASK;
  theFormat.Rshift = 16;
  theFormat.Gshift = 8;
  theFormat.Bshift = 0;
  theFormat.Ashift = 24;
  theFormat.alpha = SDL_ALPHA_OPAQUE;  // images without alpha come out opaque
  SDL_Surface* theConverted = SDL_ConvertSurface(theImage, &theFormat, SDL_SWSURFACE);
  SDL_FreeSurface(theImage);
  return theConverted;
}

void MakeMask(SDL_Surface* ioImage) {
  SDL_LockSurface(ioImage);
  for (int y = 0; y < ioImage->h; ++y) {
    Uint32* theRow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(ioImage->pixels) + y * ioImage->pitch);
    for (int x = 0; x < ioImage->w; ++x) {
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
  SDL_UnlockSurface(ioImage);
}

uint32_t PaddedExtent(int32_t inSize) {
  uint32_t theExtent = 1;
  while (theExtent < static_cast<uint32_t>(inSize)) {
    if (theExtent >= 0x40000000u) return 0;
    theExtent <<= 1;
  }
  return theExtent;
}

bool MakeTexture(TextureRecord& ioRecord, SDL_Surface* inImage) {
  GLint theOldBinding = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theOldBinding);
  glDeleteTextures(1, &ioRecord.texture);
  glGenTextures(1, &ioRecord.texture);

  uint32_t theWidth = PaddedExtent(inImage->w);
  uint32_t theHeight = PaddedExtent(inImage->h);
  ioRecord.width = inImage->w;
  ioRecord.height = inImage->h;
  ioRecord.sExtent = theWidth ? static_cast<float>(inImage->w) / static_cast<float>(theWidth) : 0.0f;
  ioRecord.tExtent = theHeight ? static_cast<float>(inImage->h) / static_cast<float>(theHeight) : 0.0f;

  SDL_Surface* thePadded = nullptr;
  if (theWidth && theHeight) {
    thePadded = SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(theWidth), static_cast<int>(theHeight), 32,
                                     TEXTURE_RED_MASK, TEXTURE_GREEN_MASK, TEXTURE_BLUE_MASK, TEXTURE_ALPHA_MASK);
  }
  if (!thePadded) {
    ImageryWarn("SDL_CreateRGBSurface return 0: probably out of memory");
    return false;
  }

  SDL_LockSurface(inImage);
  SDL_LockSurface(thePadded);
  const Uint8* theSource = static_cast<const Uint8*>(inImage->pixels);
  Uint8* theTarget = static_cast<Uint8*>(thePadded->pixels);
  size_t theRowBytes = static_cast<size_t>(inImage->w) * 4;
  size_t thePaddedRowBytes = static_cast<size_t>(thePadded->pitch);
  for (int y = 0; y < inImage->h; ++y) {
    Uint8* theRow = theTarget + y * thePaddedRowBytes;
    memcpy(theRow, theSource + y * inImage->pitch, theRowBytes);
    memset(theRow + theRowBytes, 0, thePaddedRowBytes - theRowBytes);
  }
  memset(theTarget + inImage->h * thePaddedRowBytes, 0, (theHeight - inImage->h) * thePaddedRowBytes);
  SDL_UnlockSurface(inImage);

  GLint theOldAlignment = 4;
  GLint theOldRowLength = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &theOldAlignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &theOldRowLength);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, thePadded->pitch / 4);

  glBindTexture(GL_TEXTURE_2D, ioRecord.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(theWidth), static_cast<GLsizei>(theHeight), 0,
               GL_BGRA, GL_UNSIGNED_BYTE, thePadded->pixels);
  SDL_UnlockSurface(thePadded);
  SDL_FreeSurface(thePadded);

  glPixelStorei(GL_UNPACK_ALIGNMENT, theOldAlignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, theOldRowLength);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(theOldBinding));
  return true;
}
