#include "guifactory.h"

#include "basicexception.h"
#include "zassert.h"

namespace {

constexpr int kMaxFonts = 32;

// Process-wide, shared by every factory.
Buffer gDefaultFontName("");
int gDefaultFontSize = 0;
GUIFont* gFonts[kMaxFonts];
int gFontsRefCounts[kMaxFonts];
int gFontsUsed = 0;
GUIFactory* gFactory = nullptr;

int FindCachedFont(const GUIFont* inFont) {
  for (int i = 0; i < gFontsUsed; ++i)
    if (gFonts[i] == inFont) return i;
  return -1;
}

}  // namespace

// ---- GUIFont -------------------------------------------------------------------

GUIFont::GUIFont(const Buffer& inName, int inSize) : mSize(inSize), mName(inName) {
  for (int i = 0; i < 256; ++i) {
    mAdvance[i] = 0;
    mLeft[i] = mTop[i] = mWidth[i] = mRows[i] = 0;
  }
}

GUIFont::~GUIFont() = default;

void GUIFont::DrawText(int inX, int inY, const Buffer& inText, uint32_t inColour,
                       bool inSkipBlanks, double inZ) {
  ForEachGlyph(inX, inText, inSkipBlanks,
               [&](int inGlyphX, unsigned char inCode) { DrawGlyph(inGlyphX, inY, inCode, inColour, inZ); });
}

int GUIFont::TextWidth(const Buffer& inText, int inStart, int inCount) const {
  int64_t theSum = 0;  // 26.6 fixed point
  for (int64_t i = inStart < 0 ? 0 : inStart; i < inText.Length() && inCount != 0; ++i, --inCount)
    theSum += mAdvance[inText[static_cast<uint32_t>(i)]] >> 10;
  return static_cast<int>(theSum >> 6);
}

int GUIFont::CharsFitting(int inWidth, const Buffer& inText, int inStart, int inCount) const {
  int64_t theBudget = static_cast<int64_t>(inWidth) * 64;  // 26.6 fixed point
  int theFitting = 0;
  for (int64_t i = inStart < 0 ? 0 : inStart; i < inText.Length() && inCount != 0; ++i, --inCount) {
    theBudget -= mAdvance[inText[static_cast<uint32_t>(i)]] >> 10;
    if (theBudget <= 0) break;
    ++theFitting;
  }
  return theFitting;
}

// ---- GUIFactory ----------------------------------------------------------------

GUIFactory::GUIFactory() = default;
GUIFactory::~GUIFactory() = default;

void GUIFactory::DrawBevel(int inX, int inY, int inWidth, int inHeight, uint32_t inTopLeft,
                           uint32_t inBottomRight) {
  DrawHLine(inX, inY, inWidth, inTopLeft);
  DrawVLine(inX, inY, inHeight, inTopLeft);
  DrawHLine(inX, inY + inHeight, inWidth, inBottomRight);
  DrawVLine(inX + inWidth, inY, inHeight, inBottomRight);
}

void GUIFactory::SetDefaultFontSize(int inSize) { gDefaultFontSize = inSize; }
int GUIFactory::GetDefaultFontSize() { return gDefaultFontSize; }
const Buffer& GUIFactory::GetDefaultFontName() { return gDefaultFontName; }
void GUIFactory::SetDefaultFontName(const char* inName) { gDefaultFontName = Buffer(inName); }

GUIFont* GUIFactory::AcquireCachedFont(const Buffer& inName, int inSize) {
  if (gFontsUsed == 0) {
    for (int i = 0; i < kMaxFonts; ++i) {
      gFonts[i] = nullptr;
      gFontsRefCounts[i] = 0;
    }
  }
  int theIndex = -1;
  for (int i = 0; i < gFontsUsed && theIndex < 0; ++i)
    if (gFonts[i]->GetSize() == inSize && gFonts[i]->GetFontName() == inName) theIndex = i;
  if (theIndex < 0) {
    if (gFontsUsed >= kMaxFonts) throw BasicException("Too much fonts used simultaneously!\n");
    GUIFont* theFont = CreateFont(inName, inSize);
    theIndex = gFontsUsed++;
    gFonts[theIndex] = theFont;
    gFontsRefCounts[theIndex] = 0;
  }
  ++gFontsRefCounts[theIndex];
  return gFonts[theIndex];
}

void GUIFactory::ReleaseCachedFont(GUIFont* inFont) {
  const int i = inFont ? FindCachedFont(inFont) : -1;
  if (i < 0) return;
  Z_ASSERT(gFontsRefCounts[i] > 0);
  if (--gFontsRefCounts[i] > 0) return;
  delete gFonts[i];
  const int theLast = gFontsUsed - 1;
  gFonts[i] = gFonts[theLast];
  gFontsRefCounts[i] = gFontsRefCounts[theLast];
  gFonts[theLast] = nullptr;
  gFontsRefCounts[theLast] = 0;
  gFontsUsed = theLast;
}

// ---- Global factory ------------------------------------------------------------

void SetFactory(GUIFactory* inFactory) {
  if (inFactory == gFactory) return;
  GUIFactory* thePrevious = gFactory;
  gFactory = inFactory;
  delete thePrevious;
}

GUIFactory* GetFactory() { return gFactory; }

int CachedFontCount() { return gFontsUsed; }

int CachedFontReferences(const GUIFont* inFont) {
  const int i = FindCachedFont(inFont);
  return i < 0 ? 0 : gFontsRefCounts[i];
}
