#include "fontcache.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <GL/glew.h>

#include "atlasdump.h"
#include <zorbit/codepage.h>
#include "fontatlas.h"
#include "fontlookup.h"
#include "fontshost.h"
#include <zorbit/oglstate.h>

namespace {

ResourceFont* gFonts[FONT_SLOT_COUNT];
int32_t gFontsRefCounts[FONT_SLOT_COUNT];
int32_t gFontsUsed = 0;  // one past the highest slot filled and not trimmed

int32_t FindFont(const char* inName, int32_t inSize) {
  for (int32_t i = 0; i < gFontsUsed; ++i) {
    if (gFonts[i] && gFonts[i]->size == inSize && strcmp(gFonts[i]->name, inName) == 0) return i;
  }
  return -1;
}

bool CanOpen(const char* inPath) {
  FILE* theFile = fopen(inPath, "rb");
  if (!theFile) return false;
  fclose(theFile);
  return true;
}

// Deletes an atlas texture without leaving the state tracker believing a
// deleted name is still bound (OpenGL unbinds it silently).
void DeleteAtlasTexture(uint32_t inTexture) {
  if (GetCurrentState() && GetTextureUsed() == inTexture) SetTextureUsed(0);
  GLuint theTexture = inTexture;
  glDeleteTextures(1, &theTexture);
}

// Uploads the atlas into inTexture. The binding goes through the tracker and
// is undone afterwards, so the tracker's idea of the bound texture stays true.
void UploadAtlas(uint32_t inTexture, const FontAtlas& inAtlas) {
  PushTextureUsed(inTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, inAtlas.width, inAtlas.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
               inAtlas.pixels.data());
  PopTextureUsed();
}

ResourceFont* LoadFont(const char* inName, int32_t inSize) {
  // The name is in the demo's code page; files and fontconfig speak UTF-8.
  std::string thePath = codepage::ToUtf8(inName);
  if (!CanOpen(thePath.c_str())) FindInstalledFont(std::string(thePath).c_str(), thePath);

  FT_Face theFace = nullptr;
  const FT_Error theError = gFreeType ? FT_New_Face(gFreeType, thePath.c_str(), 0, &theFace)
                                      : FT_Err_Invalid_Library_Handle;
  if (theError == FT_Err_Unknown_File_Format) {
    gHost.Warn("Font %s is in an unsupported font format!\n", inName);
    return nullptr;
  }
  if (theError) {
    gHost.Warn("Error %d during opening of font %s!\n", int(theError), inName);
    return nullptr;
  }
  if (inSize < 1 || inSize > FONT_SIZE_LIMIT || FT_Set_Pixel_Sizes(theFace, 0, FT_UInt(inSize)) != 0) {
    FT_Done_Face(theFace);
    gHost.Warn("Couldn't set size %d for font %s!\n", int(inSize), inName);
    return nullptr;
  }

  ResourceFont* theFont = new (std::nothrow) ResourceFont();
  if (!theFont) {
    FT_Done_Face(theFace);
    gHost.Warn("Not enough memory to load font %s!\n", inName);
    return nullptr;
  }
  theFont->size = inSize;
  snprintf(theFont->name, sizeof(theFont->name), "%s", inName);

  FontAtlas theAtlas;
  const AtlasResult theResult = BuildFontAtlas(theFace, inSize, *theFont, theAtlas);
  FT_Done_Face(theFace);
  GLint theMaxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &theMaxTexture);
  if (theResult == ATLAS_NO_GLYPH_MEMORY) {
    delete theFont;
    gHost.Warn("Not enough memory to load font %s!\n", inName);
    return nullptr;
  }
  if (theResult != ATLAS_OK || (theMaxTexture > 0 && (theAtlas.width > theMaxTexture ||
                                                      theAtlas.height > theMaxTexture))) {
    delete theFont;
    gHost.Warn("Not enough memory to load final version of font %s!\n", inName);
    return nullptr;
  }

