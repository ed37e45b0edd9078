// TextBalloon of balloons.so, loaded as the player loads it, with fonts.so
// producing real fonts and a real scene group collecting what it shows.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <zorbit/lattice/flatoval3d.h>
#include "font3d.h"
#include "fontcache.h"
#include "glwindow.h"
#include "testhost.h"
#include <zorbit/lattice/groupnode3d.h>
#include "fontsapi.h"

extern "C" bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**);  // fonts.so's
extern "C" bool Zorbit_Quit();

namespace {

const char* const kSans = "/usr/share/fonts/truetype/freefont/FreeSans.ttf";

typedef bool (*TextBalloonFunction)(FrameInfo*, void**, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    int32_t, int32_t, int32_t, int32_t);

GroupNode3D gGroup;
void* ProduceGroup(const char* inName, void*, bool&) { return strcmp(inName, "scene") == 0 ? &gGroup : nullptr; }

class TextBalloonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gBalloons = dlopen(ZORBIT_BIN_DIR "/balloons.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(gBalloons, nullptr) << dlerror();
  }
  static void TearDownTestSuite() {
    if (gBalloons) dlclose(gBalloons);
    gBalloons = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(Zorbit_Init(nullptr, nullptr, mHost.Table()));
    auto theInit = reinterpret_cast<InitFunction>(dlsym(gBalloons, "Zorbit_Init"));
    mBalloon = reinterpret_cast<TextBalloonFunction>(dlsym(gBalloons, "TextBalloon"));
    ASSERT_TRUE(theInit && mBalloon);
    ASSERT_TRUE(theInit(nullptr, nullptr, mHost.Table()));
    mHost.AddProducer(KIND_3DWR, &ProduceGroup);
    mFontName = mHost.AddText(kSans);
    mGroupName = mHost.AddText("scene");
    mMissing = mHost.AddText("no/such/font.ttf");
    mText = mHost.AddText("Hi there!");
    gGroup.Clear();
  }
  void TearDown() override {
    EXPECT_EQ(UsedFontSlots(), 0) << "the balloon kept a font after its last call";
    Zorbit_Quit();
  }

  // A balloon of the whole text at the origin, no outlines, scale 1.
  std::array<int32_t, 26> Params() {
    return {mText, 100, mFontName, 20, 60, -40, 0, 0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC,
            0, 0, 0, 0, 0, 0, 100000, 0x80, 770, 771, 100000, mGroupName, 0};
  }
  bool Call(int32_t inPhase, const std::array<int32_t, 26>& p) {
    mInfo.phase = inPhase;
    mInfo.status = 0;
    gGroup.Clear();
    return mBalloon(&mInfo, &mSlot, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11], p[12],
                    p[13], p[14], p[15], p[16], p[17], p[18], p[19], p[20], p[21], p[22], p[23], p[24], p[25]);
  }
  std::vector<FlatOval3D*> Ovals() const {
    std::vector<FlatOval3D*> theOvals;
    for (size_t i = 0; i < gGroup.GetChildCount(); ++i) {
      if (auto* theOval = dynamic_cast<FlatOval3D*>(gGroup.GetChild(i))) theOvals.push_back(theOval);
    }
    return theOvals;
  }
  Font3D* Text() const {
    for (size_t i = 0; i < gGroup.GetChildCount(); ++i) {
      if (auto* theText = dynamic_cast<Font3D*>(gGroup.GetChild(i))) return theText;
    }
    return nullptr;
  }

  static void* gBalloons;
  TestHost mHost{OpenTestWindow()};
  TextBalloonFunction mBalloon = nullptr;
  FrameInfo mInfo = {};
  void* mSlot = nullptr;
  int32_t mFontName = 0, mGroupName = 0, mMissing = 0, mText = 0;
};
void* TextBalloonTest::gBalloons = nullptr;

