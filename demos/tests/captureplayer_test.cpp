// A capture shows what the player draws. The showcase's shader scene (7.5 to
// 12 s) has a sky that reads the music's spectrum at the frame's demo time
// (channel 0, source 5) and a bloom over the whole frame: drawn by a player
// session whose clock stands where the test puts it, and captured by
// zorbit-capture's library at the same demo times and the same size, every
// frame must be the same, byte for byte in red, green and blue (alpha is
// left out: a capture makes its frames opaque).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture.h"
#include "opengldriver.h"
#include "pngfile.h"
#include "showcasesession.h"
#include "tempfolder.h"

namespace {

const int kWidth = 320, kHeight = 240;
// Every 250 ms (4 frames a second) over the scene, its fade-in included.
const uint32_t kFirstMs = 7750, kLastMs = 11750, kStepMs = 250;

// The back buffer as RGB, rows top to bottom as a capture writes them.
std::vector<uint8_t> ReadBackBufferRgb() {
  const std::vector<uint8_t> theRgba = ReadBackBuffer();
  std::vector<uint8_t> theRgb(size_t(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int c = 0; c < 3; ++c)
        theRgb[(size_t(kHeight - 1 - y) * kWidth + x) * 3 + c] = theRgba[(size_t(y) * kWidth + x) * 4 + c];
  return theRgb;
}

std::vector<uint8_t> Rgb(const Image& inImage) {
  std::vector<uint8_t> theRgb;
  theRgb.reserve(inImage.rgba.size() / 4 * 3);
  for (size_t i = 0; i < inImage.rgba.size(); i += 4)
    theRgb.insert(theRgb.end(), &inImage.rgba[i], &inImage.rgba[i] + 3);
  return theRgb;
}

// How many pixels differ, and the first of them (from the top left).
std::string Difference(const std::vector<uint8_t>& inA, const std::vector<uint8_t>& inB) {
  size_t theCount = 0, theFirst = 0;
  for (size_t i = 0; i + 2 < inA.size() && i + 2 < inB.size(); i += 3)
    if ((inA[i] != inB[i] || inA[i + 1] != inB[i + 1] || inA[i + 2] != inB[i + 2]) && theCount++ == 0) theFirst = i / 3;
  char theText[96];
  std::snprintf(theText, sizeof theText, "%zu pixels differ, the first at (%zu, %zu)", theCount, theFirst % kWidth,
                theFirst / kWidth);
  return theText;
}

// The player's frames at kFirstMs, kFirstMs + kStepMs, ... kLastMs.
std::vector<std::vector<uint8_t>> PlayerFrames() {
  TempFolder theLogs("captureplayer");
  SDL_Config theConfig;
  HeldClock theClock;
  theClock.mTime = kFirstMs;
  LoopControl theControl;
  theControl.clockIsDemoTime = true;
  theControl.jumps = [] { return uint64_t(0); };
  SessionSettings theSettings = ShowcaseSession(theConfig, theClock, kWidth, kHeight, kFirstMs, theLogs.Path());
  theSettings.loopControl = &theControl;

  std::vector<std::vector<uint8_t>> theFrames;
  PlayerSession* theSession = nullptr;
  theSettings.afterDraw = [&](const Demo&, uint32_t inTime) {
    EXPECT_EQ(inTime, theClock.mTime) << "the frame was drawn at another time";
    theFrames.push_back(ReadBackBufferRgb());
    theClock.mTime += kStepMs;
    if (theClock.mTime > kLastMs) theSession->Stop();
  };
  PlayerSession thePlayer(theSettings);
  theSession = &thePlayer;
  EXPECT_TRUE(thePlayer.Open());
  EXPECT_TRUE(thePlayer.Play());
  EXPECT_EQ(0, thePlayer.Close());
  return theFrames;
}

TEST(CaptureAndPlayer, TheShaderScenesFramesAreTheSameByteForByte) {
  const std::vector<std::vector<uint8_t>> thePlayed = PlayerFrames();
  const size_t theCount = (kLastMs - kFirstMs) / kStepMs + 1;
  ASSERT_EQ(thePlayed.size(), theCount) << "the player drew another number of frames";

  TempFolder theFolder("captureplayer");
  CaptureOptions theOptions;
  theOptions.demoPath = ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml";
  theOptions.outDir = theFolder.Path() + "/frames";
  theOptions.width = kWidth;
  theOptions.height = kHeight;
  theOptions.fps = 1000 / kStepMs;
  theOptions.fromMs = kFirstMs;
  theOptions.toMs = kLastMs;
  theOptions.quiet = true;
  PinOpenGLDriver();  // the capture ends with SDL_Quit
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  const CaptureResult theResult = CaptureDemo(theOptions);
  ASSERT_EQ(0, theResult.exitCode) << theResult.error;
  ASSERT_EQ(size_t(theResult.frames), theCount) << theResult.error;

  int theSame = 0;
  for (size_t i = 0; i < theCount; ++i) {
    const uint32_t theMs = kFirstMs + uint32_t(i) * kStepMs;
    char theName[32];
    std::snprintf(theName, sizeof theName, "/frame%05zu.png", i);
    Image theCaptured;
    std::string theError;
    ASSERT_TRUE(ReadPng(theOptions.outDir + theName, theCaptured, &theError)) << theError;
    ASSERT_EQ(theCaptured.width, kWidth);
    ASSERT_EQ(theCaptured.height, kHeight);
    const std::vector<uint8_t> theRgb = Rgb(theCaptured);
    if (theRgb == thePlayed[i])
      ++theSame;
    else
      ADD_FAILURE() << theMs << " ms: the capture and the player differ: " << Difference(theRgb, thePlayed[i]);
  }
  EXPECT_EQ(size_t(theSame), theCount);
  // Not a scene that stands still: the sky and the spectrum move.
  EXPECT_NE(thePlayed.front(), thePlayed.back()) << "the scene did not change from " << kFirstMs << " to " << kLastMs;
  EXPECT_NE(thePlayed[8], thePlayed[9]) << "two frames 250 ms apart are the same";
}

}  // namespace
