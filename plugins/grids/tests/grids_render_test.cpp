// A waving and a turning grid drawn through the scene producer's DrawGrid,
// played by the player's own start-up with a fixed-step clock under a real
// X display, each frame read back before it is shown.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "opengldriver.h"
#include "demorun.h"
#include "startup.h"

using demoxml::Const;
using demoxml::Consts;
using demoxml::Document;
namespace dx = demoxml;

namespace {

const std::string kGrids = ZORBIT_BIN_DIR "/grids.so";
const std::string kScene = ZORBIT_BIN_DIR "/scene.so";
const int kWidth = 320, kHeight = 240;

struct Frame {
  std::vector<uint8_t> mRgb;  // kWidth x kHeight, bottom row first
};

// Pixels of one colour in a frame: how many, and their mean column.
struct Coverage {
  int mCount = 0;
  double mMeanX = 0;
};

Coverage Cover(const Frame& inFrame, int inChannel) {
  Coverage theCoverage;
  double theSum = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* thePixel = &inFrame.mRgb[(size_t(y) * kWidth + x) * 3];
      if (thePixel[inChannel] > 128 && thePixel[(inChannel + 1) % 3] < 64 && thePixel[(inChannel + 2) % 3] < 64) {
        ++theCoverage.mCount;
        theSum += x;
      }
    }
  if (theCoverage.mCount > 0) theCoverage.mMeanX = theSum / theCoverage.mCount;
  return theCoverage;
}

