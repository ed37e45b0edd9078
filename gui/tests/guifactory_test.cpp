// Fonts, text and clip rectangles of the OpenGL GUI factory, against real
// FreeType and real OpenGL.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basicexception.h"
#include "guifactory.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>
#include "testwindow.h"

namespace {

class GuiFactoryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureGuiWindow()); }
  void TearDown() override { EXPECT_EQ(CachedFontCount(), 0) << "a test left fonts in the cache"; }
};

// The real font, with every glyph it draws recorded.
class RecordingFont : public OGLFont {
 public:
  RecordingFont() : OGLFont(Buffer("FreeSerif.ttf"), 16) {}
  void DrawGlyph(int inX, int inY, unsigned char inCode, uint32_t inColour, double inZ) override {
    mDrawn.push_back({inX, inCode});
    OGLFont::DrawGlyph(inX, inY, inCode, inColour, inZ);
  }
  struct Glyph {
    int x;
    unsigned char code;
  };
  std::vector<Glyph> mDrawn;
};

TEST_F(GuiFactoryTest, AtlasSideIsSmallestPowerOfTwoHoldingSixteenCells) {
  struct Case {
    int size;
    int side;
  } const kCases[] = {{14, 256}, {16, 256}, {17, 512}, {1, 16}, {32, 512}, {33, 1024}};
  for (const Case& c : kCases) EXPECT_EQ(OGLFont::AtlasSide(c.size), c.side) << "size " << c.size;

  // The texture OpenGL holds has that side too.
  for (int theSize : {14, 16, 17}) {
    GUIFont* theFont = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), theSize);
    GLint theWidth = 0, theHeight = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<OGLFont*>(theFont)->GetTexture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &theWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &theHeight);
    glBindTexture(GL_TEXTURE_2D, GetTextureUsed());
    EXPECT_EQ(theWidth, OGLFont::AtlasSide(theSize)) << "size " << theSize;
    EXPECT_EQ(theHeight, OGLFont::AtlasSide(theSize)) << "size " << theSize;
    GetFactory()->ReleaseCachedFont(theFont);
  }
}

TEST_F(GuiFactoryTest, CacheSharesFontsByNameAndSizeAndDestroysWithLastRelease) {
  GUIFactory* f = GetFactory();
  GUIFont* a = f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  GUIFont* b = f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  GUIFont* c = f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 15);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(CachedFontReferences(a), 2);
  EXPECT_EQ(CachedFontCount(), 2);
  f->ReleaseCachedFont(a);
  EXPECT_EQ(CachedFontReferences(a), 1);
  f->ReleaseCachedFont(b);
  EXPECT_EQ(CachedFontReferences(a), 0);
  EXPECT_EQ(CachedFontCount(), 1);
  // The last entry moved into the freed slot and is still found.
  EXPECT_EQ(f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 15), c);
  f->ReleaseCachedFont(c);
  f->ReleaseCachedFont(c);
  f->ReleaseCachedFont(nullptr);  // ignored
}

TEST_F(GuiFactoryTest, ThirtyThirdDistinctFontIsRefused) {
  GUIFactory* f = GetFactory();
  std::vector<GUIFont*> theFonts;
  for (int theSize = 1; theSize <= 32; ++theSize)
    theFonts.push_back(f->AcquireCachedFont(Buffer("FreeSerif.ttf"), theSize));
  try {
    f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 33);
    ADD_FAILURE() << "a 33rd font was built";
  } catch (const BasicException& e) {
    EXPECT_STREQ(e.GetMessage(), "Too much fonts used simultaneously!\n");
  }
  // A font already cached is still handed out.
  EXPECT_EQ(f->AcquireCachedFont(Buffer("FreeSerif.ttf"), 7), theFonts[6]);
  f->ReleaseCachedFont(theFonts[6]);
  for (GUIFont* theFont : theFonts) f->ReleaseCachedFont(theFont);
}

