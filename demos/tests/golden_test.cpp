// The showcase rendered at 320 x 240 through the real player, plug-ins and a
// fixed-step clock, frame by frame against committed reference images.
//
// ZORBIT_UPDATE_GOLDEN=1 rewrites the references from this run.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture.h"
#include "opengldriver.h"
#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

const char* kShowcase = ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml";
const char* kGoldenDir = ZORBIT_SOURCE_DIR "/demos/showcase/golden";

// llvmpipe renders the same frame the same way on one machine, but rounding
// differs across Mesa versions and CPUs: a pixel counts as different only
// past a clear step, and a frame fails only when many pixels do.
const int kChannelTolerance = 40;       // of 255
const double kDifferingShareLimit = 0.02;

struct Comparison {
  double differingShare = 1.0;
  Image difference;  // white where the frames differ, a dim copy of the reference elsewhere
};

Comparison Compare(const Image& inActual, const Image& inExpected) {
  Comparison theResult;
  if (inActual.width != inExpected.width || inActual.height != inExpected.height) return theResult;
  theResult.difference = inExpected;
  size_t theDiffering = 0;
  for (int y = 0; y < inActual.height; ++y)
    for (int x = 0; x < inActual.width; ++x) {
      const uint8_t* a = inActual.Pixel(x, y);
      const uint8_t* e = inExpected.Pixel(x, y);
      bool theDiffers = false;
      for (int c = 0; c < 3; ++c) theDiffers |= std::abs(int(a[c]) - int(e[c])) > kChannelTolerance;
      uint8_t* d = theResult.difference.Pixel(x, y);
      for (int c = 0; c < 3; ++c) d[c] = theDiffers ? 255 : uint8_t(e[c] / 4);
      d[3] = 255;
      theDiffering += theDiffers;
    }
  theResult.differingShare = double(theDiffering) / (double(inActual.width) * inActual.height);
  return theResult;
}

std::string GoldenPath(uint32_t inTime) { return std::string(kGoldenDir) + "/t" + std::to_string(inTime) + ".png"; }

// Frames from inFrom to inTo ms at 10 frames per second, 320 x 240.
bool Capture(uint32_t inFrom, uint32_t inTo, const std::string& inOutDir, std::vector<Image>& outFrames,
             std::string& outError, const char* inDemo = kShowcase) {
  PinOpenGLDriver();  // every capture ends with SDL_Quit
  CaptureOptions theOptions;
  theOptions.demoPath = inDemo;
  theOptions.outDir = inOutDir;
  theOptions.width = 320;
  theOptions.height = 240;
  theOptions.fps = 10;
  theOptions.fromMs = inFrom;
  theOptions.toMs = inTo;
  theOptions.quiet = true;
  // The player inside this test finds the plug-ins where the build puts them.
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  CaptureResult theResult = CaptureDemo(theOptions);
  int theExpected = int((inTo - inFrom) / 100) + 1;
  if (theResult.exitCode != 0 || theResult.frames != theExpected) {
    outError = "capture of " + std::to_string(inFrom) + " to " + std::to_string(inTo) + " ms: exit " +
               std::to_string(theResult.exitCode) + ", " + std::to_string(theResult.frames) + " frames, " +
               theResult.error;
    return false;
  }
  outFrames.resize(theResult.frames);
  for (int i = 0; i < theResult.frames; ++i) {
    char theName[32];
    std::snprintf(theName, sizeof theName, "/frame%05d.png", i);
    if (!ReadPng(inOutDir + theName, outFrames[i], &outError)) return false;
  }
  return true;
}

bool CaptureAt(uint32_t inTime, const std::string& inOutDir, Image& outFrame, std::string& outError) {
  std::vector<Image> theFrames;
  if (!Capture(inTime, inTime, inOutDir, theFrames, outError)) return false;
  outFrame = theFrames[0];
  return true;
}

class ShowcaseGolden : public ::testing::TestWithParam<uint32_t> {};

