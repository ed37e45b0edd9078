// What "the paused frame" means: edit mode, paused, draws the same demo time
// again every frame and redraws the whole window each time. The showcase
// drawn again at one demo time must give the same pixels whatever was drawn
// in the frames before, so a paused window that changes is a fault of the
// player or a plug-in, never of timing. Every half second of the showcase is
// drawn four times in a row and each repeat is compared with the first, byte
// for byte.
#include <gtest/gtest.h>
#include <GL/glew.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frameloop.h"
#include "opengldriver.h"
#include "sdlconfig.h"
#include "startup.h"
#include "tempfolder.h"

namespace {

// Demo time stands where the test puts it.
class HeldClock : public FrameClock {
 public:
  uint32_t NowMs() override { return mTime; }
  uint32_t mTime = 0;
};

std::vector<uint8_t> ReadBackBuffer() {
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  std::vector<uint8_t> thePixels(size_t(theScreen->w) * theScreen->h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, theScreen->w, theScreen->h, GL_RGBA, GL_UNSIGNED_BYTE, thePixels.data());
  return thePixels;
}

// Where two frames differ: the first pixel (from the bottom row) and how many.
std::string Difference(const std::vector<uint8_t>& inA, const std::vector<uint8_t>& inB, int inWidth) {
  size_t theCount = 0, theFirst = 0;
  for (size_t i = 0; i < inA.size(); i += 4)
    if (!std::equal(inA.begin() + i, inA.begin() + i + 4, inB.begin() + i) && theCount++ == 0) theFirst = i / 4;
  char theText[96];
  std::snprintf(theText, sizeof theText, "%zu pixels, the first at (%zu, %zu) from the bottom left", theCount,
                theFirst % inWidth, theFirst / inWidth);
  return theText;
}

TEST(PausedFrame, TheShowcaseDrawnAgainAtOneDemoTimeGivesTheSamePixels) {
  PinOpenGLDriver();
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  TempFolder theLogs("still");
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;
  theConfig.width = 160;
  theConfig.height = 90;
  theConfig.videoFlags = SDL_DOUBLEBUF;
  HeldClock theClock;
  LoopControl theControl;
  theControl.clockIsDemoTime = true;
  theControl.jumps = [] { return uint64_t(0); };
  SessionSettings theSettings;
  theSettings.options.demoPath = "showcase.xml";
  theSettings.workingFolder = ZORBIT_SOURCE_DIR "/demos/showcase";
  theSettings.logPath = theLogs.Path() + "/Errorlog.txt";
  theSettings.allowSetupWindow = false;
  theSettings.config = &theConfig;
  theSettings.clock = &theClock;
  theSettings.loopControl = &theControl;

  const int kRepeats = 4;
  const uint32_t kStep = 500, kEnd = 60000;
  int theRepeat = 0;
  std::vector<uint8_t> theFirst;
  std::vector<std::string> theMoved;
  PlayerSession* theSession = nullptr;
  theSettings.afterDraw = [&](const Demo&, uint32_t inTime) {
    std::vector<uint8_t> theFrame = ReadBackBuffer();
    if (theRepeat == 0)
      theFirst = std::move(theFrame);
    else if (theFrame != theFirst)
      theMoved.push_back(std::to_string(inTime) + " ms, drawing " + std::to_string(theRepeat + 1) + ": " +
                         Difference(theFirst, theFrame, SDL_GetVideoSurface()->w));
    if (++theRepeat < kRepeats) return;
    theRepeat = 0;
    theClock.mTime += kStep;
    if (theClock.mTime >= kEnd) theSession->Stop();
  };
  PlayerSession thePlayer(theSettings);
  theSession = &thePlayer;
  ASSERT_TRUE(thePlayer.Open());
  ASSERT_TRUE(thePlayer.Play());
  EXPECT_EQ(kEnd, theClock.mTime) << "the demo ended early";
  std::string theList;
  for (const std::string& theOne : theMoved) theList += "\n  " + theOne;
  EXPECT_TRUE(theMoved.empty()) << "drawn again at the same demo time, the frame changed at" << theList;
  EXPECT_EQ(0, thePlayer.Close());
}

}  // namespace