TEST_F(GuiFactoryTest, FontErrorsCarryFreeTypeCodeAndNameAsGiven) {
  const std::string theNotFont = std::string(ZORBIT_TEST_DATA_DIR) + "/CMakeLists.txt";
  struct Case {
    std::string name;
    int size;
    std::string message;
  } const kCases[] = {
      {"NoSuchFont.ttf", 16, "Error 1 during opening of font NoSuchFont.ttf!\n"},
      {"/nowhere/FreeSerif.ttf", 16, "Error 1 during opening of font /nowhere/FreeSerif.ttf!\n"},
      {theNotFont, 16, "Font " + theNotFont + " is in an unsupported font format!\n"},
      {"FreeSerif.ttf", 0, "Couldn't set size 0 for font FreeSerif.ttf!\n"},
  };
  for (const Case& c : kCases) {
    try {
      GetFactory()->AcquireCachedFont(Buffer(c.name.c_str()), c.size);
      ADD_FAILURE() << c.name << " opened";
    } catch (const BasicException& e) {
      EXPECT_EQ(std::string(e.GetMessage()), c.message);
    }
  }
  EXPECT_EQ(CachedFontCount(), 0);
  // FreeType comes back for the next font after the failures.
  GUIFont* theFont = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  EXPECT_GT(theFont->GetAdvance('A'), 0);
  GetFactory()->ReleaseCachedFont(theFont);
}

TEST_F(GuiFactoryTest, TextWidthSumsAdvancesAndTruncatesOnce) {
  GUIFont* f = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  const Buffer theText("Start Demo");
  int64_t theSum = 0;
  for (uint32_t i = 0; i < theText.Length(); ++i) theSum += f->GetAdvance(theText[i]) >> 10;
  EXPECT_EQ(f->TextWidth(theText, 0, -1), static_cast<int>(theSum >> 6));
  EXPECT_GT(f->TextWidth(theText, 0, -1), 40);
  EXPECT_EQ(f->TextWidth(Buffer(""), 0, -1), 0);
  EXPECT_EQ(f->TextWidth(theText, 0, 0), 0);
  EXPECT_EQ(f->TextWidth(theText, 6, -1), f->TextWidth(Buffer("Demo"), 0, -1));
  EXPECT_EQ(f->TextWidth(theText, 0, 5), f->TextWidth(Buffer("Start"), 0, -1));
  EXPECT_EQ(f->TextWidth(theText, 50, -1), 0);  // start beyond the end

  // CharsFitting: a character fits only while budget remains after it.
  const int theStartWidth = f->TextWidth(Buffer("Start"), 0, -1);
  EXPECT_EQ(f->CharsFitting(theStartWidth + 1, theText, 0, -1), 5);
  EXPECT_LT(f->CharsFitting(theStartWidth - 2, theText, 0, -1), 5);
  EXPECT_EQ(f->CharsFitting(0, theText, 0, -1), 0);
  EXPECT_EQ(f->CharsFitting(10000, theText, 0, -1), 10);
  GetFactory()->ReleaseCachedFont(f);
}

TEST_F(GuiFactoryTest, BlanksDrawNoGlyphButKeepTheirSpace) {
  RecordingFont theFont;
  const Buffer theText("A B\tC");
  theFont.DrawText(10, 20, theText, 0xFFFFFFFF, true, 0.0);
  ASSERT_EQ(theFont.mDrawn.size(), 3u) << "blank and tab must not be drawn";
  const int a = theFont.GetAdvance('A') >> 10, s = theFont.GetAdvance(' ') >> 10, t = theFont.GetAdvance('\t') >> 10,
            b = theFont.GetAdvance('B') >> 10;
  EXPECT_EQ(theFont.mDrawn[0].x, 10);
  EXPECT_EQ(theFont.mDrawn[1].code, 'B');
  EXPECT_EQ(theFont.mDrawn[1].x, (10 * 64 + a + s) / 64);
  EXPECT_EQ(theFont.mDrawn[2].x, (10 * 64 + a + s + b + t) / 64);

  theFont.mDrawn.clear();
  theFont.DrawText(0, 0, theText, 0xFFFFFFFF, false, 0.0);
  EXPECT_EQ(theFont.mDrawn.size(), 5u) << "without skipping every byte is drawn";
}

