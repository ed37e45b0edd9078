#include "fontatlas.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include FT_GLYPH_H

#include <zorbit/codepage.h>

namespace {

// Rendered coverage bytes of every code, one byte per texel (the atlas's
// 32-bit texel follows from it), kept until packing.
struct GlyphImages {
  std::vector<uint8_t> bytes;     // all images, row by row, back to back
  uint32_t offset[FONT_CODE_COUNT];
  int32_t owner[FONT_CODE_COUNT];  // first code with an identical image (itself when new)
};

uint64_t HashImage(const uint8_t* inBytes, size_t inCount, int32_t inWidth, int32_t inHeight) {
  uint64_t theHash = 1469598103934665603ull ^ (uint64_t(uint32_t(inWidth)) << 32 | uint32_t(inHeight));
  for (size_t i = 0; i < inCount; ++i) {
    theHash = (theHash ^ inBytes[i]) * 1099511628211ull;
  }
  return theHash;
}

// Copies the coverage of a rendered bitmap into outBytes (inWidth x inHeight,
// top row first). Gray bitmaps copy as they are; monochrome ones (bitmap
// strikes) become 0 or 255; any other pixel mode gives an empty image.
bool CopyCoverage(const FT_Bitmap& inBitmap, int32_t inWidth, int32_t inHeight, uint8_t* outBytes) {
  const int32_t thePitch = inBitmap.pitch;
  const uint32_t theStride = uint32_t(thePitch < 0 ? -thePitch : thePitch);
  for (int32_t r = 0; r < inHeight; ++r) {
    // A negative pitch means the bitmap is stored bottom row first.
    const uint32_t theRow = thePitch >= 0 ? uint32_t(r) : inBitmap.rows - 1 - uint32_t(r);
    const uint8_t* theSource = inBitmap.buffer + size_t(theRow) * theStride;
    uint8_t* theTarget = outBytes + size_t(r) * inWidth;
    if (inBitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      memcpy(theTarget, theSource, size_t(inWidth));
    } else if (inBitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int32_t k = 0; k < inWidth; ++k) {
        theTarget[k] = (theSource[k >> 3] & (0x80 >> (k & 7))) ? 255 : 0;
      }
    } else {
      return false;
    }
  }
  return true;
}

// Step one: render every code, record its metrics and keep its image unless
// an earlier code has the same one. Returns the total width (each new
// image's width + 1).
int64_t RenderGlyphs(FT_Face inFace, ResourceFont& ioFont, GlyphImages& outImages) {
  std::unordered_multimap<uint64_t, int32_t> theByHash;
  int64_t theTotalWidth = 0;
  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) {
    ioFont.advance[c] = 0;
    ioFont.left[c] = 0;
    ioFont.top[c] = 0;
    ioFont.width[c] = 0;
    ioFont.height[c] = 0;
    ioFont.glyphX[c] = 0;
    ioFont.glyphY[c] = 0;

    FT_Glyph theGlyph = nullptr;
    const bool theLoaded = FT_Load_Char(inFace, FT_ULong(codepage::ToUnicode(uint8_t(c))), FT_LOAD_RENDER) == 0 &&
                           FT_Get_Glyph(inFace->glyph, &theGlyph) == 0;
    const size_t theStart = outImages.bytes.size();
    if (theLoaded) {
      ioFont.advance[c] = int32_t(theGlyph->advance.x);  // 16.16
      if (theGlyph->format == FT_GLYPH_FORMAT_BITMAP) {
        const FT_BitmapGlyph theBitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(theGlyph);
        FT_BBox theBox;
        FT_Glyph_Get_CBox(theGlyph, FT_GLYPH_BBOX_PIXELS, &theBox);
        // The box of a bitmap glyph is the bitmap itself; never copy more
        // than the bitmap holds.
        const int32_t theWidth = std::min<int32_t>(int32_t(theBox.xMax - theBox.xMin),
                                                   int32_t(theBitmapGlyph->bitmap.width));
        const int32_t theHeight = std::min<int32_t>(int32_t(theBox.yMax - theBox.yMin),
                                                    int32_t(theBitmapGlyph->bitmap.rows));
        ioFont.left[c] = theBitmapGlyph->left;
        ioFont.top[c] = theBitmapGlyph->top;
        if (theWidth > 0 && theHeight > 0) {
          outImages.bytes.resize(theStart + size_t(theWidth) * size_t(theHeight));
          if (CopyCoverage(theBitmapGlyph->bitmap, theWidth, theHeight, outImages.bytes.data() + theStart)) {
            ioFont.width[c] = theWidth;
            ioFont.height[c] = theHeight;
          } else {
            outImages.bytes.resize(theStart);
          }
        }
      }
      FT_Done_Glyph(theGlyph);
    }

    outImages.offset[c] = uint32_t(theStart);
    const size_t theCount = outImages.bytes.size() - theStart;
    const uint8_t* theBytes = outImages.bytes.data() + theStart;
    const uint64_t theHash = HashImage(theBytes, theCount, ioFont.width[c], ioFont.height[c]);
    int32_t theOwner = c;
    auto theRange = theByHash.equal_range(theHash);
    for (auto it = theRange.first; it != theRange.second; ++it) {
      const int32_t theOther = it->second;
      if (ioFont.width[theOther] == ioFont.width[c] && ioFont.height[theOther] == ioFont.height[c] &&
          (theCount == 0 ||
           memcmp(outImages.bytes.data() + outImages.offset[theOther], theBytes, theCount) == 0)) {
        theOwner = theOther;
        break;
      }
    }
    outImages.owner[c] = theOwner;
    if (theOwner == c) {
      theByHash.emplace(theHash, c);
      theTotalWidth += ioFont.width[c] + 1;
    } else {
      outImages.bytes.resize(theStart);  // the earlier copy serves
      outImages.offset[c] = outImages.offset[theOwner];
    }
  }
  return theTotalWidth;
}

