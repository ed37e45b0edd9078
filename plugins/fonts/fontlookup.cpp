#include "fontlookup.h"

#include <cstring>

#include <fontconfig/fontconfig.h>

namespace {

FcConfig* gFontConfig = nullptr;  // loaded on the first lookup: scanning the fonts is slow

const char* FileNameOf(const char* inPath) {
  const char* theSlash = strrchr(inPath, '/');
  return theSlash ? theSlash + 1 : inPath;
}

}  // namespace

bool FindInstalledFont(const char* inName, std::string& outPath) {
  if (!inName || !*FileNameOf(inName)) return false;
  if (!gFontConfig) {
    gFontConfig = FcInitLoadConfigAndFonts();
    if (!gFontConfig) return false;
  }
  const char* theWanted = FileNameOf(inName);
  FcPattern* thePattern = FcPatternCreate();
  FcObjectSet* theObjects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* theFonts = (thePattern && theObjects) ? FcFontList(gFontConfig, thePattern, theObjects) : nullptr;
  bool theFound = false;
  if (theFonts) {
    for (int i = 0; i < theFonts->nfont; ++i) {
      FcChar8* theFile = nullptr;
      if (FcPatternGetString(theFonts->fonts[i], FC_FILE, 0, &theFile) != FcResultMatch || !theFile) continue;
      const char* thePath = reinterpret_cast<const char*>(theFile);
      if (strcmp(FileNameOf(thePath), theWanted) != 0) continue;
      if (!theFound || outPath.compare(thePath) > 0) outPath = thePath;
      theFound = true;
    }
    FcFontSetDestroy(theFonts);
  }
  if (theObjects) FcObjectSetDestroy(theObjects);
  if (thePattern) FcPatternDestroy(thePattern);
  return theFound;
}

void ForgetInstalledFonts() {
  if (gFontConfig) {
    FcConfigDestroy(gFontConfig);
    gFontConfig = nullptr;
  }
}
