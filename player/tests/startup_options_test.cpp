#include "startup.h"

#include <gtest/gtest.h>

#include <vector>

#include <zorbit/oglstate.h>

namespace {

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
