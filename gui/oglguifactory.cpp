#include "oglguifactory.h"

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <new>
#include <string>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include <zorbit/oglstate.h>
#include "zassert.h"

namespace {

// The FreeType library lives while fonts are being built or alive with it.
FT_Library gFreeType = nullptr;
int gFreeTypeFonts = 0;

// Largest pixel size built: its atlas is 4096 x 4096 texels (64 MiB).
constexpr int kMaxFontSize = 256;

void RetainFreeType() {
  if (!gFreeType) {
    const FT_Error theError = FT_Init_FreeType(&gFreeType);
    if (theError) {
      gFreeType = nullptr;
      throw BasicException("Could not initialize FreeType2 Library: Error %d\n", theError);
    }
  }
  ++gFreeTypeFonts;
}

void ReleaseFreeType() {
  if (--gFreeTypeFonts == 0) {
    FT_Done_FreeType(gFreeType);
    gFreeType = nullptr;
  }
}

// Path of an installed font whose file name equals inName, or "" if none.
std::string FindInstalledFont(const char* inName) {
  std::string thePath;
  FcConfig* theConfig = FcInitLoadConfigAndFonts();
  if (!theConfig) return thePath;
  FcPattern* thePattern = FcPatternCreate();
  FcObjectSet* theObjects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* theFonts = FcFontList(theConfig, thePattern, theObjects);
  for (int i = 0; theFonts && i < theFonts->nfont && thePath.empty(); ++i) {
    FcChar8* theFile = nullptr;
    if (FcPatternGetString(theFonts->fonts[i], FC_FILE, 0, &theFile) != FcResultMatch) continue;
    const char* theFileName = std::strrchr(reinterpret_cast<const char*>(theFile), '/');
    theFileName = theFileName ? theFileName + 1 : reinterpret_cast<const char*>(theFile);
    if (std::strcmp(theFileName, inName) == 0) thePath = reinterpret_cast<const char*>(theFile);
  }
  if (theFonts) FcFontSetDestroy(theFonts);
  FcObjectSetDestroy(theObjects);
  FcPatternDestroy(thePattern);
  FcConfigDestroy(theConfig);
  return thePath;
}

// Opens face 0 of inName, falling back to an installed font of that file
// name (the default "FreeSerif.ttf" lives in the system's font folders, not
// in the working directory). Errors report the name as given.
FT_Face OpenFace(const char* inName) {
  FT_Face theFace = nullptr;
  FT_Error theError = FT_New_Face(gFreeType, inName, 0, &theFace);
  if (theError == FT_Err_Cannot_Open_Resource && !std::strchr(inName, '/')) {
    const std::string theInstalled = FindInstalledFont(inName);
    if (!theInstalled.empty()) theError = FT_New_Face(gFreeType, theInstalled.c_str(), 0, &theFace);
  }
  if (theError == FT_Err_Unknown_File_Format)
    throw BasicException("Font %s is in an unsupported font format!\n", inName);
  if (theError) throw BasicException("Error %d during opening of font %s!\n", theError, inName);
  return theFace;
}

void ColourOf(uint32_t inColour, GLdouble& outR, GLdouble& outG, GLdouble& outB, GLdouble& outA) {
  outR = ((inColour >> 16) & 0xFF) / 255.0;
  outG = ((inColour >> 8) & 0xFF) / 255.0;
  outB = (inColour & 0xFF) / 255.0;
  outA = ((inColour >> 24) & 0xFF) / 255.0;
}

// Puts OpenGL's current colour back to the tracker's, after a direct glColor.
void RestoreTrackedColour() {
  GLdouble r, g, b, a;
  ColourOf(static_cast<uint32_t>(GetState(STATE_COLOR)), r, g, b, a);
  glColor4d(r, g, b, a);
}

}  // namespace

// ---- OGLFont -------------------------------------------------------------------

int OGLFont::AtlasSide(int inSize) {
  int theSide = 1;
  while (theSide < 16 * inSize) theSide *= 2;
  return theSide;
}

