// ResourceFont: one font file rendered at one pixel size into a texture atlas,
// as handed out by fonts.so for resources of kind FONT.
//
// Other plug-ins receive a ResourceFont through the player's registry
// (useResource(KIND_FONT, nameIndex, &size, ...), userData = pointer to the
// int32_t pixel size) and read it: the atlas texture, each code's place in
// it and its metrics. They release it with releaseResource(KIND_FONT,
// nameIndex, &size): the release goes by name and size, never by the
// record's address.
#pragma once

#include <cstddef>
#include <cstdint>

enum { FONT_CODE_COUNT = 256, FONT_NAME_CAPACITY = 512 };

// Fixed layout (no pointers): 7696 bytes.
struct ResourceFont {
  uint32_t texture;                 // OpenGL texture name of the atlas
  float atlasWidth;                 // texels, a power of two
  float atlasHeight;                // texels, a power of two
  int32_t glyphX[FONT_CODE_COUNT];  // texels: left column of the code's image in the atlas
  int32_t glyphY[FONT_CODE_COUNT];  // texels: top row of the code's image in the atlas
  char name[FONT_NAME_CAPACITY];    // resource name as requested, zero-terminated
  int32_t size;                     // pixels: the size the font was loaded at
  int32_t advance[FONT_CODE_COUNT]; // 16.16 fixed point pixels; 0 for a code that failed to load
  int32_t left[FONT_CODE_COUNT];    // pixels: left bearing of the image
  int32_t top[FONT_CODE_COUNT];     // pixels: baseline up to the image's top row
  int32_t width[FONT_CODE_COUNT];   // pixels: image width
  int32_t height[FONT_CODE_COUNT];  // pixels: image height
};
static_assert(sizeof(ResourceFont) == 7696, "ResourceFont is 7696 bytes");
static_assert(offsetof(ResourceFont, atlasWidth) == 4 && offsetof(ResourceFont, atlasHeight) == 8 &&
                  offsetof(ResourceFont, glyphX) == 12 && offsetof(ResourceFont, glyphY) == 1036 &&
                  offsetof(ResourceFont, name) == 2060 && offsetof(ResourceFont, size) == 2572 &&
                  offsetof(ResourceFont, advance) == 2576 && offsetof(ResourceFont, left) == 3600 &&
                  offsetof(ResourceFont, top) == 4624 && offsetof(ResourceFont, width) == 5648 &&
                  offsetof(ResourceFont, height) == 6672,
              "ResourceFont layout");