int32_t NextPowerOfTwo(int64_t inValue) {
  int64_t theValue = 1;
  while (theValue < inValue) theValue *= 2;
  return int32_t(theValue);
}

}  // namespace

void AtlasSizeFor(int64_t inTotalWidth, int32_t inSize, int32_t& outWidth, int32_t& outHeight) {
  int64_t theWidth = NextPowerOfTwo(inTotalWidth);
  int64_t theRows = int64_t(inSize) + 1;
  while (theWidth > ATLAS_WIDTH_LIMIT) {
    theWidth /= 2;
    theRows *= 2;
  }
  outWidth = int32_t(theWidth);
  outHeight = NextPowerOfTwo(theRows);
}

AtlasResult BuildFontAtlas(FT_Face inFace, int32_t inSize, ResourceFont& ioFont, FontAtlas& outAtlas) {
  GlyphImages theImages;
  int64_t theTotalWidth = 0;
  try {
    theTotalWidth = RenderGlyphs(inFace, ioFont, theImages);
  } catch (const std::bad_alloc&) {
    return ATLAS_NO_GLYPH_MEMORY;
  }

  int32_t theWidth = 0;
  int32_t theHeight = 0;
  AtlasSizeFor(theTotalWidth, inSize, theWidth, theHeight);
  int32_t theWidest = 0;
  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) theWidest = std::max(theWidest, ioFont.width[c]);
  if (theWidest > theWidth) theWidth = NextPowerOfTwo(theWidest);

  // Positions first, so that the atlas can grow before anything is copied.
  const int64_t theRowStep = int64_t(inSize) + 1;
  int64_t theX = 0;
  int64_t theY = 0;
  int64_t theRowHeight = theRowStep;  // distance to the next row: taller images push it down
  int64_t theNeeded = 0;
  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) {
    const int32_t theOwner = theImages.owner[c];
    if (theOwner != c) {
      ioFont.glyphX[c] = ioFont.glyphX[theOwner];
      ioFont.glyphY[c] = ioFont.glyphY[theOwner];
      continue;
    }
    if (theX > 0 && theX + ioFont.width[c] > theWidth) {
      theX = 0;
      theY += theRowHeight;
      theRowHeight = theRowStep;
    }
    ioFont.glyphX[c] = int32_t(theX);
    ioFont.glyphY[c] = int32_t(theY);
    theRowHeight = std::max<int64_t>(theRowHeight, ioFont.height[c]);
    theNeeded = std::max<int64_t>(theNeeded, theY + ioFont.height[c]);
    theX += ioFont.width[c] + 1;
  }
  if (theNeeded > theHeight) theHeight = NextPowerOfTwo(theNeeded);

  try {
    outAtlas.pixels.assign(size_t(theWidth) * size_t(theHeight), 0u);
  } catch (const std::bad_alloc&) {
    return ATLAS_NO_ATLAS_MEMORY;
  }
  outAtlas.width = theWidth;
  outAtlas.height = theHeight;
  ioFont.atlasWidth = float(theWidth);
  ioFont.atlasHeight = float(theHeight);

  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) {
    if (theImages.owner[c] != c) continue;
    const uint8_t* theSource = theImages.bytes.data() + theImages.offset[c];
    for (int32_t r = 0; r < ioFont.height[c]; ++r) {
      uint32_t* theTarget = outAtlas.pixels.data() + size_t(ioFont.glyphY[c] + r) * size_t(theWidth) +
                            size_t(ioFont.glyphX[c]);
      for (int32_t k = 0; k < ioFont.width[c]; ++k) {
        const uint32_t theCoverage = *theSource++;
        theTarget[k] = theCoverage == 0 ? 0u : (theCoverage << 24) | 0xFFFFFFu;
      }
    }
  }
  return ATLAS_OK;
}
