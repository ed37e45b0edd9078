// The display's line of parameter values, read from the showcase's real
// plug-ins: names and current values for described effects, nothing for an
// effect without a description, never longer than asked.
#include "paramdisplay.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "nametable.h"
#include "zorbitloader.h"

namespace {

struct LoadedShowcase {
  Demo demo{};
  LoadedShowcase() {
    LoadDemo(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml", demo, GetNameTable());
    for (uint32_t l = 0; l < demo.libraryCount; ++l)
      demo.libraries[l].handle =
          dlopen((std::string(ZORBIT_BIN_DIR "/") + demo.libraries[l].fileName).c_str(), RTLD_LAZY | RTLD_LOCAL);
  }
  ~LoadedShowcase() {
    for (uint32_t l = 0; l < demo.libraryCount; ++l) {
      if (demo.libraries[l].handle != nullptr) dlclose(demo.libraries[l].handle);
      demo.libraries[l].handle = nullptr;
    }
    DestroyDemo(demo);
    ClearNameTable(GetNameTable());
  }
  // The first event of that function that runs at inTime.
  const Event* Running(const char* inFunction, uint32_t inTime) const {
    for (uint32_t t = 0; t < demo.trackCount; ++t)
      for (uint32_t e = 0; e < demo.tracks[t].eventCount; ++e) {
        const Event& theEvent = demo.tracks[t].events[e];
        if (std::strcmp(theEvent.functionName, inFunction) == 0 && theEvent.startTime <= inTime && inTime < theEvent.endTime)
          return &theEvent;
      }
    return nullptr;
  }
};

TEST(ParamDisplay, RunningEventsShowTheirValuesByName) {
  LoadedShowcase theShowcase;
  ParamDisplay theDisplay;
  theDisplay.Adopt(theShowcase.demo);
  const Event* theText = theShowcase.Running("Text3D", 5000);
  ASSERT_NE(theText, nullptr);
  const std::string theLine = theDisplay.Values(*theText, 5000, 1000);
  EXPECT_EQ(theLine.rfind("  text '", 0), 0u) << theLine;
  EXPECT_NE(theLine.find("  font 'FreeSans"), std::string::npos) << theLine;
  EXPECT_NE(theLine.find("  blendsrc GL_SRC_ALPHA  blenddst GL_ONE_MINUS_SRC_ALPHA"), std::string::npos) << theLine;
  EXPECT_NE(theLine.find("  axes off"), std::string::npos) << theLine;
  // Values follow the time: a fade-in changes the opacity.
  EXPECT_NE(theDisplay.Values(*theText, theText->startTime, 1000), theDisplay.Values(*theText, theText->startTime + 900, 1000))
      << "the opacity of " << theLine;
  const std::string theShort = theDisplay.Values(*theText, 5000, 40);
  EXPECT_EQ(theShort.size(), 40u) << theShort;
  EXPECT_EQ(theShort.substr(37), "...") << theShort;
}

TEST(ParamDisplay, AnEffectWithoutADescriptionShowsNothing) {
  LoadedShowcase theShowcase;
  ParamDisplay theDisplay;  // nothing adopted: no library described
  const Event* theText = theShowcase.Running("Text3D", 5000);
  ASSERT_NE(theText, nullptr);
  EXPECT_EQ(theDisplay.Values(*theText, 5000, 1000), "");
}

}  // namespace