float MaxX(FlatOval3D& inOval) {
  float theMax = -1e9f;
  for (int32_t v = 0; v < inOval.GetVertexCount(); ++v) theMax = std::max(theMax, inOval.GetVertices()[v * 3]);
  return theMax;
}
float MaxY(FlatOval3D& inOval) {
  float theMax = -1e9f;
  for (int32_t v = 0; v < inOval.GetVertexCount(); ++v) theMax = std::max(theMax, inOval.GetVertices()[v * 3 + 1]);
  return theMax;
}

TEST_F(TextBalloonTest, RebuildsOnlyWhenTextCountFontOrSizeChange) {
  auto p = Params();
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT);
  EXPECT_EQ(gGroup.GetChildCount(), 0u) << "the first call shows nothing";
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT) << "the first run builds";

  struct Change {
    int index;
    int32_t value;
    bool rebuilds;
  };
  const Change kChanges[] = {
      {7, 0x99, false},  {10, 0x01, false}, {4, -200, false}, {13, 5000, false}, {23, 50000, false},
      {6, 1, false},     {1, 4, true},      {1, 5, true},     {1, 5, false},     {3, 21, true},
      {0, mGroupName, true}, {2, mMissing, true},
  };
  for (const Change& c : kChanges) {
    p[c.index] = c.value;
    ASSERT_TRUE(Call(PHASE_RUN, p)) << "parameter " << c.index;
    EXPECT_EQ(mInfo.status, c.rebuilds ? (c.index == 2 ? STATUS_FAILED : STATUS_BUILT) : STATUS_UNCHANGED)
        << "parameter " << c.index << " = " << c.value;
  }
  ASSERT_TRUE(Call(PHASE_DESTROY, p));
  EXPECT_EQ(mSlot, nullptr);
}

TEST_F(TextBalloonTest, OutlinesDoubleTheOvalsAndLieBehindLarger) {
  auto p = Params();
  p[13] = 7000;  // x = 7
  p[15] = 2000;  // z = 2
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  ASSERT_TRUE(Call(PHASE_RUN, p));
  std::vector<FlatOval3D*> theFills = Ovals();
  ASSERT_EQ(theFills.size(), 5u) << "without outlines";
  EXPECT_EQ(gGroup.GetChild(0), Text()) << "the text comes first";

  p[6] = 1;
  p[1] = 99;  // rebuild with outlines
  ASSERT_TRUE(Call(PHASE_RUN, p));
  std::vector<FlatOval3D*> theOvals = Ovals();
  ASSERT_EQ(theOvals.size(), 10u) << "with outlines";
  for (int i = 0; i < 5; ++i) {
    FlatOval3D& theOutline = *theOvals[size_t(2 * i)];
    FlatOval3D& theFill = *theOvals[size_t(2 * i + 1)];
    SCOPED_TRACE("pair " + std::to_string(i));
    EXPECT_FLOAT_EQ(theOutline.mPosition[2], theFill.mPosition[2] - 1.0f) << "outline 1.0 behind its fill";
    EXPECT_FLOAT_EQ(theFill.mPosition[2], 2.0f);
    EXPECT_FLOAT_EQ(theOutline.mPosition[0], theFill.mPosition[0]);
    EXPECT_NEAR(MaxX(theOutline) - MaxX(theFill), 3.0f, 1e-3) << "3 wider";
    EXPECT_NEAR(MaxY(theOutline) - MaxY(theFill), 3.0f, 1e-3) << "3 taller";
    EXPECT_EQ(theOutline.GetColour(), 0x80112233u) << "outline in colour A";
    EXPECT_EQ(theFill.GetColour() & 0xFFFFFFu, 0xAABBCCu) << "fill in colour B";
    EXPECT_EQ(theFill.GetBlendSrc(), 770);
  }
  // The trail runs from the balloon to the tail point (60, -40).
  EXPECT_FLOAT_EQ(theOvals[1]->mPosition[0], 7.0f);
  EXPECT_FLOAT_EQ(theOvals[9]->mPosition[0], 7.0f + 60.0f);
  EXPECT_FLOAT_EQ(theOvals[9]->mPosition[1], -40.0f);
  for (int i = 1; i < 5; ++i) {
    EXPECT_LE(MaxX(*theOvals[size_t(2 * i + 1)]), MaxX(*theOvals[size_t(2 * i - 1)])) << "the trail shrinks";
  }

  p[25] = 0x100;  // only the low byte counts
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(gGroup.GetChildCount(), 11u);
  p[25] = 1;
  ASSERT_TRUE(Call(PHASE_RUN, p));
  ASSERT_EQ(gGroup.GetChildCount(), 12u);
  EXPECT_EQ(gGroup.GetChild(11)->GetKind(), 3) << "the axis cross comes last";
  EXPECT_FLOAT_EQ(gGroup.GetChild(11)->mPosition[0], theOvals[1]->mPosition[0]) << "at the balloon";
  ASSERT_TRUE(Call(PHASE_DESTROY, p));
}

