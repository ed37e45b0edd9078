// Font atlases and the font cache of fonts.so, against a real OpenGL
// context and the system's FreeFont files.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <zorbit/codepage.h>
#include "fontatlas.h"
#include "fontcache.h"
#include "glwindow.h"
#include "testhost.h"
#include <zorbit/oglstate.h>
#include "fontsapi.h"

extern "C" bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**);
extern "C" bool Zorbit_Quit();

namespace {

const char* const kSerif = "/usr/share/fonts/truetype/freefont/FreeSerif.ttf";
const char* const kSans = "/usr/share/fonts/truetype/freefont/FreeSans.ttf";

class FontsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Zorbit_Init(nullptr, nullptr, mHost.Table())); }
  void TearDown() override {
    EXPECT_EQ(UsedFontSlots(), 0) << "a test left fonts in the cache";
    Zorbit_Quit();
  }

  ResourceFont* Produce(const char* inName, int32_t inSize) {
    mSizes.push_back(inSize);  // userData must be a pointer to the size
    bool theStatic = false;
    return static_cast<ResourceFont*>(ProduceFont(inName, &mSizes.back(), theStatic));
  }
  bool Release(const char* inName, int32_t inSize) { return ReleaseFont(inName, &inSize); }

  TestHost mHost{OpenTestWindow()};
  std::deque<int32_t> mSizes;
};

std::vector<uint32_t> ReadTexture(const ResourceFont& inFont) {
  std::vector<uint32_t> thePixels(size_t(inFont.atlasWidth) * size_t(inFont.atlasHeight));
  GLint theOld = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theOld);
  glBindTexture(GL_TEXTURE_2D, inFont.texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, thePixels.data());
  glBindTexture(GL_TEXTURE_2D, GLuint(theOld));
  return thePixels;
}

bool IsPowerOfTwo(float inValue) {
  const int32_t theValue = int32_t(inValue);
  return theValue > 0 && float(theValue) == inValue && (theValue & (theValue - 1)) == 0;
}

TEST(AtlasSize, FollowsTheWidthAndRowRule) {
  struct Case {
    int64_t total;
    int32_t size;
    int32_t width;
    int32_t height;
  };
  const Case kCases[] = {
      {3000, 32, 2048, 128},  // 4096 halves to 2048, rows 66 -> 128
      {1000, 16, 1024, 32},   {1024, 16, 1024, 32},  {1025, 16, 2048, 32},
      {2049, 16, 2048, 64},   {9000, 10, 2048, 128},  // 16384 -> 2048 with 11 * 8 = 88 rows
      {1, 1, 1, 2},           {0, 15, 1, 16},
  };
  for (const Case& c : kCases) {
    int32_t theWidth = 0;
    int32_t theHeight = 0;
    AtlasSizeFor(c.total, c.size, theWidth, theHeight);
    EXPECT_EQ(theWidth, c.width) << "total " << c.total << " size " << c.size;
    EXPECT_EQ(theHeight, c.height) << "total " << c.total << " size " << c.size;
  }
}

// FreeType's own rendering of one code, done here independently of fonts.so.
struct Rendered {
  bool loaded = false;
  int32_t advance = 0;  // 26.6
  int32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> coverage;
};