// Counts the pixels brighter than inLevel in a rectangle of the read-back frame.
int BrightPixels(const std::vector<uint8_t>& inPixels, int inLeft, int inTop, int inRight, int inBottom,
                 int inLevel = 128) {
  int theCount = 0;
  for (int y = inTop; y < inBottom; ++y)
    for (int x = inLeft; x < inRight; ++x)
      if (int((PixelAt(inPixels, 320, x, y) >> 16) & 0xFF) > inLevel) ++theCount;
  return theCount;
}

TEST_F(GuiFactoryTest, DrawnTextLandsBelowItsLineStartAndLeavesBlanksEmpty) {
  GUIFont* f = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  f->DrawText(20, 100, Buffer("M      M"), 0xFFFFFFFF, true, 0.0);
  const std::vector<uint8_t> thePixels = ReadPixels(320, 240);
  const int theM = f->TextWidth(Buffer("M"), 0, -1);
  const int theGapEnd = 20 + f->TextWidth(Buffer("M      "), 0, -1);
  EXPECT_GT(BrightPixels(thePixels, 20, 100, 20 + theM + 1, 117), 20) << "first M missing";
  EXPECT_EQ(BrightPixels(thePixels, 20 + theM + 2, 95, theGapEnd - 1, 120), 0) << "something drawn in the blanks";
  EXPECT_GT(BrightPixels(thePixels, theGapEnd, 100, theGapEnd + theM + 1, 117), 20) << "second M missing";
  EXPECT_EQ(BrightPixels(thePixels, 0, 0, 320, 99), 0) << "text drawn above its line";
  GetFactory()->ReleaseCachedFont(f);
}

TEST_F(GuiFactoryTest, PrimitivesAfterTextUseTheirOwnColour) {
  GUIFont* f = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  glClear(GL_COLOR_BUFFER_BIT);
  f->DrawText(20, 20, Buffer("red"), 0xFFFF0000, true, 0.0);
  GetFactory()->FillRect(100, 100, 20, 20, 0xFFFFFFFF);  // the tracker's colour in force is white
  const std::vector<uint8_t> thePixels = ReadPixels(320, 240);
  EXPECT_EQ(PixelAt(thePixels, 320, 110, 110) & 0xFFFFFF, 0xFFFFFFu);
  GetFactory()->ReleaseCachedFont(f);
}

