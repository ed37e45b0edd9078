// player --edit with a Shader event, driven like a demo maker does under the
// test's X server: a broken save of the shader file keeps the last good
// picture and shows the message; the fixed save draws the new program, with
// the event's feedback buffer kept (the document was not reloaded) and its
// time gone on.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "demoxml.h"
#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

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

bool CanDriveTheScreen() {
  return std::getenv("DISPLAY") != nullptr && Shell("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
}

// Left half of the viewport: the version's colour; v1 puts a mark into blue,
// which v2 shows only when its feedback buffer still holds it. Right half:
// the event's time as grey, a minute to full white.
const char* const kFirst =
    "void mainImage(out vec4 c, in vec2 p) {\n"
    "  c = p.x < iResolution.x * 0.5 ? vec4(1.0, 0.0, 1.0, 1.0) : vec4(vec3(iTime / 60.0), 1.0);\n"
    "}\n";
const char* const kBroken =
    "void mainImage(out vec4 c, in vec2 p) {\n"
    "  c = vec4(1.0) +\n"
    "}\n";
const char* const kSecond =
    "void mainImage(out vec4 c, in vec2 p) {\n"
    "  float mark = texelFetch(iChannel0, ivec2(p), 0).b;\n"
    "  c = p.x < iResolution.x * 0.5 ? vec4(0.0, 1.0, mark, 1.0) : vec4(vec3(iTime / 60.0), 1.0);\n"
    "}\n";

class EditedShader {
 public:
  EditedShader() : mFolder("shaders_edit") {
    std::vector<std::string> theValues;
    std::string theParams;
    for (int i = 0; i < 40; ++i) {
      const int theValue = i == 1 ? -1 : i == 5 ? 255 : i == 8 ? 3 : i == 10 ? 1 : 0;
      theParams += demoxml::Const(theValue);
    }
    WriteFile(Path() + "/demo.xml",
              demoxml::Document(120000, true, {"live.glsl"}, demoxml::Library("shaders.so", {"Shader"}),
                                {demoxml::Event("shaders.so", "Shader", 0, 120000, theParams)}));
    WriteFile(Path() + "/live.glsl", kFirst);
  }
  ~EditedShader() {
    const std::string thePid = ReadFile(Path() + "/pid.txt");
    if (!thePid.empty()) Shell("kill " + thePid + " 2>/dev/null");
  }
  const std::string& Path() const { return mFolder.Path(); }
  void Start() const {
    ASSERT_EQ(0, Shell("cd '" + Path() +
                       "' && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 ZORBIT_PLUGIN_PATH=" ZORBIT_BIN_DIR
                       " " ZORBIT_BIN_DIR "/player --edit --window 320x180 demo.xml >out.txt 2>&1 & echo $! > pid.txt"));
  }
  bool Quit() const {
    Shell("xdotool mousemove 100 100 key Escape");
    const std::string thePid = ReadFile(Path() + "/pid.txt");
    return WaitFor([&] { return Shell("kill -0 " + thePid + " 2>/dev/null") != 0; }, 60);
  }
  Image Shot() const {
    const std::string thePath = Path() + "/shot.png";
    Image theImage;
    if (Shell("import -window root -crop 320x180+0+0 +repage '" + thePath + "' 2>/dev/null") == 0) ReadPng(thePath, theImage);
    return theImage;
  }
  // A new file renamed over the old one, as many editors save.
  void Save(const char* inText) const {
    WriteFile(Path() + "/.live.glsl.new", inText);
    std::rename((Path() + "/.live.glsl.new").c_str(), (Path() + "/live.glsl").c_str());
  }

 private:
  TempFolder mFolder;
};

// The 4:3 demo in the 320 x 180 window: the viewport is 240 x 180 from x = 40.
struct Colour {
  int r = -1, g = -1, b = -1;
};
Colour At(const Image& inImage, int inX, int inY) {
  if (inImage.width != 320 || inImage.height != 180) return {};
  const uint8_t* p = inImage.Pixel(inX, inY);
  return {p[0], p[1], p[2]};
}
Colour Left(const Image& inImage) { return At(inImage, 80, 120); }
int TimeGrey(const Image& inImage) { return At(inImage, 250, 120).r; }

bool ShowsMessage(const Image& inImage) {
  if (inImage.width != 320) return false;
  for (int y = 0; y < 30; ++y)
    for (int x = 40; x < 200; ++x) {
      const Colour c = At(inImage, x, y);
      if (c.r > 180 && c.g > 180 && c.b > 180) return true;
    }
  return false;
}

TEST(ShaderEditMode, ABrokenSaveKeepsThePictureAndAFixedOneDrawsInPlace) {
  if (!CanDriveTheScreen()) GTEST_SKIP() << "needs an X display, xdotool and ImageMagick's import (scripts/install-deps)";
  EditedShader theDemo;
  theDemo.Start();
  ASSERT_TRUE(WaitFor([&] { const Colour c = Left(theDemo.Shot()); return c.r > 200 && c.b > 200; }, 60))
      << "the first version never showed\n" << ReadFile(theDemo.Path() + "/out.txt");
  // Some time passes, so that a time going back would show.
  ASSERT_TRUE(WaitFor([&] { return TimeGrey(theDemo.Shot()) >= 8; }, 60)) << "the time does not run";

  theDemo.Save(kBroken);
  Image theBroken;
  EXPECT_TRUE(WaitFor([&] { theBroken = theDemo.Shot(); return ShowsMessage(theBroken); }, 60))
      << "the broken save's message is not shown";
  const Colour theKept = Left(theBroken);
  EXPECT_TRUE(theKept.r > 200 && theKept.b > 200) << "the last good picture is gone: " << theKept.r << "," << theKept.g;
  const int theTimeBefore = TimeGrey(theBroken);
  EXPECT_NE(ReadFile(theDemo.Path() + "/Errorlog.txt").find("live.glsl:3:"), std::string::npos)
      << ReadFile(theDemo.Path() + "/Errorlog.txt");

  theDemo.Save(kSecond);
  Image theFixed;
  EXPECT_TRUE(WaitFor([&] { theFixed = theDemo.Shot(); const Colour c = Left(theFixed); return c.g > 200 && c.r < 50; }, 60))
      << "the fixed save does not draw";
  EXPECT_GT(Left(theFixed).b, 200) << "the feedback buffer lost v1's mark: the demo was reloaded";
  EXPECT_GE(TimeGrey(theFixed), theTimeBefore) << "iTime went back";
  EXPECT_TRUE(WaitFor([&] { return !ShowsMessage(theDemo.Shot()); }, 60)) << "the message stayed after the good save";
  EXPECT_TRUE(theDemo.Quit()) << "Escape did not quit";
}

}  // namespace
