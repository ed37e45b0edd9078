// The setup window in a real OpenGL window under Xvfb, driven with SDL
// events pushed into its queue the way a viewer's mouse would send them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "guisdlhandler.h"
#include "setuplistener.h"
#include "setupsession.h"
#include "setupwindow.h"
#include "testwindow.h"

namespace {

// Control centres in window pixels (default font 16: boxes are 24 high).
constexpr int kRow = 24;
struct Point {
  int x, y;
};
constexpr Point kAspectBox = {280, 20};
constexpr Point kResolutionBox = {260, 55};
constexpr Point kGammaBox = {250, 90};
constexpr Point kFullScreen = {305, 123};
constexpr Point kCancel = {85, 210};
constexpr Point kStart = {200, 210};
// Row inIndex of a drop-down opened from a box whose top is inTop.
Point RowOf(Point inBox, int inTop, int inIndex) { return {inBox.x, inTop + inIndex * kRow + kRow / 2}; }

void PushButton(bool inDown, Point inAt) {
  SDL_Event e;
  e.type = inDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.which = 0;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = inDown ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = static_cast<Uint16>(inAt.x);
  e.button.y = static_cast<Uint16>(inAt.y);
  SDL_PushEvent(&e);
}

void PushQuit() {
  SDL_Event e;
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

struct Result {
  SDL_Config config{};
  double gamma = 0.0;
  bool start = false;
  int volume = 0;
  float aspect = 0.0f;
};

class SetupWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    PinOpenGLDriver();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override { EXPECT_EQ(GUISDLHandler::Size(), 0) << "the setup window left containers stacked"; }

  // Opens a session, retrying while the X server of the test run starts.
  void Open(double inGamma = 1.0, int inVolume = 255) {
    for (int theTry = 0; theTry < 50 && !mSession.IsOpen(); ++theTry)
      if (!mSession.Open(inGamma, inVolume)) SDL_Delay(100);
    ASSERT_TRUE(mSession.IsOpen());
    ASSERT_TRUE(mSession.Pass());  // the first frame
  }
  // Press and release in separate passes, as a person clicks.
  bool Click(Point inAt) {
    PushButton(true, inAt);
    bool theGoingOn = mSession.Pass();
    PushButton(false, inAt);
    return mSession.Pass() && theGoingOn;
  }
  Result Close() {
    Result r;
    r.gamma = mGammaIn;
    r.volume = mVolumeIn;
    mSession.Close(r.config, r.gamma, r.start, r.volume, r.aspect);
    return r;
  }

  SetupSession mSession;
  double mGammaIn = 1.0;
  int mVolumeIn = 255;
};

TEST_F(SetupWindowTest, StartDemoAtOnceGivesTheDefaultsAndTheCallersValues) {
  // Through RunSetupWindow itself: the events wait in the queue of an SDL
  // video subsystem that is already up, so the window's first pass gets them.
  bool theVideo = false;
  for (int theTry = 0; theTry < 50 && !theVideo; ++theTry) {  // the X server may still be starting
    theVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!theVideo) SDL_Delay(100);
  }
  ASSERT_TRUE(theVideo) << SDL_GetError();
  PushButton(true, kStart);
  PushButton(false, kStart);
  std::atomic<bool> theDone{false};
  std::thread theWatchdog([&theDone] {
    for (int i = 0; i < 600 && !theDone; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!theDone) PushQuit();  // never hang: a lost click shows as start == false
  });
  SDL_Config theConfig{};
  double theGamma = 1.7;
  bool theStart = false;
  int theVolume = 200;
  float theAspect = 0.0f;
  const bool theShown = RunSetupWindow(theConfig, theGamma, theStart, theVolume, theAspect);
  theDone = true;
  theWatchdog.join();
  ASSERT_TRUE(theShown);
  EXPECT_TRUE(theStart);
  EXPECT_EQ(theConfig.width, 1280);
  EXPECT_EQ(theConfig.height, 1024);
  EXPECT_EQ(theConfig.videoFlags & 0x80000000u, 0x80000000u) << "full screen by default";
  EXPECT_EQ(theConfig.videoFlags & 0x40000003u, 0x40000003u);
  EXPECT_FLOAT_EQ(theAspect, 4.0f / 3.0f);
  EXPECT_EQ(theGamma, 1.7) << "the caller's gamma comes back untouched";
  EXPECT_EQ(theVolume, 200);
  EXPECT_EQ(theConfig.initFlags, 0x31u);
  EXPECT_EQ(theConfig.bitsPerPixel, 32);
  EXPECT_EQ(theConfig.audioFrequency, 44100);
  EXPECT_EQ(theConfig.audioChannels, 2);
  EXPECT_EQ(theConfig.audioFormat, 0x8010);
  EXPECT_EQ(theConfig.audioBuffer, 4096);
  EXPECT_STREQ(theConfig.videoDriver, "directx");
  EXPECT_STREQ(theConfig.audioDriver, "waveout");
}

