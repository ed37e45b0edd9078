// The showcase rendered at 320 x 240 through the real player, plug-ins and a
// fixed-step clock, frame by frame against committed reference images.
//
// ZORBIT_UPDATE_GOLDEN=1 rewrites the references from this run.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "capture.h"
#include "pngfile.h"

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

// One frame at demo time inTime, captured on its own.
bool CaptureAt(uint32_t inTime, const std::string& inOutDir, Image& outFrame, std::string& outError) {
  CaptureOptions theOptions;
  theOptions.demoPath = kShowcase;
  theOptions.outDir = inOutDir;
  theOptions.width = 320;
  theOptions.height = 240;
  theOptions.fps = 25;
  theOptions.fromMs = inTime;
  theOptions.toMs = inTime;
  theOptions.quiet = true;
  CaptureResult theResult = CaptureDemo(theOptions);
  if (theResult.exitCode != 0 || theResult.frames != 1) {
    outError = "capture at " + std::to_string(inTime) + " ms: exit " + std::to_string(theResult.exitCode) + ", " +
               std::to_string(theResult.frames) + " frames, " + theResult.error;
    return false;
  }
  return ReadPng(inOutDir + "/frame00000.png", outFrame, &outError);
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

// Distinctive moments of the showcase, one per section.
INSTANTIATE_TEST_SUITE_P(Showcase, ShowcaseGolden, ::testing::Values(2000u, 12000u, 24000u, 36000u, 50000u));

TEST(ShowcaseCapture, TwoCapturesOfTheSameRangeGiveIdenticalFrames) {
  Image theFirst, theSecond;
  std::string theError;
  ASSERT_TRUE(CaptureAt(30000, "twice-a", theFirst, theError)) << theError;
  ASSERT_TRUE(CaptureAt(30000, "twice-b", theSecond, theError)) << theError;
  EXPECT_TRUE(theFirst.rgba == theSecond.rgba) << "the fixed-step clock must make captures repeatable";
}

}  // namespace
