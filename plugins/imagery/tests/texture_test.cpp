// ProduceTexture / ReleaseTexture of the real imagery.so, with real image
// files, real SDL_image decoding and texels read back from OpenGL.
#include <GL/gl.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imagefiles.h"
#include "imagerytest.h"

namespace {

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InitImagery()); }
  void TearDown() override {
    QuitImagery();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the plug-in left an OpenGL error";
  }

  TextureRecord* Produce(const std::string& inName, bool* outIsStatic = nullptr) {
    return static_cast<TextureRecord*>(mHost.Produce(KIND_TXTR, inName.c_str(), outIsStatic));
  }
  bool Release(const std::string& inName) { return mHost.Release(KIND_TXTR, inName.c_str()); }

  static std::string Hex(uint32_t inValue) {
    char theText[16];
    snprintf(theText, sizeof theText, "%08X", inValue);
    return theText;
  }

  TestHost& mHost = ImageryHost();
};

int CountOpenFiles() {
  int theCount = 0;
  DIR* theDir = opendir("/proc/self/fd");
  while (dirent* theEntry = readdir(theDir)) {
    if (theEntry->d_name[0] != '.') ++theCount;
  }
  closedir(theDir);
  return theCount;
}

uint32_t Channel(uint32_t inPixel, int inShift) { return (inPixel >> inShift) & 0xFF; }

TEST_F(TextureTest, RegistersTheTextureKind) {
  ASSERT_EQ(mHost.mKinds.size(), 1u);
  EXPECT_EQ(mHost.mKinds[0].mKind, KIND_TXTR);
  EXPECT_NE(mHost.mKinds[0].mProduce, nullptr);
  EXPECT_NE(mHost.mKinds[0].mRelease, nullptr);
}