TEST_F(SetupWindowTest, ClosingTheWindowReturnsNoStartWithTheRecordFilled) {
  Open();
  PushQuit();
  EXPECT_FALSE(mSession.Pass());
  EXPECT_TRUE(mSession.QuitRequested());
  const Result r = Close();
  EXPECT_FALSE(r.start);
  EXPECT_EQ(r.config.width, 1280);
  EXPECT_EQ(r.config.height, 1024);
  EXPECT_EQ(r.config.initFlags, 0x31u);
  EXPECT_FLOAT_EQ(r.aspect, 4.0f / 3.0f);
  EXPECT_EQ(r.volume, 255);
}

TEST_F(SetupWindowTest, AspectThenResolutionSetsModeAndAspect) {
  Open();
  ASSERT_TRUE(Click(kAspectBox));
  ASSERT_EQ(GUISDLHandler::Size(), 1) << "the click's release lands on the first row and closes it";
  ASSERT_TRUE(Click(kAspectBox));  // opens again (press), first row chosen again (release)
  // Open, then press-drag-release on "16/9".
  PushButton(true, kAspectBox);
  mSession.Pass();
  ASSERT_EQ(GUISDLHandler::Size(), 2);
  PushButton(false, RowOf(kAspectBox, 10, 2));
  mSession.Pass();
  EXPECT_EQ(mSession.GetListener()->GetWidth(), 1280);
  EXPECT_EQ(mSession.GetListener()->GetHeight(), 720);
  EXPECT_FLOAT_EQ(mSession.GetListener()->GetAspect(), 16.0f / 9.0f);

  PushButton(true, kResolutionBox);
  mSession.Pass();
  ASSERT_EQ(GUISDLHandler::Size(), 2) << "the new resolution box opens";
  PushButton(false, RowOf(kResolutionBox, 45, 1));
  EXPECT_TRUE(mSession.Pass());
  PushButton(true, kStart);
  PushButton(false, kStart);
  EXPECT_FALSE(mSession.Pass());
  const Result r = Close();
  EXPECT_TRUE(r.start);
  EXPECT_EQ(r.config.width, 1600);
  EXPECT_EQ(r.config.height, 900);
  EXPECT_FLOAT_EQ(r.aspect, 16.0f / 9.0f);
}

TEST_F(SetupWindowTest, EveryAspectEntrySetsItsDefaultMode) {
  struct Case {
    int index, width, height;
    float aspect;
  } const kCases[] = {{0, 1280, 1024, 1.25f}, {3, 1680, 1050, 1.6f}, {1, 1280, 1024, 4.0f / 3.0f}};
  Open();
  for (const Case& c : kCases) {
    PushButton(true, kAspectBox);
    mSession.Pass();
    PushButton(false, RowOf(kAspectBox, 10, c.index));
    mSession.Pass();
    EXPECT_EQ(mSession.GetListener()->GetWidth(), c.width) << "entry " << c.index;
    EXPECT_EQ(mSession.GetListener()->GetHeight(), c.height) << "entry " << c.index;
    EXPECT_FLOAT_EQ(mSession.GetListener()->GetAspect(), c.aspect) << "entry " << c.index;
  }
  // "4/3" again: its list has "1920 by 1440" as the last of eight rows.
  PushButton(true, kResolutionBox);
  mSession.Pass();
  PushButton(false, RowOf(kResolutionBox, 45, 7));
  mSession.Pass();
  EXPECT_EQ(mSession.GetListener()->GetWidth(), 1920);
  EXPECT_EQ(mSession.GetListener()->GetHeight(), 1440);
  Close();
}

