// What "the paused frame" means: edit mode, paused, draws the same demo time
// again every frame and redraws the whole window each time. The showcase
// drawn again at one demo time must give the same pixels whatever was drawn
// in the frames before, so a paused window that changes is a fault of the
// player or a plug-in, never of timing. Every half second of the showcase is
// drawn four times in a row and each repeat is compared with the first, byte
// for byte.
#include <gtest/gtest.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "showcasesession.h"
#include "tempfolder.h"

namespace {

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
  TempFolder theLogs("still");
  SDL_Config theConfig;
  HeldClock theClock;
  LoopControl theControl;
  theControl.clockIsDemoTime = true;
  theControl.jumps = [] { return uint64_t(0); };
  SessionSettings theSettings = ShowcaseSession(theConfig, theClock, 160, 90, 0, theLogs.Path());
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
