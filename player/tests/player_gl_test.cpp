// The OpenGL path of the player under a real (software) OpenGL context.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamma.h"
#include <zorbit/oglstate.h>
#include "opengldriver.h"
#include "playerfixture.h"

namespace {

// Every run below ends with SDL_Quit: keep the driver's leaks attributable.
const bool gDriverPinned = [] {
  PinOpenGLDriver();
  return true;
}();

struct Pixel {
  int r, g, b;
};

Pixel ReadPixel(int inX, int inY) {
  unsigned char theRgb[4] = {};
  glReadPixels(inX, inY, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, theRgb);
  return Pixel{theRgb[0], theRgb[1], theRgb[2]};
}

// The headless X server now and then refuses a connection under load; such a
// run stops at step 1 before any plug-in is touched and is simply tried again.
template <typename Run>
PlayResult WithDisplay(Run inRun) {
  PlayResult theResult;
  for (int theTry = 0; theTry < 5; ++theTry) {
    theResult = inRun();
    if (theResult.log != "Something went horribly wrong.  Stopped at step '1'.\n" || !theResult.calls.empty()) break;
    SDL_Delay(200);
  }
  return theResult;
}

std::string GlIni(int inWidth, int inHeight) {
  return "[video]\nwidth=" + std::to_string(inWidth) + "\nheight=" + std::to_string(inHeight) +
         "\nbpp=24\ndoublebuf=1\n[audio]\nenabled=0\n";
}

// A 16:9 demo on a 640x480 window: a 640x360 band in the middle, and what an
// effect draws is in the frame before it is shown.
TEST(PlayerOpenGL, LetterboxesTheDemoAndShowsWhatEffectsDraw) {
  DemoFolder theFolder;
  theFolder.AddPlugin("glrecorder");
  theFolder.Write("SDL.ini", GlIni(640, 480));
  theFolder.Write("demo.xml",
                  Document(Settings(20, true, "AspectRatioX=\"16\" AspectRatioY=\"9\""),
                           Library("glrecorder.so", {"GLClear"}),
                           {{Event("glrecorder.so", "GLClear", 0, 100, Const(0x3366CC))}}));
  int theFrames = 0;
  PlayResult theRun = WithDisplay([&] { return theFolder.RunHere({"demo.xml"}, 10, [&theFrames](const Demo& inDemo, uint32_t) {
    ++theFrames;
    EXPECT_TRUE(inDemo.useOpenGL);
    GLint theViewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, theViewport);
    EXPECT_EQ(0, theViewport[0]);
    EXPECT_EQ(60, theViewport[1]);
    EXPECT_EQ(640, theViewport[2]);
    EXPECT_EQ(360, theViewport[3]);
    int theX = 0, theY = 0;
    unsigned theWidth = 0, theHeight = 0;
    GetViewport(theX, theY, theWidth, theHeight);
    EXPECT_EQ(60, theY) << "the tracker holds the letterbox in window rows from the top";
    EXPECT_EQ(360u, theHeight);
    Pixel theCentre = ReadPixel(320, 240);
    EXPECT_EQ(0x33, theCentre.r);
    EXPECT_EQ(0x66, theCentre.g);
    EXPECT_EQ(0xCC, theCentre.b);
  }); });
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  EXPECT_EQ("", theRun.log);
  EXPECT_EQ(3, theFrames) << "frames at 0, 10 and 20 ms";
  EXPECT_EQ(3u, Lines(theRun.calls, "effect glrecorder GLClear phase=1").size());
}

