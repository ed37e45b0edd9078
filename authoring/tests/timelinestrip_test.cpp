// The timeline strip of player --edit as a demo maker uses it, driven with
// xdotool under the test's X server: T shows it, a click at the x of 20 s
// seeks there, a drag scrubs forward and back, T hides it again and the
// mouse then leaves the time alone. The recorder plug-in's calls show the
// demo time each seek started the events at.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

const int kWidth = 640;
const int kHeight = 360;
const int kStripY = kHeight - 12;  // inside the strip's bottom row

int Shell(const std::string& inCommand) {
  const int theWait = std::system(inCommand.c_str());
  return WIFEXITED(theWait) ? WEXITSTATUS(theWait) : -1;
}

template <typename Condition>
bool WaitFor(Condition inCondition, int inSeconds) {
  for (int i = 0; i < inSeconds * 5; ++i) {
    if (inCondition()) return true;
    usleep(200 * 1000);
  }
  return inCondition();
}

// The x at which a 60 s demo shows inMs, the whole demo across the window.
int XOf(int inMs) { return inMs * kWidth / 60000; }

const char kDemo[] = R"(<Demo>
  <Settings RunningTime="60000" UseOpenGL="true" NumberOfInputSurfaces="0" AspectRatioX="16" AspectRatioY="9"/>
  <Libraries><Library FileName="glrecorder.so"><Function Name="GLClear"/><Function Name="Record"/></Library></Libraries>
  <Tracks>
    <Track><Event LibraryFileName="glrecorder.so" FunctionName="Record" StartTime="0" EndTime="60000"/></Track>
    <Track><Event LibraryFileName="glrecorder.so" FunctionName="GLClear" StartTime="0" EndTime="60000">
      <param type="const" val="2105376"/></Event></Track>
  </Tracks>
</Demo>
)";

class StripSession {
 public:
  StripSession() : mFolder("strip") {
    WriteFile(mFolder.Path() + "/demo.xml", kDemo);
    Shell("cp " ZORBIT_TEST_PLUGIN_DIR "/glrecorder.so '" + mFolder.Path() + "/'");
  }
  ~StripSession() {
    const std::string thePid = Pid();
    if (!thePid.empty()) Shell("kill " + thePid + " 2>/dev/null");
  }
  // The player's process id, without the line's end.
  std::string Pid() const {
    std::string thePid = ReadFile(mFolder.Path() + "/pid.txt");
    while (!thePid.empty() && (thePid.back() == '\n' || thePid.back() == ' ')) thePid.pop_back();
    return thePid;
  }
  void Start() const {
    ASSERT_EQ(0, Shell("cd '" + mFolder.Path() + "' && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 " ZORBIT_BIN_DIR
                       "/player --edit --window 640x360 demo.xml 5000 >out.txt 2>&1 & echo $! > '" + mFolder.Path() + "/pid.txt'"));
  }
  // Keys go to the window under the pointer when no window manager runs.
  void Key(const char* inKey) const {
    Shell(std::string("xdotool mousemove 100 100 key ") + inKey);
    usleep(300 * 1000);
  }
  void Mouse(const std::string& inActions) const { Shell("xdotool " + inActions); }
  // The demo times at which the recorder's event was started, in order.
  std::vector<int> Starts() const {
    std::vector<int> theStarts;
    std::istringstream theCalls(ReadFile(mFolder.Path() + "/calls.txt"));
    std::string theLine;
    const std::string theMake = "effect glrecorder Record phase=0 elapsed=";
    while (std::getline(theCalls, theLine))
      if (theLine.rfind(theMake, 0) == 0) theStarts.push_back(std::atoi(theLine.c_str() + theMake.size()));
    return theStarts;
  }
  Image Shot(const std::string& inName) const {
    const std::string thePath = mFolder.Path() + "/" + inName + ".png";
    Image theImage;
    if (Shell("import -window root -crop 640x360+0+0 +repage '" + thePath + "' 2>/dev/null") == 0) ReadPng(thePath, theImage);
    return theImage;
  }
  std::string Output() const { return ReadFile(mFolder.Path() + "/out.txt"); }
  bool Quit() const {
    Key("Escape");
    const std::string thePid = Pid();
    return WaitFor([&] { return Shell("kill -0 " + thePid + " 2>/dev/null") != 0; }, 60);
  }

 private:
  TempFolder mFolder;
};

