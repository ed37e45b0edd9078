#include "atlasdump.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

bool WriteAtlasPng(const char* inPath, const FontAtlas& inAtlas) {
  if (inAtlas.width <= 0 || inAtlas.height <= 0) return false;
  FILE* theFile = fopen(inPath, "wb");
  if (!theFile) return false;
  png_structp thePng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop theInfo = thePng ? png_create_info_struct(thePng) : nullptr;
  if (!theInfo) {
    png_destroy_write_struct(&thePng, nullptr);
    fclose(theFile);
    return false;
  }
  std::vector<uint8_t> theRow(size_t(inAtlas.width) * 4);
  if (setjmp(png_jmpbuf(thePng))) {
    png_destroy_write_struct(&thePng, &theInfo);
    fclose(theFile);
    return false;
  }
  png_init_io(thePng, theFile);
  png_set_IHDR(thePng, theInfo, png_uint_32(inAtlas.width), png_uint_32(inAtlas.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(thePng, theInfo);
  for (int32_t y = 0; y < inAtlas.height; ++y) {
    const uint32_t* theSource = inAtlas.pixels.data() + size_t(y) * size_t(inAtlas.width);
    for (int32_t x = 0; x < inAtlas.width; ++x) {
      const uint32_t theTexel = theSource[x];  // 0xAARRGGBB
      theRow[size_t(x) * 4 + 0] = uint8_t(theTexel >> 16);
      theRow[size_t(x) * 4 + 1] = uint8_t(theTexel >> 8);
      theRow[size_t(x) * 4 + 2] = uint8_t(theTexel);
      theRow[size_t(x) * 4 + 3] = uint8_t(theTexel >> 24);
    }
    png_write_row(thePng, theRow.data());
  }
  png_write_end(thePng, nullptr);
  png_destroy_write_struct(&thePng, &theInfo);
  return fclose(theFile) == 0;
}

std::string AtlasDumpPath(const ResourceFont& inFont) {
  const char* theFolder = getenv("ZORBIT_DUMP_ATLAS");
  if (!theFolder || !*theFolder) return std::string();
  const char* theName = strrchr(inFont.name, '/');
  theName = theName ? theName + 1 : inFont.name;
  std::string thePath(theFolder);
  if (thePath.back() != '/') thePath += '/';
  thePath += "atlas-";
  for (const char* p = theName; *p; ++p) {
    const char c = *p;
    const bool theKept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '.' || c == '-' || c == '_';
    thePath += theKept ? c : '_';
  }
  thePath += '-';
  thePath += std::to_string(inFont.size);
  thePath += ".png";
  return thePath;
}