TEST_F(TextBalloonTest, TypewriterShowsTheFirstCharactersAndTheBalloonFollows) {
  auto p = Params();
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  ASSERT_TRUE(Call(PHASE_RUN, p));
  int32_t theSize = 20;
  bool theStatic = false;
  const ResourceFont& f = *static_cast<const ResourceFont*>(ProduceFont(kSans, &theSize, theStatic));
  ReleaseFont(kSans, &theSize);  // the balloon holds it
  const std::string theText = "Hi there!";
  float theLastWidth = 0.0f;
  for (int32_t theCount : {-3, 0, 1, 2, 3, 4, 9, 10, 1000}) {
    SCOPED_TRACE("count " + std::to_string(theCount));
    p[1] = theCount;
    ASSERT_TRUE(Call(PHASE_RUN, p));
    const int32_t theShown = std::clamp<int32_t>(theCount, 0, int32_t(theText.size()));
    Font3D* theNode = Text();
    if (theShown == 0) {
      EXPECT_EQ(theNode, nullptr) << "the balloon without text";
    } else {
      ASSERT_NE(theNode, nullptr);
      const std::string thePart = theText.substr(0, size_t(theShown));
      const int32_t theVisible = int32_t(std::count_if(thePart.begin(), thePart.end(), [](char c) { return c != ' '; }));
      EXPECT_EQ(theNode->GetVertexCount(), 4 * theVisible);
    }
    ASSERT_EQ(Ovals().size(), 5u);
    const int32_t w = GetStringPixels(f, theText.c_str(), 0, theShown);
    EXPECT_FLOAT_EQ(MaxX(*Ovals()[0]), float(int(float(w) * 0.5555556f + 15.0f)));
    EXPECT_GE(MaxX(*Ovals()[0]), theLastWidth) << "the balloon widens with the text";
    theLastWidth = MaxX(*Ovals()[0]);
  }
  ASSERT_TRUE(Call(PHASE_DESTROY, p));
}

TEST_F(TextBalloonTest, SmallFontSizesCountAsFive) {
  auto p = Params();
  p[3] = 3;
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(FontReferenceCount(kSans, 5), 1) << "the font is loaded at size 5";
  EXPECT_EQ(FontReferenceCount(kSans, 3), 0);
  ASSERT_NE(Text(), nullptr);
  EXPECT_NEAR(Text()->mPosition[1], -5.0f / 3.0f, 1e-5) << "the text sits a third of the size lower";
  EXPECT_FLOAT_EQ(Text()->mPosition[2], 10.0f) << "and 10 in front";
  p[3] = -8;
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(mInfo.status, STATUS_UNCHANGED) << "-8 is 5 too";
  p[3] = 30;
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(FontReferenceCount(kSans, 5), 0) << "the old font is released on a change";
  EXPECT_EQ(FontReferenceCount(kSans, 30), 1);
  ASSERT_TRUE(Call(PHASE_DESTROY, p));
}

