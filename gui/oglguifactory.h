// The OpenGL GUI factory: immediate-mode primitives, clip rectangles on the
// state tracker's four clip planes, and FreeType fonts rendered into one
// 16 x 16 glyph atlas texture each.
//
// Needs a current OpenGL context and a current OGLState (gState) for every
// drawing call, for font building and for font destruction.
#pragma once

#include <vector>

#include <cstddef>
#include <cstdint>

#include "guifactory.h"

// A font rasterised once with FreeType: the 256 glyphs of the 8-bit character
// set sit in a grid of 16 x 16 cells of size x size pixels, in one texture of
// side AtlasSide(size). Texels are white, the glyph coverage is the alpha.
class OGLFont : public GUIFont {
 public:
  // Builds the atlas from face 0 of inName at inSize pixels. A name that does
  // not open as written is looked up by file name among the fonts fontconfig
  // knows. Throws BasicException with the FreeType error on failure.
  OGLFont(const Buffer& inName, int inSize);
  ~OGLFont() override;

  void DrawGlyph(int inX, int inY, unsigned char inCode, uint32_t inColour, double inZ) override;
  // A line of text as DrawText draws it.
  struct TextLine {
    int x, y;
    const Buffer* text;
    uint32_t colour;
  };
  // Lines drawn by the processor into an image of premultiplied RGBA bytes
  // (inWidth x inHeight, rows from the top), blended over what it holds, in
  // DrawText's pixels; glyphs are clipped to the image. A software renderer
  // shows a whole panel of text as one textured quad far faster than a quad
  // per glyph.
  void RenderLines(const TextLine* inLines, size_t inCount, uint8_t* ioPixels, int inWidth, int inHeight) const;

  unsigned GetTexture() const { return mTexture; }
  int GetAtlasSide() const { return mAtlasSide; }

  // Smallest power of two that holds 16 cells of inSize pixels.
  static int AtlasSide(int inSize);

 private:
  // A glyph's rectangle in pixels and in the atlas.
  struct Quad {
    int x0, x1, y0, y1;
    double s0, t0, s1, t1;
  };
  Quad QuadOf(int inX, int inY, unsigned char inCode) const;

  unsigned mTexture;
  int mAtlasSide;
  std::vector<uint8_t> mCoverage;  // the atlas's alpha, mAtlasSide x mAtlasSide, for RenderLines
};

class OGLGUIFactory : public GUIFactory {
 public:
  static constexpr int kClipDepth = 256;

  // Sets the process-wide default font to "FreeSerif.ttf" at 14 pixels.
  OGLGUIFactory();
  ~OGLGUIFactory() override;

  void DrawPoint(int inX, int inY, uint32_t inColour) override;
  void DrawHLine(int inX, int inY, int inLength, uint32_t inColour) override;
  void DrawVLine(int inX, int inY, int inLength, uint32_t inColour) override;
  void FillRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) override;
  void DrawRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) override;
  void DrawLine(int inX1, int inY1, int inX2, int inY2, uint32_t inColour) override;
  // At most 255 nested rectangles; overflow and popping an empty stack end
  // the program. Each level that narrows a plane also takes one entry of that
  // plane's tracker stack (32 deep).
  void PushClipRect(int inLeft, int inRight, int inTop, int inBottom) override;
  void PopClipRect() override;
  GUIFont* CreateFont(const Buffer& inName, int inSize) override;

  int GetClipDepth() const { return mClipDepth; }

 private:
  // The rectangle in force at each level (read back from the tracker).
  int mClipLeft[kClipDepth];
  int mClipRight[kClipDepth];
  int mClipTop[kClipDepth];
  int mClipBottom[kClipDepth];
  int mClipDepth;
};
