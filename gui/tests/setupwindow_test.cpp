// The setup window in a real OpenGL window under Xvfb, driven with SDL
// events pushed into its queue the way a viewer's mouse would send them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "guicheckbox.h"
#include "guicombobox.h"
#include "guicontainer.h"
#include "guisdlhandler.h"
#include "guislider.h"
#include "setuplistener.h"
#include "setupsession.h"
#include "setupwindow.h"
#include "tempfolder.h"
#include "testwindow.h"
#include "textfile.h"

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

// What the setup window writes to its log during a test.
std::string gLog;
void CollectLog(const char* inText) { gLog += inText; }

class SetupWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    PinOpenGLDriver();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  // Every test remembers in a state folder of its own, never the user's.
  void SetUp() override {
    ASSERT_FALSE(mStateHome.Path().empty());
    setenv("XDG_STATE_HOME", (mStateHome.Path() + "/state").c_str(), 1);
    gLog.clear();
    SetSetupWindowLog(&CollectLog);
  }
  void TearDown() override {
    EXPECT_EQ(GUISDLHandler::Size(), 0) << "the setup window left containers stacked";
    SetSetupWindowLog(nullptr);
    unsetenv("XDG_STATE_HOME");
  }

  // Opens a session, retrying while the X server of the test run starts.
  static void OpenSession(SetupSession& ioSession, double inGamma = 1.0, int inVolume = 255,
                          const SetupGiven& inGiven = SetupGiven()) {
    for (int theTry = 0; theTry < 50 && !ioSession.IsOpen(); ++theTry)
      if (!ioSession.Open(inGamma, inVolume, inGiven)) SDL_Delay(100);
    ASSERT_TRUE(ioSession.IsOpen());
    ASSERT_TRUE(ioSession.Pass());  // the first frame
  }
  void Open(double inGamma = 1.0, int inVolume = 255, const SetupGiven& inGiven = SetupGiven()) {
    OpenSession(mSession, inGamma, inVolume, inGiven);
  }
  // Press and release in separate passes, as a person clicks.
  bool Click(Point inAt) {
    PushButton(true, inAt);
    bool theGoingOn = mSession.Pass();
    PushButton(false, inAt);
    return mSession.Pass() && theGoingOn;
  }
  // Opens the drop-down of the box at inBox (whose top is inTop) and lets go on row inRow.
  void Choose(Point inBox, int inTop, int inRow) {
    PushButton(true, inBox);
    mSession.Pass();
    PushButton(false, RowOf(inBox, inTop, inRow));
    mSession.Pass();
  }
  // The slider's thumb dragged nowhere: a press and a release at inOffset of its 192 pixels.
  void SetVolumeAt(int inOffset) {
    PushButton(true, {121 + inOffset, 154});
    mSession.Pass();
    PushButton(false, {121 + inOffset, 154});
    mSession.Pass();
  }
  void PressStart() {
    PushButton(true, kStart);
    PushButton(false, kStart);
    EXPECT_FALSE(mSession.Pass()) << "\"Start Demo\" did not end the window";
  }
  Result Close() {
    Result r;
    r.gamma = mGammaIn;
    r.volume = mVolumeIn;
    mSession.Close(r.config, r.gamma, r.start, r.volume, r.aspect);
    return r;
  }
  std::string StateFile() const { return mStateHome.Path() + "/state/zorbit/setup.ini"; }

  TempFolder mStateHome{"zorbit_setupstate"};
  SetupSession mSession;
  double mGammaIn = 1.0;
  int mVolumeIn = 255;
};

// What the controls of an open window show.
struct Shown {
  int aspect, resolution, resolutions, gamma, volume;
  bool fullScreen;
};
Shown ShownBy(const SetupSession& inSession) {
  GUIContainer* theWindow = inSession.GetContainer();
  auto theBox = [theWindow](int inId) { return static_cast<GUIComboBox*>(theWindow->FindChild(inId)); };
  return Shown{theBox(SetupListener::kAspectId)->GetSelected(),
               theBox(SetupListener::kResolutionId)->GetSelected(),
               int(theBox(SetupListener::kResolutionId)->GetChoices().Count()),
               theBox(SetupListener::kGammaId)->GetSelected(),
               static_cast<GUISlider*>(theWindow->FindChild(SetupListener::kVolumeId))->GetValue(),
               static_cast<GUICheckBox*>(theWindow->FindChild(SetupListener::kFullScreenId))->IsChecked()};
}

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

