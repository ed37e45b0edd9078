// The GUI factory: every pixel the toolkit draws goes through the one global
// factory, and every font the toolkit uses comes from its process-wide cache.
//
// Coordinates are pixels with the origin at the top-left of the window and y
// growing downwards (the caller sets up the matching orthographic
// projection). Colours are packed 0xAARRGGBB.
//
// Fonts: a font is shared by (name, pixel size) through a cache of at most 32
// entries with reference counts. AcquireCachedFont hands out one reference,
// ReleaseCachedFont takes it back; the font is destroyed with its last
// reference. The cache and the default font name/size are process-wide and
// outlive any factory.
//
// Threads: main thread only, with the window's OpenGL context current.
#pragma once

#include <cstdint>

#include "buffer.h"

// A font rendered once into a glyph atlas; text is drawn one quad per byte of
// the 8-bit character set.
class GUIFont {
 public:
  virtual ~GUIFont();

  // Draws one glyph whose line starts at (inX, inY): the baseline lies two
  // thirds of the pixel size below inY.
  virtual void DrawGlyph(int inX, int inY, unsigned char inCode, uint32_t inColour, double inZ) = 0;

  int GetSize() const { return mSize; }  // pixel size, also the line height
  const Buffer& GetFontName() const { return mName; }

  // Draws each byte with DrawGlyph. With inSkipBlanks, blanks, tabs, line
  // feeds and carriage returns draw nothing but still advance the pen.
  void DrawText(int inX, int inY, const Buffer& inText, uint32_t inColour, bool inSkipBlanks,
                double inZ);
  // Where DrawText puts each glyph of inText from pen position inX: calls
  // inVisit(x, code) for every glyph it draws.
  template <typename Visit>
  void ForEachGlyph(int inX, const Buffer& inText, bool inSkipBlanks, Visit inVisit) const {
    int64_t thePen = static_cast<int64_t>(inX) * 64;  // 26.6 fixed point
    for (uint32_t i = 0; i < inText.Length(); ++i) {
      const unsigned char theCode = inText[i];
      if (!(inSkipBlanks && IsBlank(theCode))) inVisit(static_cast<int>(thePen / 64), theCode);
      thePen += mAdvance[theCode] >> 10;  // 16.16 -> 26.6
    }
  }
  // Blanks, tabs, line feeds and carriage returns.
  static bool IsBlank(unsigned char inCode) {
    return inCode == ' ' || inCode == '\t' || inCode == '\n' || inCode == '\r';
  }
  // Width in whole pixels of inCount characters from inStart (inCount -1: to
  // the end of the text), truncated once after summing.
  int TextWidth(const Buffer& inText, int inStart, int inCount) const;
  // How many characters from inStart fit into inWidth pixels.
  int CharsFitting(int inWidth, const Buffer& inText, int inStart, int inCount) const;

  // Per-code glyph metrics, filled by the implementation that renders the glyphs.
  int32_t GetAdvance(unsigned char inCode) const { return mAdvance[inCode]; }  // 16.16 pixels
  int GetGlyphWidth(unsigned char inCode) const { return mWidth[inCode]; }     // pixels
  int GetGlyphRows(unsigned char inCode) const { return mRows[inCode]; }       // pixels

 protected:
  GUIFont(const Buffer& inName, int inSize);

  int mSize;
  Buffer mName;
  int32_t mAdvance[256];  // horizontal advance, 16.16 fixed point pixels
  int mLeft[256];         // left bearing, pixels
  int mTop[256];          // baseline up to the bitmap's top row, pixels
  int mWidth[256];        // bitmap width, pixels
  int mRows[256];         // bitmap rows, pixels
};

class GUIFactory {
 public:
  virtual ~GUIFactory();

  virtual void DrawPoint(int inX, int inY, uint32_t inColour) = 0;
  virtual void DrawHLine(int inX, int inY, int inLength, uint32_t inColour) = 0;
  virtual void DrawVLine(int inX, int inY, int inLength, uint32_t inColour) = 0;
  virtual void FillRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) = 0;
  virtual void DrawRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) = 0;
  virtual void DrawLine(int inX1, int inY1, int inX2, int inY2, uint32_t inColour) = 0;
  // Top and left edges in inTopLeft, bottom and right edges in inBottomRight.
  virtual void DrawBevel(int inX, int inY, int inWidth, int inHeight, uint32_t inTopLeft,
                         uint32_t inBottomRight);
  // Keeps drawing inside x in inLeft..inRight and y in inTop..inBottom, never
  // wider than the rectangle already in force. Pushes and pops must pair.
  virtual void PushClipRect(int inLeft, int inRight, int inTop, int inBottom) = 0;
  virtual void PopClipRect() = 0;

  virtual void SetDefaultFontSize(int inSize);
  virtual int GetDefaultFontSize();
  virtual const Buffer& GetDefaultFontName();
  // One more reference to the font (inName, inSize), built on first use.
  // Throws BasicException when 32 different fonts are already in use, or
  // with the font builder's message.
  virtual GUIFont* AcquireCachedFont(const Buffer& inName, int inSize);
  // Gives back one reference; null or unknown fonts are ignored.
  virtual void ReleaseCachedFont(GUIFont* inFont);
  // Builds a new font; only AcquireCachedFont calls it. Throws BasicException.
  virtual GUIFont* CreateFont(const Buffer& inName, int inSize) = 0;

 protected:
  GUIFactory();
  // Sets the process-wide default font name (implementations do so when built).
  static void SetDefaultFontName(const char* inName);
};

// Installs the global factory (taking ownership) and deletes the previous one.
void SetFactory(GUIFactory* inFactory);
GUIFactory* GetFactory();

// Cache inspection: the number of fonts in use and a font's reference count
// (0 when the font is not cached).
int CachedFontCount();
int CachedFontReferences(const GUIFont* inFont);