TEST(PlayerOpenGL, SameShapeFillsTheWindowAndGammaIsLoadedForTheRun) {
  DemoFolder theFolder;
  theFolder.AddPlugin("glrecorder");
  theFolder.Write("SDL.ini", GlIni(400, 300));
  theFolder.Write("demo.xml", Document(Settings(0, true), Library("glrecorder.so", {"GLClear"}),
                                       {{Event("glrecorder.so", "GLClear", 0, 100, Const(0xFF0000))}}));
  bool theGammaChecked = false;
  PlayResult theRun = WithDisplay([&] { return theFolder.RunHere({"demo.xml", "0", "255", "2.0"}, 10, [&](const Demo&, uint32_t) {
    GLint theViewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, theViewport);
    EXPECT_EQ(400, theViewport[2]);
    EXPECT_EQ(300, theViewport[3]);
    Uint16 theRed[256], theGreen[256], theBlue[256];
    if (SDL_GetGammaRamp(theRed, theGreen, theBlue) == 0) {
      uint16_t theExpected[kGammaRampSize];
      ComputeGammaRamp(2.0, theExpected);
      // The server may keep fewer bits per entry; compare coarsely.
      EXPECT_NEAR(theExpected[64], theRed[64], 512);
      EXPECT_NEAR(theExpected[64], theBlue[64], 512);
      theGammaChecked = true;
    }
  }); });
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  if (!theGammaChecked) std::printf("note: this X server has no gamma ramps; only the viewport was checked\n");
}

TEST(PlayerOpenGL, ProgramPlaysAnOpenGlDemo) {
  DemoFolder theFolder;
  theFolder.AddPlugin("glrecorder");
  theFolder.Write("SDL.ini", GlIni(320, 240));
  // Long enough after the event's end for a frame to land there on a slow (sanitizer) build.
  theFolder.Write("demo.xml", Document(Settings(1000, true), Library("glrecorder.so", {"GLClear"}),
                                       {{Event("glrecorder.so", "GLClear", 0, 30, Const(0x00FF00))}}));
  // The program's own exit unloads Mesa's driver (see gDriverPinned), so leak
  // checking is left to the runs in this process.
  PlayResult theRun =
      WithDisplay([&] { return theFolder.RunProgram({"demo.xml"}, "SDL_VIDEODRIVER=x11 ASAN_OPTIONS=detect_leaks=0"); });
  EXPECT_EQ(0, theRun.exitCode) << theRun.log << theRun.errors;
  EXPECT_EQ("", theRun.log);
  EXPECT_EQ(1u, Lines(theRun.calls, "effect glrecorder GLClear phase=-1").size());
}

}  // namespace

namespace {

TEST(PlayerOpenGL, WindowOptionSetsTheModeWithOrWithoutSdlIni) {
  DemoFolder theFolder;
  theFolder.AddPlugin("glrecorder");
  theFolder.Write("demo.xml", Document(Settings(0, true), Library("glrecorder.so", {"GLClear"}),
                                       {{Event("glrecorder.so", "GLClear", 0, 100, Const(0xFF0000))}}));
  auto theSize = [&](std::vector<std::string> inArguments) {
    int theWidth = 0, theHeight = 0;
    PlayResult theRun = WithDisplay([&] {
      return theFolder.RunHere(inArguments, 10, [&](const Demo&, uint32_t) {
        SDL_Surface* theScreen = SDL_GetVideoSurface();
        theWidth = theScreen->w;
        theHeight = theScreen->h;
        EXPECT_EQ(0u, theScreen->flags & SDL_FULLSCREEN) << "--window plays in a window";
      });
    });
    EXPECT_EQ(0, theRun.exitCode) << theRun.log;
    return std::to_string(theWidth) + "x" + std::to_string(theHeight);
  };
  // No SDL.ini: the window alone is enough.
  EXPECT_EQ("120x90", theSize({"--window", "120x90", "demo.xml"}));
  // An SDL.ini gives the other settings; the window size wins over its own.
  theFolder.Write("SDL.ini", GlIni(400, 300));
  EXPECT_EQ("144x96", theSize({"demo.xml", "--window=144x96"}));
  EXPECT_EQ("400x300", theSize({"demo.xml"}));
}

}  // namespace