TEST_F(TextBalloonTest, UnavailableFontFailsEachRebuildButSucceeds) {
  auto p = Params();
  p[2] = mMissing;
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  for (int theFrame = 0; theFrame < 3; ++theFrame) {
    EXPECT_TRUE(Call(PHASE_RUN, p));
    EXPECT_EQ(mInfo.status, STATUS_FAILED) << "frame " << theFrame;
    EXPECT_EQ(gGroup.GetChildCount(), 0u) << "shows nothing";
  }
  p[2] = mFontName;  // the font turns up
  EXPECT_TRUE(Call(PHASE_RUN, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT);
  EXPECT_EQ(Ovals().size(), 5u);
  EXPECT_TRUE(Call(PHASE_DESTROY, p));
}

TEST_F(TextBalloonTest, ColourChangesRecolourWithoutRebuildingAndSurviveRebuilds) {
  auto p = Params();
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  for (int theFrame = 0; theFrame < 4; ++theFrame) {
    if (theFrame == 1) {
      p[8] = 0x44;   // text green
      p[12] = 0x55;  // fill blue
      p[20] = 0x40;  // alpha
    }
    if (theFrame == 2) p[1] = 5;  // typewriter step: rebuild with the same colours
    ASSERT_TRUE(Call(PHASE_RUN, p));
    const uint32_t theA = (uint32_t(p[20]) << 24) | (uint32_t(p[7]) << 16) | (uint32_t(p[8]) << 8) | uint32_t(p[9]);
    const uint32_t theB = (uint32_t(p[20]) << 24) | (uint32_t(p[10]) << 16) | (uint32_t(p[11]) << 8) | uint32_t(p[12]);
    ASSERT_NE(Text(), nullptr);
    EXPECT_EQ(Text()->GetColour(), theA) << "frame " << theFrame << ": the text shows colour A";
    EXPECT_EQ(Ovals()[0]->GetColour(), theB) << "frame " << theFrame;
    EXPECT_EQ(mInfo.status, theFrame == 1 || theFrame == 3 ? STATUS_UNCHANGED : STATUS_BUILT) << "frame " << theFrame;
  }
  ASSERT_TRUE(Call(PHASE_DESTROY, p));
}

TEST_F(TextBalloonTest, QuitEndsBalloonsThatGotNoLastCall) {
  auto p = Params();
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  ASSERT_TRUE(Call(PHASE_RUN, p));
  ASSERT_EQ(FontReferenceCount(kSans, 20), 1);
  auto theQuit = reinterpret_cast<QuitFunction>(dlsym(gBalloons, "Zorbit_Quit"));
  ASSERT_NE(theQuit, nullptr);
  EXPECT_TRUE(theQuit());
  EXPECT_EQ(FontReferenceCount(kSans, 20), 0) << "the balloon gave its font back";
  mSlot = nullptr;
}

// Quit with a balloon running, then a second Zorbit_Init of balloons.so: the
// new run's balloon builds and shows, and holds only its own font.
TEST_F(TextBalloonTest, SecondInitBuildsBalloonsAfresh) {
  auto p = Params();
  ASSERT_TRUE(Call(PHASE_MAKE, p));
  ASSERT_TRUE(Call(PHASE_RUN, p));
  auto theQuit = reinterpret_cast<QuitFunction>(dlsym(gBalloons, "Zorbit_Quit"));
  auto theInit = reinterpret_cast<InitFunction>(dlsym(gBalloons, "Zorbit_Init"));
  ASSERT_TRUE(theQuit && theInit);
  ASSERT_TRUE(theQuit());
  mSlot = nullptr;  // the first run's event got no last call
  ASSERT_TRUE(theInit(nullptr, nullptr, mHost.Table()));

  ASSERT_TRUE(Call(PHASE_MAKE, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT) << "the second run's balloon was not built";
  ASSERT_TRUE(Call(PHASE_RUN, p));
  EXPECT_FALSE(Ovals().empty()) << "the second run's balloon is not shown";
  EXPECT_NE(Text(), nullptr) << "the second run's balloon shows no text";
  EXPECT_EQ(FontReferenceCount(kSans, 20), 1) << "a font reference of the first run is left over";
  ASSERT_TRUE(theQuit());
  EXPECT_EQ(FontReferenceCount(kSans, 20), 0);
  mSlot = nullptr;
}

}  // namespace