std::vector<Rendered> RenderAll(const char* inPath, int32_t inSize) {
  FT_Library theLibrary;
  FT_Init_FreeType(&theLibrary);
  FT_Face theFace;
  EXPECT_EQ(FT_New_Face(theLibrary, inPath, 0, &theFace), 0);
  FT_Set_Pixel_Sizes(theFace, 0, FT_UInt(inSize));
  std::vector<Rendered> theAll(256);
  for (int c = 0; c < 256; ++c) {
    // Byte c is the Windows-1252 character c: 0x80 is the euro sign.
    if (FT_Load_Char(theFace, FT_ULong(codepage::ToUnicode(uint8_t(c))), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = theFace->glyph;
    Rendered& r = theAll[size_t(c)];
    r.loaded = true;
    r.advance = int32_t(g->advance.x);
    r.left = g->bitmap_left;
    r.top = g->bitmap_top;
    r.width = int32_t(g->bitmap.width);
    r.height = int32_t(g->bitmap.rows);
    for (int32_t y = 0; y < r.height; ++y) {
      for (int32_t x = 0; x < r.width; ++x) r.coverage.push_back(g->bitmap.buffer[y * g->bitmap.pitch + x]);
    }
  }
  FT_Done_Face(theFace);
  FT_Done_FreeType(theLibrary);
  return theAll;
}

TEST_F(FontsTest, AtlasHoldsEveryGlyphOnceWhereTheRecordSays) {
  const char* const kFonts[] = {kSerif, kSans};
  const int32_t kSizes[] = {14, 16, 17};
  for (const char* theName : kFonts) {
    for (int32_t theSize : kSizes) {
      SCOPED_TRACE(std::string(theName) + " at " + std::to_string(theSize));
      const ResourceFont* theFont = Produce(theName, theSize);
      ASSERT_NE(theFont, nullptr) << mHost.AllWarnings();
      const std::vector<Rendered> theExpected = RenderAll(theName, theSize);

      // Distinct images, each counted with its width + 1, give the atlas size.
      std::map<std::vector<uint8_t>, std::pair<int32_t, int32_t>> theFirstOfImage;
      int64_t theTotal = 0;
      int32_t theTallest = 0;
      for (int c = 0; c < 256; ++c) {
        const Rendered& r = theExpected[size_t(c)];
        std::vector<uint8_t> theKey = r.coverage;
        theKey.push_back(uint8_t(r.width));
        theKey.push_back(uint8_t(r.height));
        if (theFirstOfImage.emplace(theKey, std::make_pair(c, r.width)).second) theTotal += r.width + 1;
        theTallest = std::max(theTallest, r.height);
      }
      int32_t theWidth = 0;
      int32_t theHeight = 0;
      AtlasSizeFor(theTotal, theSize, theWidth, theHeight);
      EXPECT_EQ(theFont->atlasWidth, float(theWidth));
      EXPECT_GE(theFont->atlasHeight, float(theHeight));
      if (theTallest <= theSize + 1) {
        EXPECT_EQ(theFont->atlasHeight, float(theHeight));
      }
      EXPECT_TRUE(IsPowerOfTwo(theFont->atlasWidth) && IsPowerOfTwo(theFont->atlasHeight));
      EXPECT_LE(theFont->atlasWidth, 2048.0f);
      EXPECT_EQ(theFont->size, theSize);
      EXPECT_STREQ(theFont->name, theName);

      const std::vector<uint32_t> theTexels = ReadTexture(*theFont);
      const int32_t theAtlasWidth = int32_t(theFont->atlasWidth);
      std::set<std::pair<int32_t, int32_t>> theOrigins;
      for (int c = 0; c < 256; ++c) {
        const Rendered& r = theExpected[size_t(c)];
        SCOPED_TRACE("code " + std::to_string(c));
        ASSERT_EQ(theFont->advance[c], r.advance << 10) << "advance is 16.16";
        ASSERT_EQ(theFont->width[c], r.width);
        ASSERT_EQ(theFont->height[c], r.height);
        if (r.width == 0 || r.height == 0) continue;
        ASSERT_EQ(theFont->left[c], r.left);
        ASSERT_EQ(theFont->top[c], r.top);
        ASSERT_LE(theFont->glyphX[c] + r.width, theAtlasWidth);
        ASSERT_LE(theFont->glyphY[c] + r.height, int32_t(theFont->atlasHeight));
        EXPECT_EQ(theFont->glyphY[c] % (theSize + 1), 0) << "rows are size + 1 apart";
        std::vector<uint8_t> theKey = r.coverage;
        theKey.push_back(uint8_t(r.width));
        theKey.push_back(uint8_t(r.height));
        const int32_t theFirst = theFirstOfImage[theKey].first;
        ASSERT_EQ(theFont->glyphX[c], theFont->glyphX[theFirst]) << "identical images are shared";
        ASSERT_EQ(theFont->glyphY[c], theFont->glyphY[theFirst]) << "identical images are shared";
        if (theFirst == c) {
          ASSERT_TRUE(theOrigins.emplace(theFont->glyphX[c], theFont->glyphY[c]).second)
              << "two different images at one place";
        }
        for (int32_t y = 0; y < r.height; ++y) {
          for (int32_t x = 0; x < r.width; ++x) {
            const uint32_t b = r.coverage[size_t(y * r.width + x)];
            const uint32_t theTexel =
                theTexels[size_t(theFont->glyphY[c] + y) * size_t(theAtlasWidth) + size_t(theFont->glyphX[c] + x)];
            ASSERT_EQ(theTexel, b == 0 ? 0u : (b << 24) | 0xFFFFFFu) << "texel " << x << "," << y;
          }
        }
        // The column after every image stays empty, so linear filtering never
        // picks up a neighbour.
        if (theFont->glyphX[c] + r.width < theAtlasWidth) {
          for (int32_t y = 0; y < r.height; ++y) {
            ASSERT_EQ(theTexels[size_t(theFont->glyphY[c] + y) * size_t(theAtlasWidth) +
                                size_t(theFont->glyphX[c] + r.width)],
                      0u);
          }
        }
      }
      EXPECT_TRUE(Release(theName, theSize));
    }
  }
}

TEST(AtlasPacking, OversizedGlyphsStayIntactAndTheAtlasGrows) {
  // No FreeFont glyph is taller than its size + 1, so stretch the outlines:
  // images far taller (and wider) than size x size, which the size rule
  // alone would pack on top of each other or past the atlas's end.
  struct Case {
    int32_t size;
    double xScale;
    double yScale;
  };
  const Case kCases[] = {{16, 1.0, 3.0}, {40, 1.0, 2.5}, {60, 40.0, 1.0}, {24, 6.0, 6.0}};
  FT_Library theLibrary;
  ASSERT_EQ(FT_Init_FreeType(&theLibrary), 0);
  for (const Case& c : kCases) {
    SCOPED_TRACE("size " + std::to_string(c.size) + " stretched " + std::to_string(c.xScale) + " x " +
                 std::to_string(c.yScale));
    FT_Face theFace;
    ASSERT_EQ(FT_New_Face(theLibrary, kSerif, 0, &theFace), 0);
    FT_Set_Pixel_Sizes(theFace, 0, FT_UInt(c.size));
    FT_Matrix theStretch = {FT_Fixed(c.xScale * 65536), 0, 0, FT_Fixed(c.yScale * 65536)};
    FT_Set_Transform(theFace, &theStretch, nullptr);
    auto theFont = std::make_unique<ResourceFont>();
    FontAtlas theAtlas;
    ASSERT_EQ(BuildFontAtlas(theFace, c.size, *theFont, theAtlas), ATLAS_OK);

    int32_t theTallest = 0;
    int32_t theWidest = 0;
    for (int code = 0; code < 256; ++code) {
      theTallest = std::max(theTallest, theFont->height[code]);
      theWidest = std::max(theWidest, theFont->width[code]);
    }
    ASSERT_TRUE(theTallest > c.size + 1 || theWidest > ATLAS_WIDTH_LIMIT) << "the case must hold oversized images";
    const int32_t theWidth = theAtlas.width;
    const int32_t theHeight = theAtlas.height;
    EXPECT_TRUE(IsPowerOfTwo(float(theWidth)) && IsPowerOfTwo(float(theHeight)));
    std::vector<uint8_t> theOwned(size_t(theWidth) * size_t(theHeight), 0);
    std::set<std::pair<int32_t, int32_t>> theSeen;
    for (int code = 0; code < 256; ++code) {
      const int32_t x = theFont->glyphX[code];
      const int32_t y = theFont->glyphY[code];
      const int32_t w = theFont->width[code];
      const int32_t h = theFont->height[code];
      if (w == 0 || h == 0) continue;
      ASSERT_LE(x + w, theWidth) << "code " << code << " runs past the atlas's right edge";
      ASSERT_LE(y + h, theHeight) << "code " << code << " runs past the atlas's end";
      if (!theSeen.emplace(x, y).second) continue;  // a shared image
      ASSERT_EQ(FT_Load_Char(theFace, FT_ULong(codepage::ToUnicode(uint8_t(code))), FT_LOAD_RENDER), 0);
      const FT_Bitmap& theBitmap = theFace->glyph->bitmap;
      for (int32_t r = 0; r < h; ++r) {
        for (int32_t k = 0; k < w; ++k) {
          uint8_t& theCell = theOwned[size_t(y + r) * size_t(theWidth) + size_t(x + k)];
          ASSERT_EQ(theCell, 0) << "code " << code << " overlaps another image";
          theCell = 1;
          const uint32_t b = theBitmap.buffer[r * theBitmap.pitch + k];
          ASSERT_EQ(theAtlas.pixels[size_t(y + r) * size_t(theWidth) + size_t(x + k)],
                    b == 0 ? 0u : (b << 24) | 0xFFFFFFu)
              << "code " << code << " texel " << k << "," << r;
        }
      }
    }
    // The atlas starts empty without being cleared: every texel no image owns is 0.
    for (size_t i = 0; i < theOwned.size(); ++i) {
      if (theOwned[i] != 0) continue;
      ASSERT_EQ(theAtlas.pixels[i], 0u) << "texel " << i % size_t(theWidth) << "," << i / size_t(theWidth)
                                        << " belongs to no image";
    }
    FT_Done_Face(theFace);
  }
  FT_Done_FreeType(theLibrary);
}

TEST_F(FontsTest, NinthFontIsRefusedAndAFreedSlotIsReused) {
  std::vector<ResourceFont*> theFonts;
  for (int32_t theSize = 10; theSize < 18; ++theSize) {
    theFonts.push_back(Produce(kSans, theSize));
    ASSERT_NE(theFonts.back(), nullptr) << "font " << theSize;
  }
  EXPECT_EQ(UsedFontSlots(), 8);
  EXPECT_EQ(Produce(kSans, 18), nullptr);
  EXPECT_NE(mHost.AllWarnings().find("Too much fonts used simultaneously!"), std::string::npos);

  EXPECT_TRUE(Release(kSans, 13));
  EXPECT_EQ(UsedFontSlots(), 8) << "a hole in the middle keeps the used count";
  ResourceFont* theNinth = Produce(kSans, 18);
  ASSERT_NE(theNinth, nullptr) << "the freed slot is reused";
  EXPECT_EQ(UsedFontSlots(), 8);

  EXPECT_TRUE(Release(kSans, 18));
  for (int32_t theSize = 17; theSize >= 10; --theSize) {
    if (theSize != 13) {
      EXPECT_TRUE(Release(kSans, theSize));
    }
  }
  EXPECT_EQ(UsedFontSlots(), 0);
}

TEST_F(FontsTest, SameNameAndSizeAreSharedAndFreedByTheLastRelease) {
  ResourceFont* theFirst = Produce(kSerif, 20);
  ResourceFont* theSecond = Produce(kSerif, 20);
  ResourceFont* theOtherSize = Produce(kSerif, 21);
  ASSERT_NE(theFirst, nullptr);
  EXPECT_EQ(theFirst, theSecond);
  EXPECT_NE(theFirst, theOtherSize);
  EXPECT_EQ(FontReferenceCount(kSerif, 20), 2);
  const GLuint theTexture = theFirst->texture;

  EXPECT_FALSE(Release(kSerif, 22)) << "never produced";
  EXPECT_FALSE(Release("/usr/share/fonts/truetype/freefont/freeserif.ttf", 20)) << "names are case-sensitive";
  EXPECT_EQ(FontReferenceCount(kSerif, 20), 2);

  EXPECT_TRUE(Release(kSerif, 20));
  EXPECT_EQ(FontReferenceCount(kSerif, 20), 1);
  EXPECT_TRUE(glIsTexture(theTexture));
  EXPECT_TRUE(Release(kSerif, 20));
  EXPECT_EQ(FontReferenceCount(kSerif, 20), 0);
  EXPECT_FALSE(glIsTexture(theTexture)) << "the last release deletes the atlas";
  EXPECT_FALSE(Release(kSerif, 20));
  EXPECT_TRUE(Release(kSerif, 21));
}

TEST_F(FontsTest, FontsThatCannotBeLoadedAreReportedAndGiveNull) {
  const std::string theNotAFont = std::string(ZORBIT_TEST_DATA_DIR) + "/CMakeLists.txt";
  struct Case {
    std::string name;
    int32_t size;
    std::string warning;
  };
  const Case kCases[] = {
      {theNotAFont, 16, "Font " + theNotAFont + " is in an unsupported font format!\n"},
      {"no/such/font.ttf", 16, "Error 1 during opening of font no/such/font.ttf!\n"},
      {kSerif, 0, std::string("Couldn't set size 0 for font ") + kSerif + "!\n"},
      {kSerif, -4, std::string("Couldn't set size -4 for font ") + kSerif + "!\n"},
      {kSerif, 100000, std::string("Couldn't set size 100000 for font ") + kSerif + "!\n"},
  };
  for (const Case& c : kCases) {
    mHost.mWarnings.clear();
    EXPECT_EQ(Produce(c.name.c_str(), c.size), nullptr) << c.name;
    ASSERT_EQ(mHost.mWarnings.size(), 1u) << c.name << ": " << mHost.AllWarnings();
    EXPECT_EQ(mHost.mWarnings[0], c.warning);
    EXPECT_EQ(UsedFontSlots(), 0) << "a failed load leaves its slot empty";
  }
  mHost.mWarnings.clear();
  EXPECT_EQ(Produce(std::string(600, 'a').c_str(), 16), nullptr) << "a name the record cannot hold";
  EXPECT_EQ(mHost.mWarnings.size(), 1u);
}

TEST_F(FontsTest, FileNamesAreFoundAmongTheInstalledFontsAndKeepTheirName) {
  ResourceFont* theFont = Produce("FreeSans.ttf", 16);
  ASSERT_NE(theFont, nullptr) << mHost.AllWarnings();
  EXPECT_STREQ(theFont->name, "FreeSans.ttf");
  ResourceFont* theByPath = Produce(kSans, 16);
  EXPECT_NE(theFont, theByPath) << "the cache goes by the name as requested";
  EXPECT_EQ(memcmp(theFont->advance, theByPath->advance, sizeof(theFont->advance)), 0)
      << "the name found the same file";
  EXPECT_EQ(Produce("fonts/NoSuchFont.ttf", 16), nullptr);
  EXPECT_TRUE(Release("FreeSans.ttf", 16));
  EXPECT_TRUE(Release(kSans, 16));
}

TEST_F(FontsTest, StringWidthsStayWithinTheText) {
  ResourceFont* theFont = Produce(kSerif, 32);
  ASSERT_NE(theFont, nullptr);
  auto Pixels = [&](const char* inText) {
    int32_t theSum = 0;
    for (const char* p = inText; *p; ++p) theSum += theFont->advance[static_cast<unsigned char>(*p)] >> 10;
    return theSum >> 6;
  };
  ASSERT_GT(Pixels("W"), 0);
  ASSERT_GT(theFont->advance[0xE9], 0) << "e acute is in FreeSerif";
  struct Case {
    const char* text;
    int32_t start;
    int32_t count;
    int32_t expected;
  };
  const Case kCases[] = {
      {"Width", 0, 5, Pixels("Width")},   {"Width", 0, 100, Pixels("Width")},
      {"Width", 1, 2, Pixels("id")},      {"Width", 0, -1, Pixels("Width")},
      {"Width", 2, -7, Pixels("dth")},    {"Width", -1, 3, 0},
      {"Width", 5, 3, 0},                 {"Width", 6, 3, 0},
      {"Width", 0, 0, 0},                 {"", 0, 10, 0},
      {nullptr, 0, 10, 0},                {"\xE9\xE9", 0, 2, Pixels("\xE9\xE9")},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(GetStringPixels(*theFont, c.text, c.start, c.count), c.expected)
        << (c.text ? c.text : "(null)") << " from " << c.start << " count " << c.count;
  }
  EXPECT_EQ(Pixels("\xE9"), (theFont->advance[0xE9] >> 16)) << "bytes above 0x7F use their own advance";
  EXPECT_TRUE(Release(kSerif, 32));
}

TEST_F(FontsTest, LoadingLeavesTheTrackerTrueToOpenGL) {
  OGLState* theState = OpenTestWindow();
  PushTextureUsed(0);
  const ResourceFont* theFont = Produce(kSans, 12);
  ASSERT_NE(theFont, nullptr);
  GLint theBound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theBound);
  EXPECT_EQ(GLuint(theBound), GetTextureUsed());
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, GetTexture2D());

  // A renderer binds the atlas through the tracker; deleting the font must
  // not leave the tracker thinking the dead name is still bound.
  SetTextureUsed(theFont->texture);
  EXPECT_TRUE(Release(kSans, 12));
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theBound);
  EXPECT_EQ(GLuint(theBound), GetTextureUsed());
  PopTextureUsed();
  EXPECT_EQ(theState, GetCurrentState());
}