TEST_F(SetupWindowTest, ChoicesOfAStartedRunArePreselectedInTheNext) {
  Open();
  Choose(kAspectBox, 10, 2);      // "16/9"
  Choose(kResolutionBox, 45, 1);  // "1600 by 900"
  Choose(kGammaBox, 80, 4);       // "1.3 for beamers"
  EXPECT_TRUE(Click(kFullScreen));
  SetVolumeAt(96);
  PressStart();
  EXPECT_TRUE(Close().start);
  EXPECT_EQ(ReadFile(StateFile()),
            "# The setup window's last choices; the player rewrites this file.\n"
            "aspect = 16/9\nresolution = 1600x900\ngamma = 1.3\nfullscreen = no\nvolume = 127\n");
  EXPECT_EQ(gLog, "");

  Open(1.0, 255);
  const Shown theShown = ShownBy(mSession);
  EXPECT_EQ(theShown.aspect, 2) << "the aspect box does not show 16/9";
  EXPECT_EQ(theShown.resolutions, 2) << "the resolution box does not hold the 16/9 list";
  EXPECT_EQ(theShown.resolution, 1) << "the resolution box does not show 1600 by 900";
  EXPECT_EQ(theShown.gamma, 4) << "the gamma box does not show 1.3";
  EXPECT_EQ(theShown.volume, 127);
  EXPECT_FALSE(theShown.fullScreen);
  PressStart();
  const Result r = Close();
  EXPECT_TRUE(r.start);
  EXPECT_EQ(r.config.width, 1600);
  EXPECT_EQ(r.config.height, 900);
  EXPECT_FLOAT_EQ(r.aspect, 16.0f / 9.0f);
  EXPECT_EQ(r.config.videoFlags & 0x80000000u, 0u) << "windowed, as remembered";
  EXPECT_EQ(r.gamma, static_cast<double>(1.3f)) << "the remembered gamma replaces the caller's default";
  EXPECT_EQ(r.volume, 127);
  EXPECT_EQ(gLog, "");
}

TEST_F(SetupWindowTest, CancelAndClosingTheWindowRememberNothing) {
  Open();
  Choose(kAspectBox, 10, 3);
  EXPECT_FALSE(Click(kCancel));
  Close();
  EXPECT_NE(0, access(StateFile().c_str(), F_OK)) << "a cancelled run was remembered";

  ASSERT_EQ(0, system(("mkdir -p '" + mStateHome.Path() + "/state/zorbit'").c_str()));
  WriteFile(StateFile(), "volume = 12\n");
  Open();
  EXPECT_EQ(ShownBy(mSession).volume, 12);
  SetVolumeAt(192);
  PushQuit();
  EXPECT_FALSE(mSession.Pass());
  Close();
  EXPECT_EQ(ReadFile(StateFile()), "volume = 12\n") << "a closed window changed what was remembered";
}

TEST_F(SetupWindowTest, GammaAndVolumeGivenByTheCallerWinOverTheRememberedOnes) {
  ASSERT_EQ(0, system(("mkdir -p '" + mStateHome.Path() + "/state/zorbit'").c_str()));
  WriteFile(StateFile(), "aspect = 16/10\ngamma = 1.2\nvolume = 100\n");
  SetupGiven theGiven;
  theGiven.gamma = theGiven.volume = true;
  mGammaIn = 1.7;
  mVolumeIn = 200;
  Open(mGammaIn, mVolumeIn, theGiven);
  const Shown theShown = ShownBy(mSession);
  EXPECT_EQ(theShown.aspect, 3) << "what the caller did not give is still remembered";
  EXPECT_EQ(theShown.gamma, 1) << "the gamma box shows its default beside a given gamma";
  EXPECT_EQ(theShown.volume, 200);
  PressStart();
  Result r = Close();
  EXPECT_EQ(r.gamma, 1.7);
  EXPECT_EQ(r.volume, 200);
  EXPECT_EQ(r.config.width, 1680);
  EXPECT_EQ(ReadFile(StateFile()),
            "# The setup window's last choices; the player rewrites this file.\n"
            "aspect = 16/10\nresolution = 1680x1050\ngamma = 1.2\nfullscreen = yes\nvolume = 100\n")
      << "values given for one run were remembered";

  Open(mGammaIn, mVolumeIn, theGiven);
  SetVolumeAt(0);
  PressStart();
  r = Close();
  EXPECT_EQ(r.volume, 0);
  EXPECT_NE(ReadFile(StateFile()).find("gamma = 1.2\nfullscreen = yes\nvolume = 0\n"), std::string::npos)
      << "a volume the viewer set in the window was not remembered:\n" << ReadFile(StateFile());
}

