#include "pngfile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
  void operator()(FILE* inFile) const { std::fclose(inFile); }
};

void SetError(std::string* outError, const std::string& inText) {
  if (outError) *outError = inText;
}

}  // namespace

bool WritePng(const std::string& inPath, const Image& inImage, std::string* outError) {
  if (inImage.width <= 0 || inImage.height <= 0 ||
      inImage.rgba.size() != static_cast<size_t>(inImage.width) * inImage.height * 4) {
    SetError(outError, "image has no pixels");
    return false;
  }
  std::unique_ptr<FILE, FileCloser> theFile(std::fopen(inPath.c_str(), "wb"));
  if (!theFile) {
    SetError(outError, inPath + ": " + std::strerror(errno));
    return false;
  }
  png_structp thePng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop theInfo = thePng ? png_create_info_struct(thePng) : nullptr;
  if (!theInfo) {
    png_destroy_write_struct(&thePng, nullptr);
    SetError(outError, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(thePng))) {
    png_destroy_write_struct(&thePng, &theInfo);
    SetError(outError, inPath + ": write failed");
    return false;
  }
  png_init_io(thePng, theFile.get());
  // Frames are written often: fast compression keeps capture quick.
  png_set_compression_level(thePng, 1);
  png_set_IHDR(thePng, theInfo, inImage.width, inImage.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(thePng, theInfo);
  for (int y = 0; y < inImage.height; ++y)
    png_write_row(thePng, const_cast<png_bytep>(inImage.Pixel(0, y)));
  png_write_end(thePng, nullptr);
  png_destroy_write_struct(&thePng, &theInfo);
  if (std::fflush(theFile.get()) != 0) {
    SetError(outError, inPath + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

bool ReadPng(const std::string& inPath, Image& outImage, std::string* outError) {
  png_image theImage;
  std::memset(&theImage, 0, sizeof theImage);
  theImage.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&theImage, inPath.c_str())) {
    SetError(outError, inPath + ": " + theImage.message);
    return false;
  }
  theImage.format = PNG_FORMAT_RGBA;
  outImage.width = static_cast<int>(theImage.width);
  outImage.height = static_cast<int>(theImage.height);
  outImage.rgba.assign(PNG_IMAGE_SIZE(theImage), 0);
  if (!png_image_finish_read(&theImage, nullptr, outImage.rgba.data(), 0, nullptr)) {
    SetError(outError, inPath + ": " + theImage.message);
    png_image_free(&theImage);
    return false;
  }
  return true;
}