// Plays inDocument in inFolder in this process, frame n at n * inStepMs.
std::map<uint32_t, Frame> Play(const DemoFolder& inFolder, const std::string& inDocument, uint32_t inStepMs,
                               int& outExit) {
  inFolder.Write("demo.xml", inDocument);
  inFolder.WriteIni(kWidth, kHeight);
  std::map<uint32_t, Frame> theFrames;
  PinOpenGLDriver();
  char theOld[4096];
  if (!getcwd(theOld, sizeof theOld) || chdir(inFolder.Path().c_str()) != 0) return theFrames;
  std::string theProgram = "player", theDemo = "demo.xml";
  char* theArgv[] = {theProgram.data(), theDemo.data(), nullptr};
  FixedStepClock theClock(inStepMs);
  PlayerHooks theHooks;
  theHooks.clock = &theClock;
  theHooks.allowSetupWindow = false;
  theHooks.afterDraw = [&theFrames](const Demo&, uint32_t inTime) {
    Frame& theFrame = theFrames[inTime];
    theFrame.mRgb.resize(size_t(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, theFrame.mRgb.data());
  };
  outExit = RunPlayer(ParseCommandLine(2, theArgv), theHooks);
  // For a look at what was drawn: ZORBIT_KEEP_TEST_FOLDERS=1 keeps the folder with the frames as PPM files.
  if (std::getenv("ZORBIT_KEEP_TEST_FOLDERS")) {
    for (const auto& [theTime, theFrame] : theFrames) {
      std::string theImage = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
      for (int y = kHeight - 1; y >= 0; --y)
        theImage.append(reinterpret_cast<const char*>(&theFrame.mRgb[size_t(y) * kWidth * 3]), size_t(kWidth) * 3);
      inFolder.Write("frame" + std::to_string(theTime) + ".ppm", theImage);
    }
  }
  if (chdir(theOld) != 0) outExit = -1;
  return theFrames;
}

// DrawGrid: grid, no texture, plain fill, position (1/1000), rotation
// quaternion (1/10000), colour, opacity, no blending (GL_ONE, GL_ZERO), scale 1,
// group, no axes.
std::string DrawGridParams(int inGrid, int inY, const std::vector<int>& inQuat, int inRed, int inGreen) {
  std::vector<int> theValues = {inGrid, 0, 0, 0, inY * 1000, 0};
  theValues.insert(theValues.end(), inQuat.begin(), inQuat.end());
  for (int theValue : {inRed, inGreen, 0, 255, 1, 0, 100000, 4, 0}) theValues.push_back(theValue);
  return Consts(theValues);
}

// A value held at inFrom, moving linearly to inTo over inMs, then held.
std::string MoveThenHold(int inFrom, int inTo, int inMs, int inHoldMs) {
  return "<param type=\"multi\" interpol=\"lin\" val=\"" + std::to_string(inFrom) + "\"><seg time=\"" +
         std::to_string(inMs) + "\" val=\"" + std::to_string(inTo) + "\"/><seg time=\"" + std::to_string(inHoldMs) +
         "\" val=\"" + std::to_string(inTo) + "\"/></param>";
}

TEST(GridsRender, WavingAndTurningGridsMoveWhileAnimatedAndHoldStillAfter) {
  DemoFolder theFolder;
  ASSERT_FALSE(theFolder.Path().empty());
  // Texts: 0 flat, 1 wave, 2 paper, 3 page, 4 the 3D group.
  const std::vector<std::string> theTexts = {"flat", "wave", "paper", "page", "world"};
  // Tracks run from the highest down: grids are made, deformed and added to
  // the group before Scene3D (track 0) draws it.
  std::vector<std::string> theTracks = {
      // Camera at z = 600 looking at the origin; clear colour and depth to black.
      dx::Event(kScene, "Scene3D", 0, 3000, Consts({4, 0, 0, 600000, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0})),
      // The waving grid, red, tilted back by 60 degrees so that its heights show.
      dx::Event(kScene, "DrawGrid", 0, 3000, DrawGridParams(1, 100, {-5000, 0, 0, 8660}, 255, 0)),
      // The turning page, green, seen face on.
      dx::Event(kScene, "DrawGrid", 0, 3000, DrawGridParams(3, -120, {0, 0, 0, 0}, 0, 255)),
      dx::Event(kGrids, "TurnPageGrid", 0, 3000, Const(3) + Const(2) + MoveThenHold(0, 100000, 2000, 1000) + Const(300)),
      // One cycle of phase in the first second, then still.
      dx::Event(kGrids, "WaveGridZ", 0, 3000,
            Consts({1, 0, 0, 2, 20}) + MoveThenHold(0, 1000, 1000, 2000) + Consts({1, 10, 0})),
      dx::Event(kGrids, "MakeGrid", 0, 3000, Consts({0, 200, 100, 32, 16})),
      dx::Event(kGrids, "MakeGrid", 0, 3000, Consts({2, 200, 100, 32, 8})),
  };
  const std::string theDocument = Document(
      3000, true, theTexts,
      dx::Library(kScene, {"Scene3D", "DrawGrid"}) + dx::Library(kGrids, {"MakeGrid", "WaveGridZ", "TurnPageGrid"}),
      theTracks);
  int theExit = -1;
  std::map<uint32_t, Frame> theFrames = Play(theFolder, theDocument, 100, theExit);
  ASSERT_EQ(theExit, 0) << theFolder.Read("Errorlog.txt");
  for (uint32_t theTime : {0u, 200u, 500u, 1000u, 1500u, 2300u, 2900u})
    ASSERT_EQ(theFrames.count(theTime), 1u) << "no frame at " << theTime;

  for (const auto& [theTime, theFrame] : theFrames) {
    if (theTime >= 3000) continue;  // the events have ended
    EXPECT_GT(Cover(theFrame, 0).mCount, 500) << "the waving grid is missing at " << theTime;
    EXPECT_GT(Cover(theFrame, 1).mCount, 500) << "the page is missing at " << theTime;
  }
  // The wave moves during its first second.
  EXPECT_NE(theFrames[200].mRgb, theFrames[500].mRgb);
  // The page turns over its left edge (the screen's centre column): its
  // pixels move from the right half to the left half.
  const double theCentre = kWidth / 2.0;
  EXPECT_GT(Cover(theFrames[0], 1).mMeanX, theCentre + 20) << "the unturned page lies right of its edge";
  EXPECT_LT(Cover(theFrames[2300], 1).mMeanX, theCentre - 20) << "the turned page lies left of its edge";
  const double theMid = Cover(theFrames[1000], 1).mMeanX;
  EXPECT_LT(theMid, Cover(theFrames[0], 1).mMeanX);
  EXPECT_GT(theMid, Cover(theFrames[2300], 1).mMeanX);
  // From 2000 ms on nothing animates: the frames are the same, pixel for pixel.
  EXPECT_EQ(theFrames[2300].mRgb, theFrames[2900].mRgb);
  // The page's turn is held, the wave's phase too: the red grid is the same
  // in every frame after one second.
  EXPECT_EQ(Cover(theFrames[1500], 0).mCount, Cover(theFrames[2900], 0).mCount);
}

}  // namespace