TEST_F(GuiFactoryTest, NestedClipRectanglesNeverWidenAndPopRestoresExactly) {
  OGLGUIFactory* f = static_cast<OGLGUIFactory*>(GetFactory());
  struct Rect {
    int left, right, top, bottom;
  };
  auto InForce = [] {
    return Rect{GetState(STATE_CLIP_MIN_X), GetState(STATE_CLIP_MAX_X), GetState(STATE_CLIP_MIN_Y),
                GetState(STATE_CLIP_MAX_Y)};
  };
  auto Expect = [](const Rect& inGot, const Rect& inWant, const char* inWhen) {
    EXPECT_EQ(inGot.left, inWant.left) << inWhen;
    EXPECT_EQ(inGot.right, inWant.right) << inWhen;
    EXPECT_EQ(inGot.top, inWant.top) << inWhen;
    EXPECT_EQ(inGot.bottom, inWant.bottom) << inWhen;
  };
  const Rect theBefore = InForce();
  EXPECT_EQ(GetState(STATE_CLIPPING), 0);

  f->PushClipRect(10, 200, 20, 150);
  EXPECT_EQ(GetState(STATE_CLIPPING), 1);
  Expect(InForce(), {10, 200, 20, 150}, "outer");
  f->PushClipRect(0, 100, 50, 300);  // wider left and bottom, narrower right and top
  Expect(InForce(), {10, 100, 50, 150}, "inner narrows only");
  f->PushClipRect(-5, 400, -5, 400);  // wider everywhere
  Expect(InForce(), {10, 100, 50, 150}, "wider rectangle changes nothing");

  // Real pixels: a fill over the whole window shows only inside the rectangle in force.
  glClear(GL_COLOR_BUFFER_BIT);
  f->FillRect(0, 0, 320, 240, 0xFFFFFFFF);
  const std::vector<uint8_t> thePixels = ReadPixels(320, 240);
  EXPECT_EQ(BrightPixels(thePixels, 0, 0, 320, 45), 0);
  EXPECT_EQ(BrightPixels(thePixels, 0, 0, 5, 240), 0);
  EXPECT_EQ(BrightPixels(thePixels, 105, 0, 320, 240), 0);
  EXPECT_EQ(BrightPixels(thePixels, 0, 155, 320, 240), 0);
  EXPECT_GT(BrightPixels(thePixels, 15, 55, 95, 145), 80 * 90 - 10);

  f->PopClipRect();
  Expect(InForce(), {10, 100, 50, 150}, "after popping the widening level");
  f->PopClipRect();
  Expect(InForce(), {10, 200, 20, 150}, "after popping the inner level");
  f->PopClipRect();
  Expect(InForce(), theBefore, "after popping the outer level");
  EXPECT_EQ(GetState(STATE_CLIPPING), 0);
  EXPECT_EQ(f->GetClipDepth(), 0);
}

using GuiFactoryDeathTest = GuiFactoryTest;

TEST_F(GuiFactoryDeathTest, PoppingAnEmptyClipStackEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(GetFactory()->PopClipRect(), "clip stack underflow");
}

// The display composes its panel by the processor: the same glyphs in the same
// places and colours as DrawText blends onto the screen, clipped at the image's edges.
TEST(OGLFont, LinesRenderedByTheProcessorMatchTheDrawnOnes) {
  ASSERT_TRUE(EnsureGuiWindow());
  OGLFont theFont(Buffer("FreeSerif.ttf"), 15);
  const Buffer theFirst("00:41.000  (41000 ms)");
  const Buffer theSecond("track 3: fonts.so Text3D\t12 ms");
  const Buffer theCut("cut at the right and the bottom edge");
  const OGLFont::TextLine theLines[] = {
      {6, 6, &theFirst, 0xFFFFD040}, {6, 21, &theSecond, 0x80FFFFFF}, {-4, 230, &theCut, 0xFF40A0FF}};
  PushProjection(0, 320, 240, 0, -1, 1, true);
  glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  for (const OGLFont::TextLine& theLine : theLines)
    theFont.DrawText(theLine.x, theLine.y, *theLine.text, theLine.colour, true, 0.0);
  const std::vector<uint8_t> theDrawn = ReadPixels(320, 240);
  PopProjection();

  std::vector<uint8_t> theImage(320 * 240 * 4);
  for (size_t i = 0; i < theImage.size(); i += 4) {
    theImage[i] = 26;  // 0.1, 0.2, 0.3 as the framebuffer holds them
    theImage[i + 1] = 51;
    theImage[i + 2] = 77;
    theImage[i + 3] = 255;
  }
  const std::vector<uint8_t> theBackground = theImage;
  theFont.RenderLines(theLines, 3, theImage.data(), 320, 240);
  int theWorst = 0;
  size_t theLit = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      for (int c = 0; c < 3; ++c) {
        const size_t theAt = (size_t(y) * 320 + x) * 4 + c;
        const int theOnScreen = theDrawn[theAt];
        theWorst = std::max(theWorst, std::abs(theOnScreen - int(theImage[theAt])));
        theLit += theImage[theAt] != theBackground[theAt];
      }
  EXPECT_LE(theWorst, 2) << "the composed glyphs differ from the drawn ones";
  EXPECT_GT(theLit, 300u) << "no text was composed";
}

}  // namespace