  PushTexture2D(true);
  GLuint theTexture = 0;
  glGenTextures(1, &theTexture);
  theFont->texture = theTexture;
  UploadAtlas(theTexture, theAtlas);
  PopTexture2D();

  const std::string theDump = AtlasDumpPath(*theFont);
  if (!theDump.empty() && !WriteAtlasPng(theDump.c_str(), theAtlas)) {
    gHost.Warn("fonts: could not write the atlas of %s to %s\n", inName, theDump.c_str());
  }
  return theFont;
}

}  // namespace

void ResetFontCache() {
  for (int32_t i = 0; i < FONT_SLOT_COUNT; ++i) {
    gFonts[i] = nullptr;
    gFontsRefCounts[i] = 0;
  }
  gFontsUsed = 0;
}

void FreeAllFonts() {
  for (int32_t i = 0; i < gFontsUsed; ++i) {
    if (!gFonts[i]) continue;
    DeleteAtlasTexture(gFonts[i]->texture);
    delete gFonts[i];
  }
  ResetFontCache();
}

int32_t UsedFontSlots() { return gFontsUsed; }

int32_t FontReferenceCount(const char* inName, int32_t inSize) {
  const int32_t theSlot = inName ? FindFont(inName, inSize) : -1;
  return theSlot < 0 ? 0 : gFontsRefCounts[theSlot];
}

void* ProduceFont(const char* inName, void* inUserData, bool& /*outIsStatic*/) {
  if (!inName || !inUserData) {
    gHost.Warn("ProduceFont: a font needs a name and a size\n");
    return nullptr;
  }
  const int32_t theSize = *static_cast<const int32_t*>(inUserData);
  if (strlen(inName) >= FONT_NAME_CAPACITY) {
    // The record could not hold the name, and the cache could never find it again.
    gHost.Warn("ProduceFont: font name longer than %d characters: %.60s...\n", FONT_NAME_CAPACITY - 1, inName);
    return nullptr;
  }
  const int32_t theCached = FindFont(inName, theSize);
  if (theCached >= 0) {
    ++gFontsRefCounts[theCached];
    return gFonts[theCached];
  }
  int32_t theSlot = 0;
  while (theSlot < gFontsUsed && gFonts[theSlot]) ++theSlot;
  if (theSlot >= FONT_SLOT_COUNT) {
    gHost.Warn("Too much fonts used simultaneously!");
    return nullptr;
  }
  ResourceFont* theFont = LoadFont(inName, theSize);
  if (!theFont) return nullptr;
  gFonts[theSlot] = theFont;
  gFontsRefCounts[theSlot] = 1;
  if (theSlot == gFontsUsed) ++gFontsUsed;
  return theFont;
}

bool ReleaseFont(const char* inName, void* inUserData) {
  if (!inName || !inUserData) return false;
  const int32_t theSlot = FindFont(inName, *static_cast<const int32_t*>(inUserData));
  if (theSlot < 0) return false;
  if (--gFontsRefCounts[theSlot] == 0) {
    DeleteAtlasTexture(gFonts[theSlot]->texture);
    delete gFonts[theSlot];
    gFonts[theSlot] = nullptr;
    while (gFontsUsed > 0 && !gFonts[gFontsUsed - 1]) --gFontsUsed;
  }
  return true;
}

int32_t GetStringPixels(const ResourceFont& inFont, const char* inText, int32_t inStart, int32_t inCount) {
  if (!inText) return 0;
  const uint32_t theLength = uint32_t(strlen(inText));
  // Compared unsigned: a negative start lies beyond any text, a negative
  // count never runs out.
  const uint32_t theStart = uint32_t(inStart);
  const uint32_t theEnd = inCount < 0 || theLength - std::min(theStart, theLength) < uint32_t(inCount)
                              ? theLength
                              : theStart + uint32_t(inCount);
  int64_t theSum = 0;  // 26.6 fixed point
  for (uint32_t thePosition = theStart; thePosition < theEnd; ++thePosition) {
    theSum += inFont.advance[static_cast<unsigned char>(inText[thePosition])] >> 10;
  }
  return int32_t(theSum >> 6);
}