// Every format lands in the top-left corner of a power-of-two texture,
// pixel for pixel (JPEG within its loss), with zeros around it.
TEST_F(TextureTest, ImagePixelsArriveInTexturePaddedWithZeros) {
  enum Format { PNG_ALPHA, PNG_OPAQUE, BMP, JPEG };
  struct Case {
    const char* name;
    Format format;
    int width, height;
    int paddedWidth, paddedHeight;
    float sExtent, tExtent;
  };
  const Case theCases[] = {
      {"wide.png", PNG_ALPHA, 100, 50, 128, 64, 0.78125f, 0.78125f},
      {"dot.png", PNG_ALPHA, 1, 1, 1, 1, 1.0f, 1.0f},
      {"opaque.png", PNG_OPAQUE, 100, 50, 128, 64, 0.78125f, 0.78125f},
      {"tall.png", PNG_OPAQUE, 3, 17, 4, 32, 0.75f, 17.0f / 32.0f},
      {"exact.png", PNG_ALPHA, 64, 32, 64, 32, 1.0f, 1.0f},
      {"odd.bmp", BMP, 5, 3, 8, 4, 0.625f, 0.75f},
      {"photo.jpg", JPEG, 100, 50, 128, 64, 0.78125f, 0.78125f},
      {"pixel.jpg", JPEG, 1, 1, 1, 1, 1.0f, 1.0f},
  };
  for (const Case& theCase : theCases) {
    SCOPED_TRACE(theCase.name);
    bool theHasAlpha = theCase.format == PNG_ALPHA;
    TestImage theImage = MakePatternImage(theCase.width, theCase.height, theHasAlpha);
    bool theWritten = theCase.format == BMP    ? WriteBmp(theCase.name, theImage)
                      : theCase.format == JPEG ? WriteJpeg(theCase.name, theImage)
                                               : WritePng(theCase.name, theImage, theHasAlpha);
    ASSERT_TRUE(theWritten) << "could not write the test image";

    TextureRecord* theRecord = Produce(theCase.name);
    ASSERT_NE(theRecord, nullptr);
    EXPECT_STREQ(theRecord->name, theCase.name);
    EXPECT_EQ(theRecord->width, theCase.width);
    EXPECT_EQ(theRecord->height, theCase.height);
    EXPECT_FLOAT_EQ(theRecord->sExtent, theCase.sExtent);
    EXPECT_FLOAT_EQ(theRecord->tExtent, theCase.tExtent);
    EXPECT_EQ(theRecord->surface, nullptr);
    ASSERT_NE(theRecord->texture, 0u);

    Texels theTexels = ReadTexels(theRecord->texture);
    ASSERT_EQ(theTexels.width, theCase.paddedWidth);
    ASSERT_EQ(theTexels.height, theCase.paddedHeight);
    int theTolerance = theCase.format == JPEG ? 12 : 0;
    int theWrong = 0;
    for (int y = 0; y < theTexels.height; ++y) {
      for (int x = 0; x < theTexels.width; ++x) {
        uint32_t theGot = theTexels.At(x, y);
        bool theInside = x < theCase.width && y < theCase.height;
        uint32_t theWant = theInside ? theImage.At(x, y) : 0;
        bool theSame = true;
        for (int theShift = 0; theShift < 32; theShift += 8) {
          int theDifference = static_cast<int>(Channel(theGot, theShift)) - static_cast<int>(Channel(theWant, theShift));
          int theAllowed = theShift == 24 || !theInside ? 0 : theTolerance;
          if (theDifference > theAllowed || theDifference < -theAllowed) theSame = false;
        }
        if (!theSame && ++theWrong <= 3) {
          ADD_FAILURE() << "texel (" << x << ", " << y << ") is " << Hex(theGot) << ", expected " << Hex(theWant)
                        << (theInside ? " from the image" : " (padding)");
        }
      }
    }
    EXPECT_EQ(theWrong, 0) << "texels differing from the image or its zero padding";
  }
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

// TGA has no signature: the file's extension names the type.
TEST_F(TextureTest, TgaImagesLoadByTheirExtension) {
  TestImage theImage = MakePatternImage(3, 2, true);
  std::string theBytes(18, '\0');
  theBytes[2] = 2;  // uncompressed true colour
  theBytes[12] = 3, theBytes[14] = 2, theBytes[16] = 32;
  theBytes[17] = 0x28;  // 8 alpha bits, rows from the top
  for (uint32_t thePixel : theImage.pixels)
    for (int theShift : {0, 8, 16, 24}) theBytes.push_back(static_cast<char>(thePixel >> theShift));
  for (const char* theName : {"pattern.tga", "pattern.TGA"}) {
    SCOPED_TRACE(theName);
    FILE* theFile = fopen(theName, "wb");
    ASSERT_NE(theFile, nullptr);
    fwrite(theBytes.data(), 1, theBytes.size(), theFile);
    fclose(theFile);
    TextureRecord* theRecord = Produce(theName);
    ASSERT_NE(theRecord, nullptr) << mHost.TakeWarnings().size() << " warning(s)";
    EXPECT_EQ(theRecord->width, 3);
    EXPECT_EQ(theRecord->height, 2);
    Texels theTexels = ReadTexels(theRecord->texture);
    EXPECT_EQ(Hex(theTexels.At(2, 1)), Hex(theImage.At(2, 1)));
  }
}

TEST_F(TextureTest, TransparentPaletteEntryBecomesZeroAlpha) {
  // 6 x 3 with a transparent diagonal and three opaque colours.
  TestImage theImage{6, 3, {}};
  const uint32_t theColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF2040C0};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) theImage.pixels.push_back(x == y * 2 ? 0 : theColours[(x + y) % 3]);
  }
  ASSERT_TRUE(WritePalettePng("keyed.png", theImage));
  for (const char* theName : {"keyed.png", "keyed.png-mask"}) {
    SCOPED_TRACE(theName);
    TextureRecord* theRecord = Produce(theName);
    ASSERT_NE(theRecord, nullptr);
    Texels theTexels = ReadTexels(theRecord->texture);
    ASSERT_EQ(theTexels.width, 8);
    ASSERT_EQ(theTexels.height, 4);
    bool theIsMask = std::string(theName).find("-mask") != std::string::npos;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 6; ++x) {
        uint32_t theWant = theImage.At(x, y);
        if (theIsMask && theWant) {
          uint32_t theLevel = (30 * Channel(theWant, 16) + 59 * Channel(theWant, 8) + 11 * Channel(theWant, 0)) / 100;
          theWant = theLevel << 24;
        }
        EXPECT_EQ(theTexels.At(x, y), theWant) << "texel (" << x << ", " << y << ") is " << Hex(theTexels.At(x, y));
      }
    }
  }
}

