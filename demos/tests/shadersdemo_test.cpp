// demos/shaders played through the real player, plug-ins and a fixed-step
// clock at 320 x 240 (a 16:9 viewport of 320 x 180, 30 pixels from the
// top), with each of its four examples checked for what it is meant to do.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture.h"
#include "opengldriver.h"
#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

const std::string kDemoFolder = ZORBIT_SOURCE_DIR "/demos/shaders";
const int kTop = 30;  // the viewport's first row in the frame
const int kWidth = 320;
const int kHeight = 180;

// Frames from inFrom to inTo ms at 10 frames per second.
std::vector<Image> Capture(const std::string& inDemo, uint32_t inFrom, uint32_t inTo, const std::string& inOutDir) {
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
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  CaptureResult theResult = CaptureDemo(theOptions);
  std::vector<Image> theFrames;
  EXPECT_EQ(0, theResult.exitCode) << theResult.error;
  EXPECT_EQ(int((inTo - inFrom) / 100) + 1, theResult.frames) << theResult.error;
  for (int i = 0; i < theResult.frames; ++i) {
    char theName[32];
    std::snprintf(theName, sizeof theName, "/frame%05d.png", i);
    theFrames.emplace_back();
    std::string theError;
    EXPECT_TRUE(ReadPng(inOutDir + theName, theFrames.back(), &theError)) << theError;
  }
  // Whatever the shaders did, the plug-ins had nothing to complain about.
  EXPECT_EQ("", ReadFile(inOutDir + "/Errorlog.txt")) << "in " << inOutDir;
  return theFrames;
}

std::vector<Image> CaptureExample(uint32_t inFrom, uint32_t inTo, const std::string& inOutDir) {
  return Capture(kDemoFolder + "/shaders.xml", inFrom, inTo, inOutDir);
}

double Luma(const uint8_t* inPixel) { return 0.299 * inPixel[0] + 0.587 * inPixel[1] + 0.114 * inPixel[2]; }

// Mean and spread of the viewport's brightness.
struct Spread {
  double mean = 0, deviation = 0;
};
Spread Brightness(const Image& inFrame) {
  double theSum = 0, theSquares = 0;
  for (int y = kTop; y < kTop + kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double theLuma = Luma(inFrame.Pixel(x, y));
      theSum += theLuma;
      theSquares += theLuma * theLuma;
    }
  Spread theSpread;
  double theCount = double(kWidth) * kHeight;
  theSpread.mean = theSum / theCount;
  theSpread.deviation = std::sqrt(std::max(0.0, theSquares / theCount - theSpread.mean * theSpread.mean));
  return theSpread;
}

int Count(const Image& inFrame, bool (*inTest)(const uint8_t*)) {
  int theCount = 0;
  for (int y = kTop; y < kTop + kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) theCount += inTest(inFrame.Pixel(x, y)) ? 1 : 0;
  return theCount;
}

bool LetterboxIsBlack(const Image& inFrame) {
  for (int y : {0, kTop - 1, kTop + kHeight, 239})
    for (int x = 0; x < kWidth; ++x)
      if (inFrame.Pixel(x, y)[0] | inFrame.Pixel(x, y)[1] | inFrame.Pixel(x, y)[2]) return false;
  return true;
}

TEST(ShadersDemo, TheTunnelMovesAndPulsesWithTheKick) {
  // Kicks on every 500 ms: the level peaks 60 ms after the beat and is
  // nearly down again 400 ms later.
  auto theFrames = CaptureExample(1000, 1400, "tunnel");
  ASSERT_EQ(5u, theFrames.size());
  Spread thePeak = Brightness(theFrames[1]), theLow = Brightness(theFrames[4]);
  EXPECT_GT(thePeak.deviation, 20) << "rings and spokes, not a flat picture";
  EXPECT_GT(thePeak.mean, 1.25 * theLow.mean) << "the rings glow brighter on the kick";
  EXPECT_FALSE(theFrames[1].rgba == theFrames[2].rgba) << "the tunnel does not move";
  for (const Image& theFrame : theFrames) EXPECT_TRUE(LetterboxIsBlack(theFrame)) << "drawn outside the viewport";
}

TEST(ShadersDemo, FeedbackPaintAccumulatesFrameByFrame) {
  auto theFrames = CaptureExample(5000, 7000, "paint");
  ASSERT_EQ(21u, theFrames.size());
  auto Painted = [](const uint8_t* inPixel) { return Luma(inPixel) > 40; };
  int theFirst = Count(theFrames[1], Painted), theLast = Count(theFrames[20], Painted);
  EXPECT_GT(theFirst, 0) << "the brush paints nothing";
  // Without its previous frame the shader shows only the brush, the same size on every frame.
  EXPECT_GT(theLast, 4 * theFirst) << "the trail does not build up: " << theFirst << " then " << theLast << " pixels";
}

// The demo's document with one edit, in a folder of its own beside copies
// of the shader files.
std::string EditedDemo(const TempFolder& inFolder, const std::string& inFind, const std::string& inReplace) {
  std::string theDocument = ReadFile(kDemoFolder + "/shaders.xml");
  size_t theAt = theDocument.find(inFind);
  EXPECT_NE(std::string::npos, theAt) << inFind;
  if (theAt != std::string::npos) theDocument.replace(theAt, inFind.size(), inReplace);
  WriteFile(inFolder.Path() + "/shaders.xml", theDocument);
  for (const char* theFile : {"tunnel.frag", "paint.frag", "blobs.frag", "trail.frag", "lava.frag", "grade.frag"})
    WriteFile(inFolder.Path() + "/" + theFile, ReadFile(kDemoFolder + "/" + theFile));
  return inFolder.Path() + "/shaders.xml";
}