TEST_P(ShowcaseGolden, FrameMatchesReference) {
  uint32_t theTime = GetParam();
  std::string theOutDir = "golden-" + std::to_string(theTime);
  Image theFrame;
  std::string theError;
  ASSERT_TRUE(CaptureAt(theTime, theOutDir, theFrame, theError)) << theError;

  const char* theUpdate = std::getenv("ZORBIT_UPDATE_GOLDEN");
  if (theUpdate && std::strcmp(theUpdate, "1") == 0) {
    mkdir(kGoldenDir, 0755);
    ASSERT_TRUE(WritePng(GoldenPath(theTime), theFrame, &theError)) << theError;
    return;
  }
  Image theExpected;
  ASSERT_TRUE(ReadPng(GoldenPath(theTime), theExpected, &theError))
      << theError << " (run with ZORBIT_UPDATE_GOLDEN=1 to make the reference)";
  Comparison theComparison = Compare(theFrame, theExpected);
  if (theComparison.differingShare > kDifferingShareLimit) {
    std::string theDiffPath = theOutDir + "/difference.png";
    if (!theComparison.difference.rgba.empty()) WritePng(theDiffPath, theComparison.difference);
    FAIL() << "frame at " << theTime << " ms differs from " << GoldenPath(theTime) << " in "
           << theComparison.differingShare * 100 << "% of its pixels; see " << theOutDir
           << "/frame00000.png and " << theDiffPath << " in the test's build folder";
  }
}

// Distinctive moments of the showcase, one per section; 10000 ms is the
// shader scene, its sky and its post-process.
INSTANTIATE_TEST_SUITE_P(Showcase, ShowcaseGolden,
                         ::testing::Values(5250u, 10000u, 16000u, 20600u, 28000u, 41000u, 55000u));

// The shader scene's sky reads the music (channel 0, source 5): without it,
// the picture above the horizon is another.
TEST(ShowcaseCapture, TheShaderScenesSkyMovesWithTheMusic) {
  TempFolder theFolder("showcase_nomusic");
  ASSERT_EQ(0, std::system(("cp -r " ZORBIT_SOURCE_DIR "/demos/showcase/. '" + theFolder.Path() + "/'").c_str()));
  std::string theDocument = ReadFile(kShowcase);
  const std::string theSky = "<param type=\"const\" val=\"38\"/> <!-- file -->";
  const std::string theMusic = "<param type=\"const\" val=\"5\"/> <!-- ch0Source -->";
  size_t theAt = theDocument.find(theMusic, theDocument.find(theSky));
  ASSERT_NE(std::string::npos, theAt) << "the sky has no music channel";
  theDocument.replace(theAt, theMusic.size(), "<param type=\"const\" val=\"0\"/> <!-- ch0Source -->");
  WriteFile(theFolder.Path() + "/showcase.xml", theDocument);

  std::vector<Image> theWith, theWithout;
  std::string theError;
  ASSERT_TRUE(Capture(10000, 10000, "music-with", theWith, theError)) << theError;
  std::string theCopy = theFolder.Path() + "/showcase.xml";
  ASSERT_TRUE(Capture(10000, 10000, "music-without", theWithout, theError, theCopy.c_str())) << theError;
  EXPECT_EQ("", ReadFile("music-with/Errorlog.txt"));
  // The viewport is 320 x 180 from row 30; the spectrum glows just above the horizon, in its middle half.
  int theChanged = 0;
  for (int y = 30; y < 30 + 110; ++y)
    for (int x = 80; x < 240; ++x)
      for (int c = 0; c < 3; ++c) theChanged += std::abs(int(theWith[0].Pixel(x, y)[c]) - int(theWithout[0].Pixel(x, y)[c])) > 6;
  EXPECT_GT(theChanged, 300) << "the music hardly shows in the sky";
}

TEST(ShowcaseCapture, TwoCapturesOfTheSameRangeGiveIdenticalFrames) {
  std::vector<Image> theFirst, theSecond;
  std::string theError;
  ASSERT_TRUE(Capture(29600, 30400, "twice-a", theFirst, theError)) << theError;
  ASSERT_TRUE(Capture(29600, 30400, "twice-b", theSecond, theError)) << theError;
  ASSERT_EQ(9u, theFirst.size());
  for (size_t i = 0; i < theFirst.size(); ++i)
    EXPECT_TRUE(theFirst[i].rgba == theSecond[i].rgba) << "frame " << i << " differs between two captures";
  EXPECT_FALSE(theFirst.front().rgba == theFirst.back().rgba) << "the range should show motion";
}

}  // namespace
