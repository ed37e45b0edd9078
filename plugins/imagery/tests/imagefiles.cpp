#include "imagefiles.h"

#include <SDL/SDL.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

TestImage MakePatternImage(int inWidth, int inHeight, bool inWithAlpha) {
  TestImage theImage{inWidth, inHeight, {}};
  theImage.pixels.resize(static_cast<size_t>(inWidth) * inHeight);
  for (int y = 0; y < inHeight; ++y) {
    for (int x = 0; x < inWidth; ++x) {
      uint32_t theRed = (x * 37 + 11) & 0xFF;
      uint32_t theGreen = (y * 59 + 23) & 0xFF;
      uint32_t theBlue = (x * 13 + y * 7 + 101) & 0xFF;
      uint32_t theAlpha = inWithAlpha ? ((x + y) * 17 + 40) & 0xFF : 0xFF;
      theImage.pixels[static_cast<size_t>(y) * inWidth + x] =
          (theAlpha << 24) | (theRed << 16) | (theGreen << 8) | theBlue;
    }
  }
  return theImage;
}

bool WritePng(const std::string& inPath, const TestImage& inImage, bool inWithAlpha) {
  FILE* theFile = fopen(inPath.c_str(), "wb");
  if (!theFile) return false;
  png_structp thePng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop theInfo = png_create_info_struct(thePng);
  if (setjmp(png_jmpbuf(thePng))) {
    png_destroy_write_struct(&thePng, &theInfo);
    fclose(theFile);
    return false;
  }
  png_init_io(thePng, theFile);
  png_set_IHDR(thePng, theInfo, inImage.width, inImage.height, 8,
               inWithAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(thePng, theInfo);
  int theChannels = inWithAlpha ? 4 : 3;
  std::vector<png_byte> theRow(static_cast<size_t>(inImage.width) * theChannels);
  for (int y = 0; y < inImage.height; ++y) {
    for (int x = 0; x < inImage.width; ++x) {
      uint32_t thePixel = inImage.At(x, y);
      png_byte* theOut = &theRow[static_cast<size_t>(x) * theChannels];
      theOut[0] = (thePixel >> 16) & 0xFF;
      theOut[1] = (thePixel >> 8) & 0xFF;
      theOut[2] = thePixel & 0xFF;
      if (inWithAlpha) theOut[3] = thePixel >> 24;
    }
    png_write_row(thePng, theRow.data());
  }
  png_write_end(thePng, nullptr);
  png_destroy_write_struct(&thePng, &theInfo);
  return fclose(theFile) == 0;
}

bool WritePalettePng(const std::string& inPath, const TestImage& inImage) {
  std::vector<uint32_t> theColours{0};  // entry 0: the transparent one
  std::vector<png_byte> theIndexes;
  for (uint32_t thePixel : inImage.pixels) {
    uint32_t theColour = (thePixel >> 24) == 0 ? 0 : (thePixel | 0xFF000000u);
    size_t theIndex = 0;
    while (theIndex < theColours.size() && theColours[theIndex] != theColour) ++theIndex;
    if (theIndex == theColours.size()) theColours.push_back(theColour);
    if (theIndex > 255) return false;
    theIndexes.push_back(static_cast<png_byte>(theIndex));
  }
  FILE* theFile = fopen(inPath.c_str(), "wb");
  if (!theFile) return false;
  png_structp thePng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop theInfo = png_create_info_struct(thePng);
  if (setjmp(png_jmpbuf(thePng))) {
    png_destroy_write_struct(&thePng, &theInfo);
    fclose(theFile);
    return false;
  }
  png_init_io(thePng, theFile);
  png_set_IHDR(thePng, theInfo, inImage.width, inImage.height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> thePalette;
  for (uint32_t theColour : theColours) {
    thePalette.push_back(png_color{static_cast<png_byte>(theColour >> 16), static_cast<png_byte>(theColour >> 8),
                                   static_cast<png_byte>(theColour)});
  }
  png_set_PLTE(thePng, theInfo, thePalette.data(), static_cast<int>(thePalette.size()));
  png_byte theTransparent = 0;
  png_set_tRNS(thePng, theInfo, &theTransparent, 1, nullptr);
  png_write_info(thePng, theInfo);
  for (int y = 0; y < inImage.height; ++y) png_write_row(thePng, &theIndexes[static_cast<size_t>(y) * inImage.width]);
  png_write_end(thePng, nullptr);
  png_destroy_write_struct(&thePng, &theInfo);
  return fclose(theFile) == 0;
}

bool WriteBmp(const std::string& inPath, const TestImage& inImage) {
  SDL_Surface* theSurface =
      SDL_CreateRGBSurface(SDL_SWSURFACE, inImage.width, inImage.height, 24, 0xFF0000, 0xFF00, 0xFF, 0);
  if (!theSurface) return false;
  SDL_LockSurface(theSurface);
  for (int y = 0; y < inImage.height; ++y) {
    Uint8* theRow = static_cast<Uint8*>(theSurface->pixels) + y * theSurface->pitch;
    for (int x = 0; x < inImage.width; ++x) {
      uint32_t thePixel = inImage.At(x, y);
      theRow[x * 3 + 0] = thePixel & 0xFF;  // 24-bit little-endian: blue first
      theRow[x * 3 + 1] = (thePixel >> 8) & 0xFF;
      theRow[x * 3 + 2] = (thePixel >> 16) & 0xFF;
    }
  }
  SDL_UnlockSurface(theSurface);
  bool theOk = SDL_SaveBMP(theSurface, inPath.c_str()) == 0;
  SDL_FreeSurface(theSurface);
  return theOk;
}

bool WriteJpeg(const std::string& inPath, const TestImage& inImage) {
  std::string thePng = inPath + ".source.png";
  if (!WritePng(thePng, inImage, false)) return false;
  // The real ImageMagick when it is there; a wrapper earlier on PATH may not write JPEG.
  const char* theConvert = access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
  std::string theCommand = std::string(theConvert) + " '" + thePng + "' -quality 100 -sampling-factor 1x1 '" +
                           inPath + "' 2>/dev/null";
  bool theOk = system(theCommand.c_str()) == 0;
  unlink(thePng.c_str());
  return theOk;
}