TEST_F(SetupWindowTest, ABrokenStateFileIsIgnoredWithOneLogLine) {
  const std::string theFolder = mStateHome.Path() + "/state/zorbit";
  struct Case {
    const char* name;
    std::string content;  // of a regular file; empty: a folder or FIFO by name
    std::string reason;   // what the log line says after the path
  } const kCases[] = {
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), "line 1: holds binary data"},
      {"huge", std::string(100000, '#'), "larger than 4096 bytes"},
      {"absurd", "aspect = 4/3\nvolume = 99999999\n", "line 2: volume '99999999' is not a whole number"},
      {"folder", "", "not a regular file; it is left alone"},
      {"fifo", "", "not a regular file; it is left alone"},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(0, system(("rm -rf '" + theFolder + "' && mkdir -p '" + theFolder + "'").c_str()));
    const bool theRegular = !c.content.empty();
    if (theRegular) WriteFile(StateFile(), c.content);
    if (std::string(c.name) == "folder") {
      ASSERT_EQ(0, mkdir(StateFile().c_str(), 0755));
    }
    if (std::string(c.name) == "fifo") {
      ASSERT_EQ(0, mkfifo(StateFile().c_str(), 0644));
    }
    gLog.clear();
    Open(1.0, 255);
    const Shown theShown = ShownBy(mSession);
    EXPECT_EQ(theShown.aspect, 1) << c.name;
    EXPECT_EQ(theShown.resolution, 5) << c.name;
    EXPECT_EQ(theShown.gamma, 1) << c.name;
    EXPECT_EQ(theShown.volume, 255) << c.name;
    EXPECT_TRUE(theShown.fullScreen) << c.name;
    PressStart();
    const Result r = Close();
    EXPECT_TRUE(r.start) << c.name;
    EXPECT_EQ(r.config.width, 1280) << c.name;
    EXPECT_EQ(r.volume, 255) << c.name;
    const std::string theStart = "Setup window: ignoring the remembered choices in " + StateFile() + ": " + c.reason;
    EXPECT_EQ(gLog.rfind(theStart, 0), 0u) << c.name << ": " << gLog;
    EXPECT_EQ(std::count(gLog.begin(), gLog.end(), '\n'), 1) << c.name << ": " << gLog;
    struct stat theInfo;
    ASSERT_EQ(0, lstat(StateFile().c_str(), &theInfo)) << c.name;
    EXPECT_EQ(S_ISREG(theInfo.st_mode), theRegular) << c.name << ": only a broken file is replaced";
    if (theRegular) {
      EXPECT_NE(ReadFile(StateFile()).find("volume = 255\n"), std::string::npos) << c.name;
    }
  }
}

TEST_F(SetupWindowTest, AStateFolderThatCannotBeMadeChangesNothingButOneLogLine) {
  const std::string theFile = mStateHome.Path() + "/file";
  WriteFile(theFile, "mine");
  setenv("XDG_STATE_HOME", theFile.c_str(), 1);
  Open();
  Choose(kAspectBox, 10, 2);
  PressStart();
  const Result r = Close();
  EXPECT_TRUE(r.start);
  EXPECT_EQ(r.config.width, 1280);
  EXPECT_EQ(r.config.height, 720);
  EXPECT_EQ(gLog, "Setup window: cannot remember the choices in " + theFile + "/zorbit/setup.ini: " + theFile +
                      " is not a folder\n");
  EXPECT_EQ(ReadFile(theFile), "mine");
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