TEST_F(TextureTest, MaskIsBlackWithBrightnessAsAlpha) {
  // Colours with their brightness worked out by hand: 0.30 r + 0.59 g + 0.11 b, truncated.
  struct Sample {
    uint32_t colour;
    uint32_t brightness;
  };
  const Sample theSamples[] = {
      {0xFFFFFFFF, 255}, {0xFF000000, 0},   {0xFFFF0000, 76},  {0xFF00FF00, 150},
      {0xFF0000FF, 28},  {0xFF0A141E, 18},  {0xFF808080, 128}, {0x00FFFFFF, 255},
  };
  const int theCount = sizeof theSamples / sizeof theSamples[0];
  TestImage theImage{theCount, 1, {}};
  for (const Sample& theSample : theSamples) theImage.pixels.push_back(theSample.colour);
  ASSERT_TRUE(WritePng("swatch.png", theImage, true));

  TextureRecord* theMask = Produce("swatch.png-mask");
  TextureRecord* thePlain = Produce("swatch.png");
  ASSERT_NE(theMask, nullptr);
  ASSERT_NE(thePlain, nullptr);
  EXPECT_NE(theMask, thePlain) << "a mask and its image are two records";
  EXPECT_STREQ(theMask->name, "swatch.png-mask");
  EXPECT_NE(theMask->texture, thePlain->texture);

  Texels theMaskTexels = ReadTexels(theMask->texture);
  Texels thePlainTexels = ReadTexels(thePlain->texture);
  ASSERT_EQ(theMaskTexels.width, 8);
  for (int x = 0; x < theCount; ++x) {
    EXPECT_EQ(theMaskTexels.At(x, 0), theSamples[x].brightness << 24)
        << "mask texel " << x << " for colour " << Hex(theSamples[x].colour) << " is " << Hex(theMaskTexels.At(x, 0));
    EXPECT_EQ(thePlainTexels.At(x, 0), theSamples[x].colour) << "the plain image must stay unchanged";
  }
}

TEST_F(TextureTest, ReferencesAreCountedAndDoubleReleaseIsReported) {
  ASSERT_TRUE(WritePng("a.png", MakePatternImage(4, 4, false), false));
  bool theIsStatic = false;
  TextureRecord* theFirst = Produce("a.png", &theIsStatic);
  TextureRecord* theSecond = Produce("a.png");
  ASSERT_NE(theFirst, nullptr);
  EXPECT_TRUE(theIsStatic);
  EXPECT_EQ(theFirst, theSecond) << "the same name gives the same record";
  uint32_t theTexture = theFirst->texture;

  EXPECT_TRUE(Release("a.png"));
  EXPECT_TRUE(Release("a.png"));
  EXPECT_TRUE(mHost.TakeWarnings().empty()) << "two releases for two produces are fine";
  EXPECT_STREQ(theFirst->name, "a.png") << "an unreferenced texture stays loaded";
  EXPECT_TRUE(glIsTexture(theTexture));

  EXPECT_TRUE(Release("a.png"));
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"imagery: double release somewhere for a.png\n"});

  EXPECT_FALSE(Release("never-produced.png"));
  EXPECT_TRUE(mHost.TakeWarnings().empty());

  // A reproduce of an unreferenced texture counts from 0 again: one release is fine.
  EXPECT_EQ(Produce("a.png"), theFirst);
  EXPECT_EQ(theFirst->texture, theTexture) << "no reload for a texture still loaded";
  EXPECT_TRUE(Release("a.png"));
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

TEST_F(TextureTest, PossibleLeakReportedFromThe101stProduce) {
  ASSERT_TRUE(WritePng("leaky.png", MakePatternImage(2, 2, false), false));
  TextureRecord* theRecord = Produce("leaky.png");
  for (int i = 2; i <= 100; ++i) ASSERT_EQ(Produce("leaky.png"), theRecord);
  EXPECT_TRUE(mHost.TakeWarnings().empty()) << "100 outstanding produces are not suspicious";
  EXPECT_EQ(Produce("leaky.png"), theRecord) << "the 101st produce still gets the record";
  EXPECT_EQ(mHost.TakeWarnings(),
            std::vector<std::string>{"imagery: Possible leak: more than 100 requests for leaky.png\n"});
}

