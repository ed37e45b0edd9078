// player --edit as a demo maker uses it, driven with xdotool under the test's
// X server: pause holds the frame, a broken save keeps the demo and says why
// on screen, the fixed save reloads at the same demo time, Escape quits; a
// plug-in that fails to start keeps the last good demo playing, and one that
// fails in every version leaves its message on screen until it is fixed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

int Shell(const std::string& inCommand) {
  int theWait = std::system(inCommand.c_str());
  return WIFEXITED(theWait) ? WEXITSTATUS(theWait) : -1;
}

// Polls inCondition for up to inSeconds. The deadlines are for a loaded
// machine running a sanitizer build, which starts, draws and reloads several
// times slower; a condition that holds ends the wait at once.
template <typename Condition>
bool WaitFor(Condition inCondition, int inSeconds) {
  for (int i = 0; i < inSeconds * 5; ++i) {
    if (inCondition()) return true;
    usleep(200 * 1000);
  }
  return inCondition();
}

bool CanDriveTheScreen() {
  return std::getenv("DISPLAY") != nullptr && Shell("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
}

bool Drawn(const Image& inImage) {
  for (size_t i = 0; i + 2 < inImage.rgba.size(); i += 4)
    if (inImage.rgba[i] > 40 || inImage.rgba[i + 1] > 40 || inImage.rgba[i + 2] > 40) return true;
  return false;
}

class EditedDemo {
 public:
  EditedDemo() : mFolder("editor") {
    Shell("cp -r " ZORBIT_SOURCE_DIR "/demos/showcase/. '" + mFolder.Path() + "/'");
  }
  ~EditedDemo() {
    const std::string thePid = ReadFile(mFolder.Path() + "/pid.txt");
    if (!thePid.empty()) Shell("kill " + thePid + " 2>/dev/null");
  }
  const std::string& Path() const { return mFolder.Path(); }
  // player --edit in a 320 x 180 window at the screen's corner, from inStart ms.
  void Start(const char* inStart) const {
    const std::string theCommand = "cd '" + mFolder.Path() +
                                   "' && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 ZORBIT_PLUGIN_PATH=" ZORBIT_BIN_DIR
                                   " " ZORBIT_BIN_DIR "/player --edit --window 320x180 showcase.xml " +
                                   std::string(inStart) + " >out.txt 2>&1 & echo $! > pid.txt";
    ASSERT_EQ(0, Shell(theCommand));
  }
  // Escape ends the player.
  bool Quit() const {
    Key("Escape");
    const std::string thePid = ReadFile(mFolder.Path() + "/pid.txt");
    return WaitFor([&] { return Shell("kill -0 " + thePid + " 2>/dev/null") != 0; }, 60);
  }
  // The window's pixels (it sits at the screen's top-left corner).
  Image Shot(const std::string& inName) const {
    const std::string thePath = mFolder.Path() + "/" + inName + ".png";
    Image theImage;
    if (Shell("import -window root -crop 320x180+0+0 +repage '" + thePath + "' 2>/dev/null") == 0) ReadPng(thePath, theImage);
    return theImage;
  }
  // The player's own window playing: two screenshots 300 ms apart, drawn
  // and different. Drawn alone is not enough: with no window manager the
  // screen keeps the last picture of a window that has gone, such as the
  // previous test's player, until something draws over it.
  bool WaitForPlaying() const {
    return WaitFor([&] {
      const Image theFirst = Shot("playing-a");
      usleep(300 * 1000);
      const Image theSecond = Shot("playing-b");
      return Drawn(theFirst) && Drawn(theSecond) && !(theFirst.rgba == theSecond.rgba);
    }, 60);
  }
  // The window at rest: two screenshots half a second apart are the same,
  // which a playing showcase never gives (its camera moves every frame).
  // What brings it to rest (a key, a reload) may take a while on a busy
  // machine; inShows, when given, must also hold of the still picture.
  bool WaitForStill(Image& outStill, bool (*inShows)(const Image&) = nullptr) const {
    return WaitFor([&] {
      const Image theFirst = Shot("still1");
      usleep(500 * 1000);
      outStill = Shot("still2");
      return outStill.width > 0 && outStill.rgba == theFirst.rgba && (inShows == nullptr || inShows(outStill));
    }, 60);
  }
  // Keys go to the window under the pointer when no window manager runs.
  void Key(const char* inKey) const {
    Shell(std::string("xdotool mousemove 100 100 key ") + inKey);
    usleep(300 * 1000);
  }
  // Saves inText as the document the way many editors do: a new file renamed over the old.
  void Save(const std::string& inText) const {
    const std::string theNew = mFolder.Path() + "/.showcase.xml.new";
    std::ofstream(theNew) << inText;
    std::rename(theNew.c_str(), (mFolder.Path() + "/showcase.xml").c_str());
    usleep(400 * 1000);  // the debounce
  }

 private:
  TempFolder mFolder;
};

TEST(Editor, PauseReloadBrokenSaveAndQuitInTheRealPlayer) {
  if (!CanDriveTheScreen()) GTEST_SKIP() << "needs an X display, xdotool and ImageMagick's import (scripts/install-deps)";
  EditedDemo theDemo;
  const std::string theGood = ReadFile(theDemo.Path() + "/showcase.xml");
  ASSERT_FALSE(theGood.empty());
  theDemo.Start("20000");
  ASSERT_TRUE(theDemo.WaitForPlaying()) << "the demo never played";
  theDemo.Key("space");
  // Paused, the player draws the same demo time again every frame: the same
  // frame, pixel for pixel, however often the window is redrawn.
  Image thePaused;
  ASSERT_TRUE(theDemo.WaitForStill(thePaused)) << "the paused frame moved";
  ASSERT_EQ(320, thePaused.width) << "no screenshot";
  usleep(500 * 1000);
  EXPECT_TRUE(theDemo.Shot("still").rgba == thePaused.rgba) << "the paused frame moved";

  theDemo.Save("<Demo><Settings");  // broken
  EXPECT_TRUE(WaitFor([&] { return !(theDemo.Shot("broken").rgba == thePaused.rgba); }, 60))
      << "the broken save's message is not on screen";
  EXPECT_NE(std::string::npos, ReadFile(theDemo.Path() + "/Errorlog.txt").find("An error occurred while loading demo"));

  theDemo.Save(theGood);  // fixed: reloaded, paused at the same time, the message gone
  EXPECT_TRUE(WaitFor([&] { return theDemo.Shot("fixed").rgba == thePaused.rgba; }, 60))
      << "the reloaded demo shows another frame";

  theDemo.Key("Tab");
  EXPECT_TRUE(WaitFor([&] { return !(theDemo.Shot("display").rgba == thePaused.rgba); }, 60)) << "Tab showed no display";

  EXPECT_TRUE(theDemo.Quit()) << "Escape did not quit";
}

bool HasText(const Image& inImage) {
  // The message's panel and letters sit in the top-left corner: white pixels there.
  for (int y = 0; y < 40 && y < inImage.height; ++y)
    for (int x = 0; x < 200 && x < inImage.width; ++x) {
      const uint8_t* thePixel = &inImage.rgba[(size_t(y) * inImage.width + x) * 4];
      if (thePixel[0] > 200 && thePixel[1] > 200 && thePixel[2] > 200) return true;
    }
  return false;
}

TEST(Editor, APlugInThatFailsToStartKeepsTheLastGoodDemoOrItsMessageOnScreen) {
  if (!CanDriveTheScreen()) GTEST_SKIP() << "needs an X display, xdotool and ImageMagick's import (scripts/install-deps)";
  EditedDemo theDemo;
  const std::string theGood = ReadFile(theDemo.Path() + "/showcase.xml");
  const size_t theLibraries = theGood.find("<Libraries>");
  ASSERT_NE(std::string::npos, theLibraries);
  ASSERT_EQ(0, Shell("cp " ZORBIT_TEST_PLUGIN_DIR "/initfail.so '" + theDemo.Path() + "/'"));
  theDemo.Start("20000");
  ASSERT_TRUE(theDemo.WaitForPlaying()) << "the demo never played";

  // A library whose Zorbit_Init fails: the last good document comes back and plays on, under the message.
  std::string theFailing = theGood;
  theFailing.insert(theLibraries + 11, "<Library FileName=\"initfail.so\"></Library>");
  theDemo.Save(theFailing);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(theDemo.Path() + "/out.txt").find("initfail.so") != std::string::npos; }, 60))
      << ReadFile(theDemo.Path() + "/out.txt");
  EXPECT_TRUE(WaitFor([&] { return HasText(theDemo.Shot("message")); }, 60)) << "the failure's message is not on screen";
  EXPECT_NE(std::string::npos, ReadFile(theDemo.Path() + "/Errorlog.txt").find("Zorbit_Init of library 'initfail.so' failed"))
      << ReadFile(theDemo.Path() + "/Errorlog.txt");
  const Image theOne = theDemo.Shot("playing1");
  EXPECT_TRUE(WaitFor([&] { return !(theDemo.Shot("playing2").rgba == theOne.rgba); }, 60))
      << "the last good demo does not play on";

  // A broken fonts.so beside the document fails the last good version too: the message stays on a still screen.
  ASSERT_EQ(0, Shell("cp " ZORBIT_TEST_PLUGIN_DIR "/initfail.so '" + theDemo.Path() + "/fonts.so'"));
  theDemo.Save(theGood);
  EXPECT_TRUE(WaitFor([&] { return ReadFile(theDemo.Path() + "/out.txt").find("fonts.so") != std::string::npos; }, 60))
      << ReadFile(theDemo.Path() + "/out.txt");
  // Until the reload gives up, the last good demo plays on under its own
  // message: wait for the screen to come to rest with the message on it.
  Image theStill;
  EXPECT_TRUE(theDemo.WaitForStill(theStill, HasText)) << "no message on a still window when nothing could start";
  usleep(500 * 1000);
  EXPECT_TRUE(theDemo.Shot("alone2").rgba == theStill.rgba) << "something plays although nothing could start";

  // Fixed: the demo plays again, the message gone.
  ASSERT_EQ(0, Shell("rm '" + theDemo.Path() + "/fonts.so'"));
  theDemo.Save(theGood);
  EXPECT_TRUE(WaitFor([&] { const Image theA = theDemo.Shot("again1"); usleep(300 * 1000);
                            return !(theDemo.Shot("again2").rgba == theA.rgba); }, 60))
      << "the fixed demo does not play";
  EXPECT_TRUE(theDemo.Quit()) << "Escape did not quit";
}

}  // namespace