OGLFont::OGLFont(const Buffer& inName, int inSize) : GUIFont(inName, inSize), mTexture(0), mAtlasSide(0) {
  Buffer theName(inName);
  const char* theNameText = theName.CStr();
  RetainFreeType();
  FT_Face theFace = nullptr;
  try {
    theFace = OpenFace(theNameText);
    if (inSize <= 0 || inSize > kMaxFontSize || FT_Set_Pixel_Sizes(theFace, 0, static_cast<FT_UInt>(inSize))) {
      FT_Done_Face(theFace);
      throw BasicException("Couldn't set size %d for font %s!\n", inSize, theNameText);
    }
  } catch (...) {
    ReleaseFreeType();  // a font that was never built holds no library reference
    throw;
  }

  mAtlasSide = AtlasSide(inSize);
  const size_t theSide = static_cast<size_t>(mAtlasSide);
  uint32_t* theTexels = static_cast<uint32_t*>(std::calloc(theSide * theSide, sizeof(uint32_t)));
  if (!theTexels) {
    FT_Done_Face(theFace);
    ReleaseFreeType();
    throw BasicException("Not enough memory to load font %s!\n", theNameText);
  }

  PushTexture2D(true);
  glGenTextures(1, &mTexture);
  for (int c = 0; c < 256; ++c) {
    FT_Glyph theGlyph = nullptr;
    if (FT_Load_Char(theFace, static_cast<FT_ULong>(codepage::ToUnicode(uint8_t(c))), FT_LOAD_RENDER) ||
        FT_Get_Glyph(theFace->glyph, &theGlyph)) {
      continue;  // advance 0, empty bitmap
    }
    FT_BBox theBox;
    FT_Glyph_Get_CBox(theGlyph, FT_GLYPH_BBOX_PIXELS, &theBox);
    mAdvance[c] = static_cast<int32_t>(theGlyph->advance.x);  // 16.16
    mWidth[c] = static_cast<int>(theBox.xMax - theBox.xMin);
    mRows[c] = static_cast<int>(theBox.yMax - theBox.yMin);
    if (theGlyph->format == FT_GLYPH_FORMAT_BITMAP) {
      const FT_BitmapGlyph theBitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(theGlyph);
      const FT_Bitmap& theBitmap = theBitmapGlyph->bitmap;
      mLeft[c] = theBitmapGlyph->left;
      mTop[c] = theBitmapGlyph->top;
      const long theCellLeft = static_cast<long>(c % 16) * inSize;
      const long theCellTop = static_cast<long>(c / 16) * inSize;
      for (unsigned j = 0; j < theBitmap.rows; ++j) {
        const long theRow = theCellTop + j;
        if (theRow >= mAtlasSide) break;
        const unsigned char* theSource = theBitmap.buffer + static_cast<long>(j) * theBitmap.pitch;
        for (unsigned p = 0; p < theBitmap.width; ++p) {
          const long theColumn = theCellLeft + p;
          if (theColumn >= mAtlasSide) break;
          theTexels[theRow * mAtlasSide + theColumn] = (static_cast<uint32_t>(theSource[p]) << 24) | 0xFFFFFFu;
        }
      }
    }
    FT_Done_Glyph(theGlyph);
  }

  mCoverage.resize(theSide * theSide);
  for (size_t i = 0; i < theSide * theSide; ++i) mCoverage[i] = uint8_t(theTexels[i] >> 24);
  glBindTexture(GL_TEXTURE_2D, mTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, mAtlasSide, mAtlasSide, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, theTexels);
  // The bind above bypassed the tracker: put back the texture it has in force.
  glBindTexture(GL_TEXTURE_2D, GetTextureUsed());

  FT_Done_Face(theFace);
  std::free(theTexels);
  PopTexture2D();
}

OGLFont::~OGLFont() {
  glDeleteTextures(1, &mTexture);
  ReleaseFreeType();
}

OGLFont::Quad OGLFont::QuadOf(int inX, int inY, unsigned char inCode) const {
  const double theSide = mAtlasSide;
  Quad theQuad;
  theQuad.x0 = inX + mLeft[inCode];
  theQuad.x1 = theQuad.x0 + mWidth[inCode];
  theQuad.y0 = inY + (2 * mSize / 3) - mTop[inCode];
  theQuad.y1 = theQuad.y0 + mRows[inCode];
  theQuad.s0 = mSize * (inCode % 16) / theSide;
  theQuad.t0 = mSize * (inCode / 16) / theSide;
  theQuad.s1 = theQuad.s0 + mWidth[inCode] / theSide;
  theQuad.t1 = theQuad.t0 + mRows[inCode] / theSide;
  return theQuad;
}

