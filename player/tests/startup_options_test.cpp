#include "startup.h"

#include <gtest/gtest.h>

#include <vector>

#include "oglstate.h"

namespace {

TEST(CommandLine, DemoPathStartVolumeGammaAndLogSwitch) {
  struct Case {
    std::vector<const char*> args;
    const char* path;
    uint32_t start;
    int32_t volume;
    double gamma;
    bool verbose;
  };
  const Case theCases[] = {
      {{"C:\\demo\\player.exe"}, "C:\\demo\\player.xml", 0, 255, 1.0, false},
      {{"/opt/zorbit/player"}, "/opt/zorbit/player", 0, 255, 1.0, false},  // no extension: the path itself
      {{"./player"}, "./player", 0, 255, 1.0, false},                        // a '.' at the front only does not count
      {{"player", "show.xml", "log"}, "show.xml", 0, 255, 1.0, true},
      {{"player", "log"}, "log", 0, 255, 1.0, true},                         // the first argument is always the path
      {{"player", "show.xml", "15000", "128", "2.2"}, "show.xml", 15000, 128, 2.2, false},
      {{"player", "show.xml", "15000", "-Log"}, "show.xml", 15000, 0, 1.0, true},  // atoi("-Log") is 0
      {{"player", "show.xml", "LOG"}, "show.xml", 0, 255, 1.0, false},      // exact, case-sensitive
  };
  for (const Case& theCase : theCases) {
    PlayerOptions theOptions = ParseCommandLine(int(theCase.args.size()), theCase.args.data());
    std::string theLine;
    for (const char* theArg : theCase.args) theLine += std::string(theArg) + " ";
    EXPECT_EQ(theCase.path, theOptions.demoPath) << theLine;
    EXPECT_EQ(theCase.start, theOptions.startMs) << theLine;
    EXPECT_EQ(theCase.volume, theOptions.volume) << theLine;
    EXPECT_DOUBLE_EQ(theCase.gamma, theOptions.gamma) << theLine;
    EXPECT_EQ(theCase.verbose, theOptions.verbose) << theLine;
  }
}

TEST(Letterbox, ViewportKeepsTheDemoShapeCentred) {
  struct Case {
    float screenAspect;
    int32_t aspectX, aspectY;
    uint32_t width, height;
    bool pushed;
    OGLViewport viewport;
  };
  const Case theCases[] = {
      {4.0f / 3.0f, 16, 9, 1024, 768, true, {0, 96, 1024, 576}},
      {1.25f, 16, 9, 1280, 1024, true, {0, 152, 1280, 719}},
      {1.6f, 4, 3, 1920, 1200, true, {160, 0, 1600, 1200}},
      {4.0f / 3.0f, 4, 3, 1024, 768, false, {}},
      {1.34f, 4, 3, 1024, 768, false, {}},  // within 0.01: fills the screen
      {1.0f, 0, 3, 640, 640, false, {}},    // a demo aspect of 0 is no shape
      {1.0f, 4, 0, 640, 640, false, {}},
  };
  for (const Case& theCase : theCases) {
    OGLViewport theViewport = {-1, -1, 0, 0};
    bool thePushed = ComputeLetterbox(theCase.screenAspect, theCase.aspectX, theCase.aspectY, theCase.width,
                                      theCase.height, theViewport);
    std::string theName = std::to_string(theCase.screenAspect) + " " + std::to_string(theCase.aspectX) + ":" +
                          std::to_string(theCase.aspectY) + " on " + std::to_string(theCase.width) + "x" +
                          std::to_string(theCase.height);
    ASSERT_EQ(theCase.pushed, thePushed) << theName;
    if (!thePushed) continue;
    EXPECT_EQ(theCase.viewport.x, theViewport.x) << theName;
    EXPECT_EQ(theCase.viewport.y, theViewport.y) << theName;
    EXPECT_EQ(theCase.viewport.width, theViewport.width) << theName;
    EXPECT_EQ(theCase.viewport.height, theViewport.height) << theName;
  }
}

TEST(MusicVolume, PlayerScaleMapsOntoTheMixersWholeRange) {
  const int theCases[][2] = {{0, 0}, {255, 128}, {128, 64}, {64, 32}, {300, 128}, {-5, 0}};
  for (auto& theCase : theCases) EXPECT_EQ(theCase[1], MixerVolume(theCase[0])) << theCase[0];
}

}  // namespace