TEST_F(TextureTest, UnreferencedTexturesAreDroppedOnlyWhenMoreThan20AreLoaded) {
  std::vector<TextureRecord*> theRecords;
  std::vector<uint32_t> theTextures;
  for (int i = 0; i < 23; ++i) {
    std::string theName = "t" + std::to_string(i) + ".bmp";
    ASSERT_TRUE(WriteBmp(theName, MakePatternImage(2, 2, false)));
  }
  for (int i = 0; i < 20; ++i) {
    theRecords.push_back(Produce("t" + std::to_string(i) + ".bmp"));
    ASSERT_NE(theRecords.back(), nullptr);
    theTextures.push_back(theRecords.back()->texture);
  }
  // Unreference 0, 5 and 19 (the last record): 20 loaded is not yet too many.
  for (int i : {0, 5, 19}) ASSERT_TRUE(Release("t" + std::to_string(i) + ".bmp"));
  TextureRecord* theTwentyFirst = Produce("t20.bmp");
  ASSERT_NE(theTwentyFirst, nullptr);
  EXPECT_EQ(theTwentyFirst, theRecords.back() + 1) << "no record was freed with 20 loaded";
  for (int i : {0, 5, 19}) EXPECT_TRUE(glIsTexture(theTextures[i])) << "texture " << i << " dropped too early";

  // 21 loaded: the next produce first drops the three unreferenced ones and
  // takes the first record that became free.
  TextureRecord* theTwentySecond = Produce("t21.bmp");
  ASSERT_NE(theTwentySecond, nullptr);
  EXPECT_EQ(theTwentySecond, theRecords[0]);
  EXPECT_STREQ(theRecords[5]->name, "");
  EXPECT_STREQ(theRecords[19]->name, "");
  for (int i : {5, 19}) EXPECT_FALSE(glIsTexture(theTextures[i])) << "texture " << i << " should be deleted";
  for (int i : {1, 4, 6, 18}) {
    EXPECT_STREQ(theRecords[i]->name, ("t" + std::to_string(i) + ".bmp").c_str()) << "referenced texture dropped";
    EXPECT_TRUE(glIsTexture(theTextures[i]));
  }
  // 19 loaded now: the next one takes the next free record (5) without dropping.
  EXPECT_EQ(Produce("t22.bmp"), theRecords[5]);
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

TEST_F(TextureTest, FailedProduceLeavesNoRecordAndNoOpenFile) {
  FILE* theFile = fopen("garbage.png", "wb");
  ASSERT_NE(theFile, nullptr);
  fputs("this is not an image at all", theFile);
  fclose(theFile);
  ASSERT_TRUE(WritePng("good.png", MakePatternImage(3, 3, true), true));

  int theOpenBefore = CountOpenFiles();
  EXPECT_EQ(Produce("missing.png"), nullptr);
  EXPECT_TRUE(mHost.TakeWarnings().empty()) << "a missing file is not reported by the producer";
  EXPECT_EQ(Produce("garbage.png"), nullptr);
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"IMG_Load couldn't load the file garbage.png\n"});
  EXPECT_EQ(Produce("garbage.png-mask"), nullptr);
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"IMG_Load couldn't load the file garbage.png-mask\n"});
  EXPECT_EQ(Produce("-mask"), nullptr) << "a mask of no file";
  TextureRecord* theGood = Produce("good.png");
  ASSERT_NE(theGood, nullptr);
  EXPECT_EQ(CountOpenFiles(), theOpenBefore) << "a produce left a file descriptor open";

  // The failed produces kept nothing: the good image took the first record,
  // and nobody can release the failed names.
  TextureRecord* theAnother = Produce("good.png-mask");
  EXPECT_EQ(theAnother, theGood + 1);
  EXPECT_FALSE(Release("garbage.png"));
  EXPECT_FALSE(Release("missing.png"));
  EXPECT_FALSE(Release("")) << "an empty name must not match a free record";
}