TEST(ShadersDemo, TheBufferChainShowsBlobsWithRimsAndTrails) {
  auto theFrames = CaptureExample(11000, 11500, "chain");
  ASSERT_EQ(6u, theFrames.size());
  auto Rim = [](const uint8_t* inPixel) { return inPixel[0] > 235 && inPixel[1] > 235 && inPixel[2] > 235; };
  auto Dark = [](const uint8_t* inPixel) { return Luma(inPixel) < 10; };
  for (size_t i = 0; i < theFrames.size(); ++i) {
    // The rim comes from buffer A, the colours from buffer B: both must reach the picture.
    EXPECT_GT(Count(theFrames[i], Rim), 60) << "frame " << i << ": no rim from buffer A";
    EXPECT_GT(Brightness(theFrames[i]).deviation, 20) << "frame " << i;
    EXPECT_GT(Count(theFrames[i], Dark), kWidth * kHeight / 10) << "frame " << i << ": no space between the blobs";
  }
  EXPECT_FALSE(theFrames[0].rgba == theFrames[5].rgba) << "the blobs do not move";

  // Buffer B without its own previous frame (channel 1 of trail.frag unbound) has no trails.
  TempFolder theFolder("shaders_notrail");
  const std::string theTrail = "<param type=\"const\" val=\"4\"/> <!-- file -->";
  std::string theDocument = ReadFile(kDemoFolder + "/shaders.xml");
  size_t theChannel = theDocument.find("<param type=\"const\" val=\"4\"/> <!-- ch1Source -->", theDocument.find(theTrail));
  ASSERT_NE(std::string::npos, theChannel);
  std::string theEvent = theDocument.substr(theDocument.find(theTrail), theChannel - theDocument.find(theTrail));
  auto theWithout = Capture(EditedDemo(theFolder, theEvent + "<param type=\"const\" val=\"4\"/> <!-- ch1Source -->",
                                       theEvent + "<param type=\"const\" val=\"0\"/> <!-- ch1Source -->"),
                            11000, 11500, "chain-notrail");
  ASSERT_EQ(6u, theWithout.size());
  int theTrails = 0;
  for (int y = kTop; y < kTop + kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) theTrails += std::abs(Luma(theFrames[5].Pixel(x, y)) - Luma(theWithout[5].Pixel(x, y))) > 8;
  EXPECT_GT(theTrails, kWidth * kHeight / 50) << "buffer B's own previous frame hardly shows: " << theTrails << " pixels";
}

// grade.frag works on each pixel alone: the graded frame is that function
// of the frame the same demo draws without the post-process.
TEST(ShadersDemo, ThePostProcessGradesTheFrameDrawnSoFar) {
  TempFolder theFolder("shaders_plain");
  std::string theDocument = ReadFile(kDemoFolder + "/shaders.xml");
  size_t theStart = theDocument.find("<Event LibraryFileName=\"shaders.so\" FunctionName=\"Shader\" StartTime=\"15000\"");
  ASSERT_NE(std::string::npos, theStart);
  size_t theEnd = theDocument.find("</Event>", theStart);
  std::string theEvent = theDocument.substr(theStart, theEnd + 8 - theStart);

  Image thePlain = Capture(EditedDemo(theFolder, theEvent, ""), 16000, 16000, "post-plain").at(0);
  Image theGraded = CaptureExample(16000, 16000, "post").at(0);
  ASSERT_FALSE(thePlain.rgba == theGraded.rgba);
  const double kSaturation = 1.3, kVignette = 0.9;  // iParam[0] and iParam[1] of the event
  int theOff = 0;
  for (int y = kTop; y < kTop + kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double u = (x + 0.5) / kWidth, v = (kTop + kHeight - y - 0.5) / kHeight;
      int theRow = kTop + kHeight - 1 - y;  // from the viewport's bottom, as fragCoord counts
      const uint8_t* p = thePlain.Pixel(x, y);
      double c[3] = {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
      double theLuma = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
      const double kTint[3] = {1.10, 1.00, 0.85};
      double theVignette = 1.0 - kVignette * ((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2.0;
      double theScan = theRow % 2 == 0 ? 0.8 : 1.0;
      const uint8_t* g = theGraded.Pixel(x, y);
      for (int k = 0; k < 3; ++k) {
        double theValue = (theLuma + (c[k] - theLuma) * kSaturation) * kTint[k] * theVignette * theScan;
        double theExpected = std::min(1.0, std::max(0.0, theValue)) * 255.0;
        if (std::abs(theExpected - g[k]) > 2.5) {
          if (theOff++ < 5)
            ADD_FAILURE() << "pixel " << x << ", " << y << " channel " << k << ": " << int(g[k]) << ", expected "
                          << theExpected << " from " << int(p[k]);
        }
      }
    }
  EXPECT_EQ(0, theOff) << "channels off by more than 2.5 / 255";
  EXPECT_TRUE(LetterboxIsBlack(theGraded));
}

}  // namespace
