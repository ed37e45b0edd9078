#include "testwindow.h"

#include <GL/glew.h>
#include <SDL/SDL.h>
#include <png.h>

#include <cstdio>
#include <cstring>

#include "guifactory.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>
#include "opengldriver.h"

::testing::AssertionResult EnsureGuiWindow() {
  static bool theOpen = false;
  if (theOpen) return ::testing::AssertionSuccess();
  PinOpenGLDriver();
  for (int theTry = 0; theTry < 50 && !theOpen; ++theTry) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
      if (SDL_SetVideoMode(320, 240, 0, SDL_OPENGL))
        theOpen = true;
      else
        SDL_Quit();
    }
    if (!theOpen) SDL_Delay(100);
  }
  if (!theOpen) return ::testing::AssertionFailure() << "no OpenGL window: " << SDL_GetError();
  if (glewInit() != GLEW_OK) return ::testing::AssertionFailure() << "glewInit failed";
  static OGLState theState(320, 240);
  MakeCurrent(&theState);
  SetViewport(0, 0, 320, 240);
  SetProjection(0, 320, 240, 0, -1, 1, true);
  SetFactory(new OGLGUIFactory());
  return ::testing::AssertionSuccess();
}

std::vector<uint8_t> ReadPixels(int inWidth, int inHeight) {
  std::vector<uint8_t> theRaw(static_cast<size_t>(inWidth) * inHeight * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, inWidth, inHeight, GL_RGBA, GL_UNSIGNED_BYTE, theRaw.data());
  std::vector<uint8_t> theFlipped(theRaw.size());
  const size_t theRow = static_cast<size_t>(inWidth) * 4;
  for (int y = 0; y < inHeight; ++y)
    std::copy(theRaw.begin() + static_cast<long>((inHeight - 1 - y) * theRow),
              theRaw.begin() + static_cast<long>((inHeight - y) * theRow), theFlipped.begin() + static_cast<long>(y * theRow));
  return theFlipped;
}

uint32_t PixelAt(const std::vector<uint8_t>& inPixels, int inWidth, int inX, int inY) {
  const uint8_t* p = &inPixels[(static_cast<size_t>(inY) * inWidth + inX) * 4];
  return (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

bool WritePng(const std::string& inPath, const std::vector<uint8_t>& inRgba, int inWidth, int inHeight) {
  FILE* theFile = std::fopen(inPath.c_str(), "wb");
  if (!theFile) return false;
  png_structp thePng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop theInfo = thePng ? png_create_info_struct(thePng) : nullptr;
  if (!theInfo || setjmp(png_jmpbuf(thePng))) {
    png_destroy_write_struct(&thePng, theInfo ? &theInfo : nullptr);
    std::fclose(theFile);
    return false;
  }
  png_init_io(thePng, theFile);
  png_set_IHDR(thePng, theInfo, static_cast<png_uint_32>(inWidth), static_cast<png_uint_32>(inHeight), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(thePng, theInfo);
  for (int y = 0; y < inHeight; ++y)
    png_write_row(thePng, const_cast<png_bytep>(&inRgba[static_cast<size_t>(y) * inWidth * 4]));
  png_write_end(thePng, nullptr);
  png_destroy_write_struct(&thePng, &theInfo);
  std::fclose(theFile);
  return true;
}

bool ReadPng(const std::string& inPath, std::vector<uint8_t>& outRgba, int& outWidth, int& outHeight) {
  png_image theImage;
  std::memset(&theImage, 0, sizeof theImage);
  theImage.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&theImage, inPath.c_str())) return false;
  theImage.format = PNG_FORMAT_RGBA;
  outRgba.assign(PNG_IMAGE_SIZE(theImage), 0);
  if (!png_image_finish_read(&theImage, nullptr, outRgba.data(), 0, nullptr)) {
    png_image_free(&theImage);
    return false;
  }
  outWidth = static_cast<int>(theImage.width);
  outHeight = static_cast<int>(theImage.height);
  return true;
}