TEST_F(TextureTest, NamesLongerThan255CharactersAreRefused) {
  // 255 characters fit the record; the file lies in the working directory.
  std::string theLongest = std::string(251, 'n') + ".bmp";
  ASSERT_EQ(theLongest.size(), 255u);
  ASSERT_TRUE(WriteBmp(theLongest, MakePatternImage(2, 2, false)));
  TextureRecord* theRecord = Produce(theLongest);
  ASSERT_NE(theRecord, nullptr);
  EXPECT_EQ(std::string(theRecord->name), theLongest);

  // One more character (the same file through "./") would be cut into a
  // different name: it is refused instead.
  std::string theTooLong = "./" + theLongest;
  EXPECT_EQ(Produce(theTooLong), nullptr);
  std::vector<std::string> theWarnings = mHost.TakeWarnings();
  ASSERT_EQ(theWarnings.size(), 1u);
  EXPECT_EQ(theWarnings[0], "ProduceTexture: the name " + theTooLong + " is longer than 255 characters\n");
  EXPECT_FALSE(Release(theTooLong));
  EXPECT_TRUE(Release(theLongest));
}

TEST_F(TextureTest, FullTableRefusesTheNextTextureWithAWarning) {
  TestImage theDot = MakePatternImage(1, 1, false);
  for (int i = 0; i <= 512; ++i) ASSERT_TRUE(WriteBmp("f" + std::to_string(i) + ".bmp", theDot));
  for (int i = 0; i < 512; ++i) ASSERT_NE(Produce("f" + std::to_string(i) + ".bmp"), nullptr) << i;
  EXPECT_EQ(Produce("f512.bmp"), nullptr);
  EXPECT_EQ(mHost.TakeWarnings(),
            std::vector<std::string>{"ProduceTexture: all 512 texture records are in use, can't load f512.bmp\n"});
  // Names already loaded still work, and an unreferenced record makes room.
  EXPECT_NE(Produce("f7.bmp"), nullptr);
  EXPECT_TRUE(Release("f7.bmp"));
  EXPECT_TRUE(Release("f7.bmp"));
  TextureRecord* theLast = Produce("f512.bmp");
  ASSERT_NE(theLast, nullptr);
  EXPECT_STREQ(theLast->name, "f512.bmp");
  EXPECT_TRUE(mHost.TakeWarnings().empty());
}

TEST_F(TextureTest, QuitDeletesEveryTexture) {
  ASSERT_TRUE(WritePng("q.png", MakePatternImage(8, 8, true), true));
  TextureRecord* theRecord = Produce("q.png");
  ASSERT_NE(theRecord, nullptr);
  uint32_t theTexture = theRecord->texture;
  QuitImagery();
  EXPECT_FALSE(glIsTexture(theTexture));
  EXPECT_STREQ(theRecord->name, "");
  ASSERT_TRUE(InitImagery());
  EXPECT_FALSE(Release("q.png"));
}

// Quit with every record referenced, then a second Zorbit_Init: all 512
// records are free again and no count of the first run is left over.
TEST_F(TextureTest, SecondInitStartsFromAnEmptyTable) {
  TestImage theDot = MakePatternImage(1, 1, false);
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(WriteBmp("r" + std::to_string(i) + ".bmp", theDot));
  for (int i = 0; i < 512; ++i) ASSERT_NE(Produce("r" + std::to_string(i) + ".bmp"), nullptr) << i;
  QuitImagery();
  ASSERT_TRUE(InitImagery());
  for (int i = 1; i < 512; ++i) ASSERT_TRUE(WriteBmp("s" + std::to_string(i) + ".bmp", theDot));
  for (int i = 1; i < 512; ++i) ASSERT_NE(Produce("s" + std::to_string(i) + ".bmp"), nullptr) << i;
  TextureRecord* theAgain = Produce("r0.bmp");
  ASSERT_NE(theAgain, nullptr) << "no record left for the 512th texture of the second run";
  EXPECT_STREQ(theAgain->name, "r0.bmp");
  EXPECT_TRUE(mHost.TakeWarnings().empty());
  EXPECT_TRUE(Release("r0.bmp"));
  EXPECT_TRUE(Release("r0.bmp"));
  EXPECT_EQ(mHost.TakeWarnings(), std::vector<std::string>{"imagery: double release somewhere for r0.bmp\n"})
      << "the first run's reference to r0.bmp survived Zorbit_Quit";
}

}  // namespace