// Rows [inFrom, inTo) of two shots alike.
bool SameRows(const Image& inA, const Image& inB, int inFrom, int inTo) {
  if (inA.width != inB.width || inA.height != inB.height || inA.width == 0) return false;
  const size_t theRow = size_t(inA.width) * 4;
  return std::equal(inA.rgba.begin() + inFrom * theRow, inA.rgba.begin() + inTo * theRow, inB.rgba.begin() + inFrom * theRow);
}

TEST(TimelineStrip, ClickSeeksDragScrubsAndTTogglesInTheRealPlayer) {
  if (std::getenv("DISPLAY") == nullptr || Shell("command -v xdotool >/dev/null && command -v import >/dev/null") != 0)
    GTEST_SKIP() << "needs an X display, xdotool and ImageMagick's import (scripts/install-deps)";
  StripSession theSession;
  theSession.Start();
  ASSERT_TRUE(WaitFor([&] { return !theSession.Starts().empty(); }, 60)) << "the demo never started:\n" << theSession.Output();
  theSession.Key("space");  // paused: every seek then starts the event at exactly the time sought
  const Image theBare = theSession.Shot("bare");
  ASSERT_EQ(kWidth, theBare.width) << "no screenshot";

  theSession.Key("t");
  Image theShown;
  ASSERT_TRUE(WaitFor([&] { theShown = theSession.Shot("shown"); return !SameRows(theBare, theShown, kHeight - 20, kHeight); }, 60))
      << "T showed no strip along the bottom";
  EXPECT_TRUE(SameRows(theBare, theShown, 0, kHeight / 2)) << "the strip covers more than the bottom";

  // A click at the x of 20 s.
  const size_t theBefore = theSession.Starts().size();
  theSession.Mouse("mousemove " + std::to_string(XOf(20000)) + " " + std::to_string(kStripY) + " click 1");
  ASSERT_TRUE(WaitFor([&] { return theSession.Starts().size() > theBefore; }, 60)) << "the click did not seek";
  const int theClicked = theSession.Starts()[theBefore];
  EXPECT_NEAR(20000, theClicked, 60000 / kWidth + 1) << "the click sought to " << theClicked << " ms";

  // A drag from 10 s on to 40 s and back to 5 s.
  const size_t theDragStart = theSession.Starts().size();
  std::string theDrag = "mousemove " + std::to_string(XOf(10000)) + " " + std::to_string(kStripY) + " mousedown 1";
  for (int theMs : {15000, 20000, 25000, 30000, 35000, 40000, 30000, 20000, 10000, 5000})
    theDrag += " sleep 0.25 mousemove " + std::to_string(XOf(theMs)) + " " + std::to_string(kStripY);
  theSession.Mouse(theDrag + " sleep 0.25 mouseup 1");
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<int> theStarts = theSession.Starts();
    return theStarts.size() > theDragStart && std::abs(theStarts.back() - 5000) <= 100;
  }, 15)) << "the drag did not end at 5 s";
  const std::vector<int> theAll = theSession.Starts();
  const std::vector<int> theScrub(theAll.begin() + theDragStart, theAll.end());
  const auto theFarthest = std::max_element(theScrub.begin(), theScrub.end());
  EXPECT_NEAR(40000, *theFarthest, 100) << "the drag did not reach 40 s";
  EXPECT_TRUE(std::is_sorted(theScrub.begin(), theFarthest + 1)) << "the drag forward went back";
  EXPECT_TRUE(std::is_sorted(theFarthest, theScrub.end(), [](int inA, int inB) { return inA > inB; }))
      << "the drag back went forward";
  EXPECT_GE(std::distance(theScrub.begin(), theFarthest), 3) << "the forward drag was not followed frame by frame";
  EXPECT_GE(std::distance(theFarthest, theScrub.end()), 4) << "the drag back was not followed frame by frame";

  // T again: the strip goes, and a click where it was leaves the time alone.
  const Image theWithStrip = theSession.Shot("with");
  theSession.Key("t");
  Image theHidden;
  EXPECT_TRUE(WaitFor([&] { theHidden = theSession.Shot("hidden"); return !SameRows(theWithStrip, theHidden, kHeight - 20, kHeight); }, 60))
      << "T did not hide the strip";
  EXPECT_TRUE(SameRows(theWithStrip, theHidden, 0, kHeight / 2)) << "hiding the strip changed the picture above it";
  const size_t theHiddenCount = theSession.Starts().size();
  theSession.Mouse("mousemove " + std::to_string(XOf(50000)) + " " + std::to_string(kStripY) + " click 1");
  usleep(1500 * 1000);
  EXPECT_EQ(theHiddenCount, theSession.Starts().size()) << "a click on the hidden strip sought";
  EXPECT_TRUE(theSession.Quit()) << "Escape did not quit";
}

}  // namespace
