// The glyph atlas of one font: the 256 codes rendered with FreeType, identical
// images stored once, packed left to right in rows into one texture image.
//
// This is the CPU half of loading a font; fontcache.cpp uploads the result
// as an OpenGL texture. Nothing here needs an OpenGL context.
#pragma once

#include <cstddef>
#include <cstdint>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "fontsapi.h"

// Atlases wider than this many texels trade width for more rows.
enum { ATLAS_WIDTH_LIMIT = 2048 };

// Texels that start all zero, from calloc, which clears only memory it had
// handed out before: a block fresh from the system comes zeroed, and a large
// atlas then costs only the pages its glyphs are written to.
class AtlasTexels {
 public:
  AtlasTexels() = default;
  ~AtlasTexels() { Release(); }
  AtlasTexels(AtlasTexels&& ioOther) noexcept;
  AtlasTexels& operator=(AtlasTexels&& ioOther) noexcept;
  AtlasTexels(const AtlasTexels&) = delete;
  AtlasTexels& operator=(const AtlasTexels&) = delete;

  // Exactly inCount texels, all 0, in place of any held before; false (and
  // none) when they cannot be had.
  bool Allocate(size_t inCount);
  uint32_t* data() { return mTexels; }
  const uint32_t* data() const { return mTexels; }
  size_t size() const { return mCount; }
  uint32_t& operator[](size_t inIndex) { return mTexels[inIndex]; }
  uint32_t operator[](size_t inIndex) const { return mTexels[inIndex]; }

 private:
  void Release();
  uint32_t* mTexels = nullptr;
  size_t mCount = 0;
};

struct FontAtlas {
  int32_t width = 0;   // texels, a power of two
  int32_t height = 0;  // texels, a power of two
  // width * height texels, 0xAARRGGBB: white with the glyph's coverage as
  // alpha, 0 where empty. In memory (little-endian) blue, green, red, alpha,
  // which is what GL_BGRA + GL_UNSIGNED_BYTE expects.
  AtlasTexels pixels;
};

enum AtlasResult {
  ATLAS_OK,
  ATLAS_NO_GLYPH_MEMORY,  // the glyph images could not be held
  ATLAS_NO_ATLAS_MEMORY,  // the atlas pixels could not be had
};

// The atlas size the packing rule starts from, for inTotalWidth texels of
// images (each image's width + 1) at a pixel size of inSize: the width
// doubles from 1 until it holds the total; rows are inSize + 1 apart; while
// the width exceeds ATLAS_WIDTH_LIMIT it halves and the row count doubles;
// the height is the first power of two holding those rows.
void AtlasSizeFor(int64_t inTotalWidth, int32_t inSize, int32_t& outWidth, int32_t& outHeight);

// Renders codes 0 to 255 of inFace, whose pixel size must already be set to
// inSize, fills every metric and glyph position of ioFont (texture, name and
// size are left alone) and builds outAtlas. A code whose glyph cannot be
// loaded gets advance, width and height 0. Codes that map to the same glyph
// of the face are rendered once and share its image.
//
// Rows are inSize + 1 texels apart; a row holding an image taller than that
// pushes the next row down so that no image overlaps another, and the atlas
// grows (power of two) whenever the packed rows need more height than the
// size rule gives. An image wider than the atlas widens it.
AtlasResult BuildFontAtlas(FT_Face inFace, int32_t inSize, ResourceFont& ioFont, FontAtlas& outAtlas);