void OGLFont::RenderLines(const TextLine* inLines, size_t inCount, uint8_t* ioPixels, int inWidth,
                          int inHeight) const {
  for (size_t l = 0; l < inCount; ++l) {
    const TextLine& theLine = inLines[l];
    const uint32_t theAlpha = theLine.colour >> 24;
    const uint32_t theRgb[3] = {(theLine.colour >> 16) & 0xFF, (theLine.colour >> 8) & 0xFF, theLine.colour & 0xFF};
    ForEachGlyph(theLine.x, *theLine.text, true, [&](int inX, unsigned char inCode) {
      const Quad q = QuadOf(inX, theLine.y, inCode);
      const int theCellLeft = mSize * (inCode % 16);
      const int theCellTop = mSize * (inCode / 16);
      for (int j = std::max(0, -q.y0); j < q.y1 - q.y0 && q.y0 + j < inHeight; ++j) {
        if (theCellTop + j >= mAtlasSide) break;
        const uint8_t* theSource = &mCoverage[size_t(theCellTop + j) * mAtlasSide];
        uint8_t* theRow = ioPixels + (size_t(q.y0 + j) * inWidth) * 4;
        for (int i = std::max(0, -q.x0); i < q.x1 - q.x0 && q.x0 + i < inWidth; ++i) {
          if (theCellLeft + i >= mAtlasSide) break;
          // Coverage times the colour's alpha, both 0..255, as 0..255*255.
          const uint32_t theA = theSource[theCellLeft + i] * theAlpha;
          if (theA == 0) continue;
          uint8_t* thePixel = theRow + size_t(q.x0 + i) * 4;
          const uint32_t theKeep = 255 * 255 - theA;
          for (int c = 0; c < 3; ++c)
            thePixel[c] = uint8_t((theRgb[c] * theA + thePixel[c] * theKeep + 255 * 255 / 2) / (255 * 255));
          thePixel[3] = uint8_t((255 * theA + thePixel[3] * theKeep + 255 * 255 / 2) / (255 * 255));
        }
      }
    });
  }
}

void OGLFont::DrawGlyph(int inX, int inY, unsigned char inCode, uint32_t inColour, double inZ) {
  PushTexture2D(true);
  PushTextureUsed(mTexture);
  PushState(STATE_BLEND, 1);
  PushState(STATE_BLEND_SRC, GL_SRC_ALPHA);
  PushState(STATE_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA);
  const Quad q = QuadOf(inX, inY, inCode);
  GLdouble r, g, b, a;
  ColourOf(inColour, r, g, b, a);
  glNormal3d(0.0, 0.0, 1.0);
  glColor4f(static_cast<GLfloat>(r), static_cast<GLfloat>(g), static_cast<GLfloat>(b),
            static_cast<GLfloat>(a));
  glBegin(GL_QUADS);
  glTexCoord2d(q.s0, q.t1);
  glVertex3d(q.x0, q.y1, inZ);
  glTexCoord2d(q.s1, q.t1);
  glVertex3d(q.x1, q.y1, inZ);
  glTexCoord2d(q.s1, q.t0);
  glVertex3d(q.x1, q.y0, inZ);
  glTexCoord2d(q.s0, q.t0);
  glVertex3d(q.x0, q.y0, inZ);
  glEnd();
  // The glyph colour bypassed the tracker: keep OpenGL in line with it.
  RestoreTrackedColour();
  PopState(STATE_BLEND_SRC);
  PopState(STATE_BLEND_DST);
  PopState(STATE_BLEND);
  PopTexture2D();
  PopTextureUsed();
}

// ---- OGLGUIFactory -------------------------------------------------------------

OGLGUIFactory::OGLGUIFactory() : mClipDepth(0) {
  SetDefaultFontName("FreeSerif.ttf");
  SetDefaultFontSize(14);
  for (int i = 0; i < kClipDepth; ++i) mClipLeft[i] = mClipRight[i] = mClipTop[i] = mClipBottom[i] = 0;
}

OGLGUIFactory::~OGLGUIFactory() = default;

namespace {

// Draws one primitive in inColour through the tracker's colour stack.
template <typename Vertices>
void DrawShape(GLenum inMode, uint32_t inColour, Vertices inVertices) {
  PushState(STATE_COLOR, static_cast<int>(inColour));
  glBegin(inMode);
  inVertices();
  glEnd();
  PopState(STATE_COLOR);
}

}  // namespace

