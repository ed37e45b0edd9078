#include "fontatlas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <new>
#include <unordered_map>
#include <vector>

#include <zorbit/codepage.h>

namespace {

// Rendered coverage bytes of every code, one byte per texel (the atlas's
// 32-bit texel follows from it), kept until packing.
struct GlyphImages {
  std::vector<uint8_t> bytes;     // all images, row by row, back to back
  uint32_t offset[FONT_CODE_COUNT];
  int32_t owner[FONT_CODE_COUNT];  // first code with an identical image (itself when new)
};

// FNV-1a over 8 bytes at a time, then the tail; only picks candidates,
// which memcmp then confirms.
uint64_t HashImage(const uint8_t* inBytes, size_t inCount, int32_t inWidth, int32_t inHeight) {
  const uint64_t kPrime = 1099511628211ull;
  uint64_t theHash = 1469598103934665603ull ^ (uint64_t(uint32_t(inWidth)) << 32 | uint32_t(inHeight));
  size_t i = 0;
  for (; i + 8 <= inCount; i += 8) {
    uint64_t theWord;
    memcpy(&theWord, inBytes + i, 8);
    theHash = (theHash ^ theWord) * kPrime;
    theHash ^= theHash >> 29;
  }
  for (; i < inCount; ++i) theHash = (theHash ^ inBytes[i]) * kPrime;
  return theHash;
}

// Appends the coverage of a rendered bitmap to ioBytes (inWidth x inHeight,
// top row first). Gray bitmaps copy as they are; monochrome ones (bitmap
// strikes) become 0 or 255; any other pixel mode gives no image (false,
// ioBytes as it was).
bool AppendCoverage(const FT_Bitmap& inBitmap, int32_t inWidth, int32_t inHeight, std::vector<uint8_t>& ioBytes) {
  if (inBitmap.pixel_mode != FT_PIXEL_MODE_GRAY && inBitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  const int32_t thePitch = inBitmap.pitch;
  const uint32_t theStride = uint32_t(thePitch < 0 ? -thePitch : thePitch);
  for (int32_t r = 0; r < inHeight; ++r) {
    // A negative pitch means the bitmap is stored bottom row first.
    const uint32_t theRow = thePitch >= 0 ? uint32_t(r) : inBitmap.rows - 1 - uint32_t(r);
    const uint8_t* theSource = inBitmap.buffer + size_t(theRow) * theStride;
    if (inBitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      ioBytes.insert(ioBytes.end(), theSource, theSource + inWidth);
    } else {
      for (int32_t k = 0; k < inWidth; ++k) ioBytes.push_back((theSource[k >> 3] & (0x80 >> (k & 7))) ? 255 : 0);
    }
  }
  return true;
}

// The glyph FT_Load_Char would load for a character code.
FT_UInt GlyphIndexOf(FT_Face inFace, FT_ULong inCharacter) {
  return inFace->charmap != nullptr ? FT_Get_Char_Index(inFace, inCharacter) : FT_UInt(inCharacter);
}

// Renders glyph inIndex into the face's slot and records code inCode's
// metrics; its image, if any, is appended to ioImages.bytes. The glyph
// counts as loaded, as FT_Get_Glyph would take it, when its advance fits
// 16.16 fixed point.
void RenderCode(FT_Face inFace, FT_UInt inIndex, int32_t inCode, ResourceFont& ioFont, GlyphImages& ioImages) {
  if (FT_Load_Glyph(inFace, inIndex, FT_LOAD_RENDER) != 0) return;
  const FT_GlyphSlot theSlot = inFace->glyph;
  const FT_Pos kLimit = 0x8000L * 64;
  if (theSlot->advance.x >= kLimit || theSlot->advance.x <= -kLimit || theSlot->advance.y >= kLimit ||
      theSlot->advance.y <= -kLimit)
    return;
  ioFont.advance[inCode] = int32_t(theSlot->advance.x * 1024);  // 26.6 to 16.16
  if (theSlot->format != FT_GLYPH_FORMAT_BITMAP) return;
  ioFont.left[inCode] = theSlot->bitmap_left;
  ioFont.top[inCode] = theSlot->bitmap_top;
  const int32_t theWidth = int32_t(theSlot->bitmap.width);
  const int32_t theHeight = int32_t(theSlot->bitmap.rows);
  if (theWidth > 0 && theHeight > 0 && AppendCoverage(theSlot->bitmap, theWidth, theHeight, ioImages.bytes)) {
    ioFont.width[inCode] = theWidth;
    ioFont.height[inCode] = theHeight;
  }
}

void CopyMetrics(int32_t inFrom, int32_t inTo, ResourceFont& ioFont) {
  ioFont.advance[inTo] = ioFont.advance[inFrom];
  ioFont.left[inTo] = ioFont.left[inFrom];
  ioFont.top[inTo] = ioFont.top[inFrom];
  ioFont.width[inTo] = ioFont.width[inFrom];
  ioFont.height[inTo] = ioFont.height[inFrom];
}

// Step one: render every code, record its metrics and keep its image unless
// an earlier code has the same one. A code that maps to a glyph already
// rendered takes that code's metrics and image without rendering it again
// (the code page's unassigned codes all show the face's missing glyph).
// Returns the total width (each new image's width + 1).
int64_t RenderGlyphs(FT_Face inFace, ResourceFont& ioFont, GlyphImages& outImages) {
  std::unordered_multimap<uint64_t, int32_t> theByHash;
  std::unordered_map<FT_UInt, int32_t> theByGlyph;  // glyph index: the first code that rendered it
  int64_t theTotalWidth = 0;
  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) {
    ioFont.advance[c] = 0;
    ioFont.left[c] = 0;
    ioFont.top[c] = 0;
    ioFont.width[c] = 0;
    ioFont.height[c] = 0;
    ioFont.glyphX[c] = 0;
    ioFont.glyphY[c] = 0;

    const FT_UInt theIndex = GlyphIndexOf(inFace, FT_ULong(codepage::ToUnicode(uint8_t(c))));
    auto theRendered = theByGlyph.find(theIndex);
    if (theRendered != theByGlyph.end()) {
      const int32_t theOther = theRendered->second;
      CopyMetrics(theOther, c, ioFont);
      outImages.owner[c] = outImages.owner[theOther];
      outImages.offset[c] = outImages.offset[theOther];
      continue;
    }
    theByGlyph.emplace(theIndex, c);

    const size_t theStart = outImages.bytes.size();
    RenderCode(inFace, theIndex, c, ioFont, outImages);
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

AtlasTexels::AtlasTexels(AtlasTexels&& ioOther) noexcept : mTexels(ioOther.mTexels), mCount(ioOther.mCount) {
  ioOther.mTexels = nullptr;
  ioOther.mCount = 0;
}

AtlasTexels& AtlasTexels::operator=(AtlasTexels&& ioOther) noexcept {
  if (this != &ioOther) {
    Release();
    std::swap(mTexels, ioOther.mTexels);
    std::swap(mCount, ioOther.mCount);
  }
  return *this;
}

void AtlasTexels::Release() {
  std::free(mTexels);
  mTexels = nullptr;
  mCount = 0;
}

bool AtlasTexels::Allocate(size_t inCount) {
  Release();
  if (inCount == 0) return false;
  // calloc clears only memory it had handed out before; a large block fresh
  // from the system is zero already, and its pages are only made where a
  // glyph is written (a large atlas is mostly empty, and making a page costs
  // about what clearing it does).
  mTexels = static_cast<uint32_t*>(std::calloc(inCount, sizeof(uint32_t)));
  if (mTexels == nullptr) return false;
  mCount = inCount;
  return true;
}

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

  if (!outAtlas.pixels.Allocate(size_t(theWidth) * size_t(theHeight))) return ATLAS_NO_ATLAS_MEMORY;
  outAtlas.width = theWidth;
  outAtlas.height = theHeight;
  ioFont.atlasWidth = float(theWidth);
  ioFont.atlasHeight = float(theHeight);

  for (int32_t c = 0; c < FONT_CODE_COUNT; ++c) {
    if (theImages.owner[c] != c) continue;
    const uint8_t* theSource = theImages.bytes.data() + theImages.offset[c];
    const int32_t theImageWidth = ioFont.width[c];
    const int32_t theImageHeight = ioFont.height[c];
    uint32_t* theTarget = outAtlas.pixels.data() + size_t(ioFont.glyphY[c]) * size_t(theWidth) + size_t(ioFont.glyphX[c]);
    // Only the image's own rows are written; the rest of the atlas stays as
    // it came, zero, and pages no glyph reaches are never touched.
    for (int32_t r = 0; r < theImageHeight; ++r) {
      for (int32_t k = 0; k < theImageWidth; ++k) {
        const uint32_t theCoverage = theSource[k];
        theTarget[k] = theCoverage == 0 ? 0u : (theCoverage << 24) | 0xFFFFFFu;
      }
      theSource += theImageWidth;
      theTarget += theWidth;
    }
  }
  return ATLAS_OK;
}