TEST_F(SetupWindowTest, GammaFullScreenVolumeAndCancel) {
  mGammaIn = 1.0;
  mVolumeIn = 300;  // more than the slider can show
  Open(mGammaIn, mVolumeIn);
  PushButton(true, kGammaBox);
  mSession.Pass();
  PushButton(false, RowOf(kGammaBox, 80, 4));  // "1.3 for beamers"
  mSession.Pass();
  EXPECT_TRUE(Click(kFullScreen));
  EXPECT_FALSE(mSession.GetListener()->IsFullScreen());
  PushButton(true, {121 + 96, 154});  // volume slider at 96 of 192
  mSession.Pass();
  PushButton(false, {121 + 96, 154});
  mSession.Pass();
  EXPECT_FALSE(Click(kCancel));
  const Result r = Close();
  EXPECT_FALSE(r.start);
  EXPECT_EQ(r.gamma, static_cast<double>(1.3f));
  EXPECT_EQ(r.config.videoFlags & 0x80000000u, 0u);
  EXPECT_EQ(r.config.videoFlags & 0x40000003u, 0x40000003u);
  EXPECT_EQ(r.volume, 127);
}

TEST_F(SetupWindowTest, VolumeOutsideTheSliderRangeComesBackClamped) {
  Open(1.0, 300);
  EXPECT_EQ(Close().volume, 255);
}

TEST_F(SetupWindowTest, ClosingWithAnOpenDropDownLeavesNothingStacked) {
  Open();
  PushButton(true, kGammaBox);
  mSession.Pass();
  ASSERT_EQ(GUISDLHandler::Size(), 2);
  PushQuit();
  EXPECT_FALSE(mSession.Pass());
  const Result r = Close();
  EXPECT_FALSE(r.start);
}

// Pixels of two frames that differ by more than inLevel in any channel.
int DifferingPixels(const std::vector<uint8_t>& inA, const std::vector<uint8_t>& inB, int inLevel) {
  int theCount = 0;
  for (size_t i = 0; i + 3 < inA.size(); i += 4)
    for (size_t c = 0; c < 3; ++c)
      if (std::abs(int(inA[i + c]) - int(inB[i + c])) > inLevel) {
        ++theCount;
        break;
      }
  return theCount;
}

TEST_F(SetupWindowTest, ScreenshotMatchesTheReference) {
  Open(1.0, 160);
  mSession.DrawFrame();
  std::vector<uint8_t> thePixels = ReadPixels(SetupSession::kWidth, SetupSession::kHeight);
  for (size_t i = 3; i < thePixels.size(); i += 4) thePixels[i] = 255;
  const std::string theShot = "setupwindow.png";  // in the test's working directory
  ASSERT_TRUE(WritePng(theShot, thePixels, SetupSession::kWidth, SetupSession::kHeight));
  Close();

  const std::string theReference = std::string(ZORBIT_TEST_DATA_DIR) + "/data/setupwindow.png";
  std::vector<uint8_t> theExpected;
  int theWidth = 0, theHeight = 0;
  ASSERT_TRUE(ReadPng(theReference, theExpected, theWidth, theHeight))
      << "no reference " << theReference << "; the frame was written to " << theShot;
  ASSERT_EQ(theWidth, SetupSession::kWidth);
  ASSERT_EQ(theHeight, SetupSession::kHeight);
  // Anti-aliased glyph edges may move slightly between renderer builds.
  const int theDiffering = DifferingPixels(thePixels, theExpected, 48);
  EXPECT_LE(theDiffering, SetupSession::kWidth * SetupSession::kHeight / 100)
      << theDiffering << " pixels differ from " << theReference << "; see " << theShot;
}

}  // namespace