void OGLGUIFactory::DrawPoint(int inX, int inY, uint32_t inColour) {
  DrawShape(GL_POINTS, inColour, [&] { glVertex2d(inX, inY); });
}

void OGLGUIFactory::DrawHLine(int inX, int inY, int inLength, uint32_t inColour) {
  DrawShape(GL_LINES, inColour, [&] {
    glVertex2d(inX, inY);
    glVertex2d(inX + inLength, inY);
  });
}

void OGLGUIFactory::DrawVLine(int inX, int inY, int inLength, uint32_t inColour) {
  DrawShape(GL_LINES, inColour, [&] {
    glVertex2d(inX, inY);
    glVertex2d(inX, inY + inLength);
  });
}

void OGLGUIFactory::FillRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) {
  DrawShape(GL_TRIANGLE_STRIP, inColour, [&] {
    glVertex2d(inX, inY);
    glVertex2d(inX + inWidth, inY);
    glVertex2d(inX, inY + inHeight - 1);
    glVertex2d(inX + inWidth, inY + inHeight - 1);
  });
}

void OGLGUIFactory::DrawRect(int inX, int inY, int inWidth, int inHeight, uint32_t inColour) {
  DrawShape(GL_LINE_LOOP, inColour, [&] {
    glVertex2d(inX, inY);
    glVertex2d(inX + inWidth - 1, inY);
    glVertex2d(inX + inWidth - 1, inY + inHeight - 1);
    glVertex2d(inX, inY + inHeight - 1);
  });
}

void OGLGUIFactory::DrawLine(int inX1, int inY1, int inX2, int inY2, uint32_t inColour) {
  DrawShape(GL_LINES, inColour, [&] {
    glVertex2d(inX1, inY1);
    glVertex2d(inX2, inY2);
  });
}

void OGLGUIFactory::PushClipRect(int inLeft, int inRight, int inTop, int inBottom) {
  Z_ASSERT(mClipDepth < kClipDepth - 1 && "PushClipRect: clip stack overflow");
  if (mClipDepth == 0) {
    PushState(STATE_CLIP_MIN_X, inLeft);
    PushState(STATE_CLIP_MAX_X, inRight);
    PushState(STATE_CLIP_MIN_Y, inTop);
    PushState(STATE_CLIP_MAX_Y, inBottom);
    PushState(STATE_CLIPPING, 1);
  } else {
    const int theOuter = mClipDepth - 1;
    if (inLeft > mClipLeft[theOuter]) PushState(STATE_CLIP_MIN_X, inLeft);
    if (inRight < mClipRight[theOuter]) PushState(STATE_CLIP_MAX_X, inRight);
    if (inTop > mClipTop[theOuter]) PushState(STATE_CLIP_MIN_Y, inTop);
    if (inBottom < mClipBottom[theOuter]) PushState(STATE_CLIP_MAX_Y, inBottom);
  }
  mClipLeft[mClipDepth] = GetState(STATE_CLIP_MIN_X);
  mClipRight[mClipDepth] = GetState(STATE_CLIP_MAX_X);
  mClipTop[mClipDepth] = GetState(STATE_CLIP_MIN_Y);
  mClipBottom[mClipDepth] = GetState(STATE_CLIP_MAX_Y);
  ++mClipDepth;
}

void OGLGUIFactory::PopClipRect() {
  Z_ASSERT(mClipDepth > 0 && "PopClipRect: clip stack underflow");
  --mClipDepth;
  if (mClipDepth > 0) {
    const int theLeaving = mClipDepth;
    const int theOuter = mClipDepth - 1;
    if (mClipLeft[theOuter] < mClipLeft[theLeaving]) PopState(STATE_CLIP_MIN_X);
    if (mClipRight[theOuter] > mClipRight[theLeaving]) PopState(STATE_CLIP_MAX_X);
    if (mClipTop[theOuter] < mClipTop[theLeaving]) PopState(STATE_CLIP_MIN_Y);
    if (mClipBottom[theOuter] > mClipBottom[theLeaving]) PopState(STATE_CLIP_MAX_Y);
  } else {
    PopState(STATE_CLIPPING);
    PopState(STATE_CLIP_MIN_X);
    PopState(STATE_CLIP_MAX_X);
    PopState(STATE_CLIP_MIN_Y);
    PopState(STATE_CLIP_MAX_Y);
  }
}

GUIFont* OGLGUIFactory::CreateFont(const Buffer& inName, int inSize) { return new OGLFont(inName, inSize); }