TEST_F(FontsTest, DumpedAtlasIsThePictureOfTheTexture) {
  char theFolder[] = "/tmp/atlasdumpXXXXXX";
  ASSERT_NE(mkdtemp(theFolder), nullptr);
  setenv("ZORBIT_DUMP_ATLAS", theFolder, 1);
  const ResourceFont* theFont = Produce(kSerif, 15);
  unsetenv("ZORBIT_DUMP_ATLAS");
  ASSERT_NE(theFont, nullptr);
  const std::string thePath = std::string(theFolder) + "/atlas-FreeSerif.ttf-15.png";

  png_image theImage;
  memset(&theImage, 0, sizeof(theImage));
  theImage.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&theImage, thePath.c_str())) << thePath;
  theImage.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> thePicture(PNG_IMAGE_SIZE(theImage) / 4);
  ASSERT_TRUE(png_image_finish_read(&theImage, nullptr, thePicture.data(), 0, nullptr));
  EXPECT_EQ(float(theImage.width), theFont->atlasWidth);
  EXPECT_EQ(float(theImage.height), theFont->atlasHeight);
  EXPECT_TRUE(thePicture == ReadTexture(*theFont)) << "the PNG differs from the uploaded atlas";
  EXPECT_TRUE(Release(kSerif, 15));
  remove(thePath.c_str());
  rmdir(theFolder);
}

}  // namespace
