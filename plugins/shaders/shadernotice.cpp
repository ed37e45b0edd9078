#include "shadernotice.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <vector>

namespace {

const int kFontPixels = 14;
const int kLineHeight = 17;
const int kMargin = 6;
const int kMaxLines = 12;

// A configuration of its own, destroyed after the one look-up: fontconfig
// goes when the plug-in is unloaded, and what it kept would be lost.
std::string MonospaceFile() {
  FcConfig* theConfig = FcInitLoadConfigAndFonts();
  if (theConfig == nullptr) return "";
  FcPattern* thePattern = FcNameParse(reinterpret_cast<const FcChar8*>("monospace"));
  if (thePattern == nullptr) {
    FcConfigDestroy(theConfig);
    return "";
  }
  FcConfigSubstitute(theConfig, thePattern, FcMatchPattern);
  FcDefaultSubstitute(thePattern);
  FcResult theResult = FcResultNoMatch;
  FcPattern* theMatch = FcFontMatch(theConfig, thePattern, &theResult);
  std::string theFile;
  FcChar8* thePath = nullptr;
  if (theMatch != nullptr && FcPatternGetString(theMatch, FC_FILE, 0, &thePath) == FcResultMatch)
    theFile = reinterpret_cast<const char*>(thePath);
  if (theMatch != nullptr) FcPatternDestroy(theMatch);
  FcPatternDestroy(thePattern);
  FcConfigDestroy(theConfig);
  return theFile;
}

std::vector<std::string> LinesOf(const std::string& inText) {
  std::vector<std::string> theLines;
  size_t theAt = 0;
  while (theAt < inText.size() && int(theLines.size()) < kMaxLines) {
    size_t theEnd = inText.find('\n', theAt);
    if (theEnd == std::string::npos) theEnd = inText.size();
    if (theEnd > theAt) theLines.push_back(inText.substr(theAt, theEnd - theAt));
    theAt = theEnd + 1;
  }
  return theLines;
}

}  // namespace

ShaderNotice::~ShaderNotice() {
  if (mFace != nullptr) FT_Done_Face(static_cast<FT_Face>(mFace));
  if (mLibrary != nullptr) FT_Done_FreeType(static_cast<FT_Library>(mLibrary));
}

bool ShaderNotice::Open() {
  if (mTried) return mFace != nullptr;
  mTried = true;
  // fontconfig keeps tables of its own for the whole process; it stays
  // loaded when the plug-in is unloaded (between demos, at the end), as the
  // player's own copy does, rather than go with those tables in use.
  dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NODELETE);
  const std::string theFile = MonospaceFile();
  FT_Library theLibrary = nullptr;
  if (theFile.empty() || FT_Init_FreeType(&theLibrary) != 0) return false;
  mLibrary = theLibrary;
  FT_Face theFace = nullptr;
  if (FT_New_Face(theLibrary, theFile.c_str(), 0, &theFace) != 0) return false;
  FT_Set_Pixel_Sizes(theFace, 0, kFontPixels);
  mFace = theFace;
  return true;
}

// The panel as premultiplied RGBA, rows from the top.
void ShaderNotice::Compose(const std::string& inText, int inMaxWidth) {
  FT_Face theFace = static_cast<FT_Face>(mFace);
  const std::vector<std::string> theLines = LinesOf(inText);
  mWidth = std::max(1, inMaxWidth);
  mHeight = int(theLines.size()) * kLineHeight + 2 * kMargin;
  std::vector<uint8_t> thePixels(size_t(mWidth) * size_t(mHeight) * 4);
  for (size_t i = 0; i < thePixels.size(); i += 4) thePixels[i + 3] = 200;  // dark panel
  const int theAscent = int(theFace->size->metrics.ascender >> 6);
  for (size_t l = 0; l < theLines.size(); ++l) {
    int thePen = kMargin;
    const int theBaseline = kMargin + int(l) * kLineHeight + theAscent;
    for (unsigned char theCode : theLines[l]) {
      if (FT_Load_Char(theFace, theCode < 128 ? theCode : '?', FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot theGlyph = theFace->glyph;
      const FT_Bitmap& theBitmap = theGlyph->bitmap;
      for (unsigned r = 0; r < theBitmap.rows; ++r)
        for (unsigned c = 0; c < theBitmap.width; ++c) {
          const int x = thePen + theGlyph->bitmap_left + int(c);
          const int y = theBaseline - theGlyph->bitmap_top + int(r);
          if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) continue;
          const uint8_t theCoverage = theBitmap.buffer[r * unsigned(theBitmap.pitch) + c];
          uint8_t* thePixel = &thePixels[(size_t(y) * size_t(mWidth) + size_t(x)) * 4];
          const uint8_t theValue = std::max(thePixel[0], theCoverage);
          thePixel[0] = thePixel[1] = thePixel[2] = theValue;
          thePixel[3] = std::max(thePixel[3], theCoverage);
        }
      thePen += int(theGlyph->advance.x >> 6);
      if (thePen >= mWidth) break;
    }
  }
  if (mTexture == 0) glGenTextures(1, &mTexture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, mTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  GLint theAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &theAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, mWidth, mHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, thePixels.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, theAlignment);
  mText = inText;
}

void ShaderNotice::Draw(const ShaderKit& inKit, const std::string& inText, const int inViewport[4]) {
  if (inText.empty() || inViewport[2] <= 2 * kMargin || !Open()) return;
  const int theMaxWidth = inViewport[2] - 2 * kMargin;
  if (mTexture == 0 || mText != inText || mWidth != theMaxWidth) Compose(inText, theMaxWidth);
  const int theHeight = std::min(mHeight, inViewport[3]);
  const float theArea[4] = {float(inViewport[0] + kMargin), float(inViewport[1] + inViewport[3] - kMargin - theHeight),
                            float(mWidth), float(theHeight)};
  const float theWindow[4] = {0, float(theHeight) / float(mHeight), 1, 0};
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(inViewport[0], inViewport[1], inViewport[2], inViewport[3]);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_SCISSOR_TEST);
  glScissor(int(theArea[0]), int(theArea[1]), int(theArea[2]), int(theArea[3]));
  DrawCopy(inKit, mTexture, theWindow, theArea, COPY_PLAIN, 1.0f);
  glDisable(GL_SCISSOR_TEST);
}

void ShaderNotice::Release() {
  if (mTexture != 0) glDeleteTextures(1, &mTexture);
  mTexture = 0;
  mText.clear();
}
