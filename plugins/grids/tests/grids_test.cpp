// grids.so loaded into a stand-in host: MakeGrid, the deformers, the table
// behind kind GRID, and when grids are (not) rebuilt.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "testhost.h"

namespace {

struct Vertex {
  float x, y, z;
};

class GridsPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    mHandle = mHost.Load("grids");
    ASSERT_NE(mHandle, nullptr) << mHost.mLoadError;
    for (const char* theName : {"MakeGrid", "WaveGridZ", "TurnPageGrid"}) {
      mEffects.push_back(dlsym(mHandle, theName));
      ASSERT_NE(mEffects.back(), nullptr) << theName;
    }
  }
  void TearDown() override {
    if (mHandle) reinterpret_cast<QuitFunction>(dlsym(mHandle, "Zorbit_Quit"))();
  }

  int32_t Name(const std::string& inName) { return mHost.Name(inName); }

  // One event of an effect; Call() runs it like the frame loop does: PHASE_MAKE
  // followed by PHASE_RUN in its first frame, PHASE_RUN afterwards. mStatus
  // is the frame's: failed or built when either call of the frame said so.
  struct Event {
    void* mEffect;
    void* mSlot = nullptr;
    bool mStarted = false;
    int32_t mStatus = 0;
    bool mResult = true;
  };
  Event MakeEvent(int inEffect) { return Event{mEffects[inEffect]}; }
  enum { kMake = 0, kWave = 1, kTurn = 2 };

  void Call(Event& ioEvent, const std::vector<int32_t>& inParams, bool inConstant = true) {
    int32_t theMakeStatus = STATUS_UNCHANGED;
    if (!ioEvent.mStarted) {
      FrameInfo theInfo = MakeInfo(PHASE_MAKE, 0, 10000, inConstant);
      CallEffect(ioEvent.mEffect, theInfo, &ioEvent.mSlot, inParams);
      theMakeStatus = theInfo.status;
      ioEvent.mStarted = true;
    }
    FrameInfo theInfo = MakeInfo(PHASE_RUN, 0, 10000, inConstant);
    ioEvent.mResult = CallEffect(ioEvent.mEffect, theInfo, &ioEvent.mSlot, inParams);
    if (theMakeStatus == STATUS_FAILED || theInfo.status == STATUS_FAILED)
      ioEvent.mStatus = STATUS_FAILED;
    else
      ioEvent.mStatus = std::max(theMakeStatus, theInfo.status);
  }
  void End(Event& ioEvent, const std::vector<int32_t>& inParams) {
    FrameInfo theInfo = MakeInfo(PHASE_DESTROY);
    ioEvent.mResult = CallEffect(ioEvent.mEffect, theInfo, &ioEvent.mSlot, inParams);
    ioEvent.mSlot = nullptr;  // the player clears the slot after every PHASE_DESTROY
    ioEvent.mStarted = false;
  }

  const Grid* Find(const char* inName, bool* outStatic = nullptr) {
    return static_cast<const Grid*>(mHost.Produce(KIND_GRID, inName, outStatic));
  }
  static std::vector<Vertex> Vertices(const Grid* inGrid) {
    std::vector<Vertex> theVertices(size_t(inGrid->columns) * inGrid->rows);
    if (!theVertices.empty()) std::memcpy(theVertices.data(), inGrid->vertices, theVertices.size() * sizeof(Vertex));
    return theVertices;
  }

  TestHost mHost;
  void* mHandle = nullptr;
  std::vector<void*> mEffects;
};

TEST_F(GridsPlugin, MakeGridSpansWidthAndHeightCentredOnOrigin) {
  Event theEvent = MakeEvent(kMake);
  const std::vector<int32_t> theParams = {Name("page"), 100, 50, 3, 2};
  Call(theEvent, theParams);
  bool theStatic = false;
  const Grid* theGrid = Find("page", &theStatic);
  ASSERT_NE(theGrid, nullptr);
  EXPECT_TRUE(theStatic) << "a grid of constant parameters tells users it never changes";
  ASSERT_EQ(theGrid->columns, 3);
  ASSERT_EQ(theGrid->rows, 2);
  EXPECT_EQ(theGrid->width, 100);
  EXPECT_EQ(theGrid->height, 50);
  const Vertex theExpected[] = {{-50, -25, 0}, {0, -25, 0}, {50, -25, 0}, {-50, 25, 0}, {0, 25, 0}, {50, 25, 0}};
  const std::vector<Vertex> theVertices = Vertices(theGrid);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(theVertices[i].x, theExpected[i].x) << "vertex " << i;
    EXPECT_EQ(theVertices[i].y, theExpected[i].y) << "vertex " << i;
    EXPECT_EQ(theVertices[i].z, theExpected[i].z) << "vertex " << i;
  }
  End(theEvent, theParams);
  EXPECT_EQ(Find("page"), nullptr);
}

TEST_F(GridsPlugin, MakeGridCountsFewerThanTwoColumnsOrRowsAsTwo) {
  struct Case {
    int32_t mColumns, mRows, mExpectColumns, mExpectRows;
  } const theCases[] = {{1, 0, 2, 2}, {-5, 3, 2, 3}, {4, 1, 4, 2}, {2, 2, 2, 2}};
  for (const Case& theCase : theCases) {
    Event theEvent = MakeEvent(kMake);
    const std::vector<int32_t> theParams = {Name("small"), 10, 20, theCase.mColumns, theCase.mRows};
    Call(theEvent, theParams);
    const Grid* theGrid = Find("small");
    ASSERT_NE(theGrid, nullptr);
    EXPECT_EQ(theGrid->columns, theCase.mExpectColumns) << theCase.mColumns << " x " << theCase.mRows;
    EXPECT_EQ(theGrid->rows, theCase.mExpectRows) << theCase.mColumns << " x " << theCase.mRows;
    const std::vector<Vertex> theVertices = Vertices(theGrid);
    EXPECT_EQ(theVertices.front().x, -5.0f);
    EXPECT_EQ(theVertices.back().x, 5.0f);
    EXPECT_EQ(theVertices.back().y, 10.0f);
    End(theEvent, theParams);
  }
}

TEST_F(GridsPlugin, ConstantMakeGridBuildsOnceThenReportsUnchanged) {
  Event theEvent = MakeEvent(kMake);
  const std::vector<int32_t> theParams = {Name("still"), 40, 40, 5, 5};
  Call(theEvent, theParams);
  EXPECT_EQ(theEvent.mStatus, STATUS_BUILT);
  const float* theVertices = Find("still")->vertices;
  for (int theFrame = 0; theFrame < 3; ++theFrame) {
    Call(theEvent, theParams);
    EXPECT_EQ(theEvent.mStatus, STATUS_UNCHANGED) << "frame " << theFrame;
  }
  EXPECT_EQ(Find("still")->vertices, theVertices);
  End(theEvent, theParams);
}

TEST_F(GridsPlugin, AnimatedMakeGridRebuildsOnlyInFramesWhoseValuesDiffer) {
  Event theEvent = MakeEvent(kMake);
  const int32_t theWidths[] = {10, 20, 20, 30};
  const int32_t theStatuses[] = {STATUS_BUILT, STATUS_BUILT, STATUS_UNCHANGED, STATUS_BUILT};
  for (int i = 0; i < 4; ++i) {
    Call(theEvent, {Name("breathing"), theWidths[i], 10, 3, 3}, false);
    EXPECT_EQ(theEvent.mStatus, theStatuses[i]) << "frame " << i;
    EXPECT_EQ(Vertices(Find("breathing")).back().x, theWidths[i] * 0.5f) << "frame " << i;
  }
  bool theStatic = true;
  ASSERT_NE(Find("breathing", &theStatic), nullptr);
  EXPECT_FALSE(theStatic);
  // A new vertex count reallocates; the same count keeps the storage.
  Call(theEvent, {Name("breathing"), 30, 10, 4, 3}, false);
  EXPECT_EQ(Find("breathing")->columns, 4);
  EXPECT_EQ(Vertices(Find("breathing"))[1].x, -5.0f);
  End(theEvent, {Name("breathing")});
}

TEST_F(GridsPlugin, EndedGridDisappearsAndItsSlotIsTakenNext) {
  Event theFirst = MakeEvent(kMake), theSecond = MakeEvent(kMake), theThird = MakeEvent(kMake);
  Call(theFirst, {Name("a"), 10, 10, 2, 2});
  Call(theSecond, {Name("b"), 20, 10, 2, 2});
  End(theFirst, {Name("a")});
  EXPECT_EQ(Find("a"), nullptr);
  // Two grids named "b": the lookup hands out the one in the lower slot,
  // which is the freed slot 0 when it is reused.
  Call(theThird, {Name("b"), 30, 10, 2, 2});
  ASSERT_NE(Find("b"), nullptr);
  EXPECT_EQ(Find("b")->width, 30);
  End(theThird, {Name("b")});
  EXPECT_EQ(Find("b")->width, 20);
  End(theSecond, {Name("b")});
  EXPECT_EQ(Find("b"), nullptr);
}

TEST_F(GridsPlugin, FullTableRefusesNewGridWithWarning) {
  std::vector<Event> theEvents(128, MakeEvent(kMake));
  for (int i = 0; i < 128; ++i) {
    Call(theEvents[i], {Name("g" + std::to_string(i)), 10, 10, 2, 2});
    ASSERT_EQ(theEvents[i].mStatus, STATUS_BUILT) << i;
  }
  ASSERT_TRUE(mHost.mWarnings.empty());
  Event theExtra = MakeEvent(kMake);
  Call(theExtra, {Name("extra"), 10, 10, 2, 2});
  EXPECT_EQ(theExtra.mStatus, STATUS_FAILED);
  EXPECT_EQ(Find("extra"), nullptr);
  ASSERT_FALSE(mHost.mWarnings.empty());
  EXPECT_EQ(mHost.mWarnings[0], "MakeGrid: no free grid slot for extra\n");
  Event theWave = MakeEvent(kWave);
  Call(theWave, {Name("waved"), Name("g0"), 0, 1, 1, 0, 0, 0, 0});
  EXPECT_EQ(theWave.mStatus, STATUS_FAILED);
  EXPECT_EQ(mHost.mWarnings.back(), "WaveGridZ: no free grid slot for waved\n");

  const size_t theWarningCount = mHost.mWarnings.size();
  Call(theExtra, {Name("extra"), 10, 10, 2, 2});
  EXPECT_EQ(theExtra.mStatus, STATUS_FAILED);
  EXPECT_EQ(mHost.mWarnings.size(), theWarningCount) << "a refused event is warned about once, not every frame";

  End(theEvents[7], {Name("g7")});
  Call(theExtra, {Name("extra"), 10, 10, 2, 2});
  EXPECT_EQ(theExtra.mStatus, STATUS_BUILT) << "a running call takes the slot once one is free";
  EXPECT_NE(Find("extra"), nullptr);
  End(theExtra, {Name("extra")});
  End(theWave, {Name("waved")});
  // The rest are freed by Zorbit_Quit, like events still active when a demo ends.
}

TEST_F(GridsPlugin, NameWithoutTextFailsButOnlyDeformersReturnFalse) {
  struct Case {
    int mEffect;
    const char* mWarning;
    bool mResult;
  } const theCases[] = {
      {kMake, "MakeGrid: Couldn't get the name for the grid nr 777\n", true},
      {kWave, "WaveGridZ: Couldn't get the name for the grid nr 777\n", false},
      {kTurn, "TurnPageGrid: Couldn't get the name for the grid nr 777\n", false},
  };
  for (const Case& theCase : theCases) {
    mHost.mWarnings.clear();
    Event theEvent = MakeEvent(theCase.mEffect);
    Call(theEvent, {777, 0, 10, 10, 10});
    EXPECT_EQ(theEvent.mStatus, STATUS_FAILED) << theCase.mWarning;
    EXPECT_EQ(theEvent.mResult, theCase.mResult) << theCase.mWarning;
    EXPECT_EQ(theEvent.mSlot, nullptr) << theCase.mWarning;
    ASSERT_EQ(mHost.mWarnings.size(), 2u);
    EXPECT_EQ(mHost.mWarnings[0], theCase.mWarning);
  }
}

TEST_F(GridsPlugin, GridEndsWithItsEventEvenWhenTheNameIsGoneByThen) {
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 10, 10, 3, 3});
  Call(theWave, {Name("w"), Name("flat"), 0, 1, 1, 0, 0, 0, 0});
  End(theWave, {777});
  EXPECT_FALSE(theWave.mResult);
  End(theFlat, {777});
  EXPECT_TRUE(theFlat.mResult);
  EXPECT_EQ(Find("w"), nullptr);
  EXPECT_EQ(Find("flat"), nullptr);
}

TEST_F(GridsPlugin, DeformerWithMissingSourceLeavesItsGridEmpty) {
  Event theWave = MakeEvent(kWave);
  const std::vector<int32_t> theParams = {Name("out"), Name("nowhere"), 0, 1, 5, 0, 1, 5, 0};
  Call(theWave, theParams);
  EXPECT_TRUE(theWave.mResult);
  const Grid* theOut = Find("out");
  ASSERT_NE(theOut, nullptr);
  EXPECT_EQ(theOut->columns, 0);
  EXPECT_EQ(theOut->vertices, nullptr);
  EXPECT_FALSE(mHost.mWarnings.empty()) << "the registry reports the missing source";
  // The source appears later: the deformer picks it up.
  Event theSource = MakeEvent(kMake);
  Call(theSource, {Name("nowhere"), 10, 10, 3, 3});
  Call(theWave, theParams);
  EXPECT_EQ(theWave.mStatus, STATUS_BUILT);
  EXPECT_EQ(Find("out")->columns, 3);
  End(theWave, theParams);
  End(theSource, {Name("nowhere")});
}

TEST_F(GridsPlugin, WaveWithZeroAmplitudesCopiesSourceExactly) {
  Event theFlat = MakeEvent(kMake), theBumpy = MakeEvent(kWave), theCopy = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 70, 30, 7, 5});
  // A source with heights of its own, then a wave of amplitude 0 over it.
  Call(theBumpy, {Name("bumpy"), Name("flat"), 0, 2, 3, 100, 1, 4, 300});
  Call(theCopy, {Name("copy"), Name("bumpy"), 0, 5, 0, 123, 3, 0, 77});
  const Grid* theSource = Find("bumpy");
  const Grid* theOutput = Find("copy");
  ASSERT_EQ(theOutput->columns, 7);
  ASSERT_EQ(theOutput->rows, 5);
  EXPECT_NE(theOutput->vertices, theSource->vertices);
  EXPECT_EQ(std::memcmp(theOutput->vertices, theSource->vertices, 7 * 5 * 3 * sizeof(float)), 0);
  float theLargest = 0;
  for (const Vertex& theVertex : Vertices(theSource)) theLargest = std::max(theLargest, std::fabs(theVertex.z));
  EXPECT_GT(theLargest, 1.0f) << "the source of the copy should not be flat";
  End(theCopy, {Name("copy")});
  End(theBumpy, {Name("bumpy")});
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, WaveQuarterCyclePhaseShiftsColumnHeights) {
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 30, 10, 4, 2});
  const std::vector<int32_t> theParams = {Name("wave"), Name("flat"), 0, 1, 10, 250, 0, 0, 0};
  Call(theWave, theParams);
  const std::vector<Vertex> theFlatVertices = Vertices(Find("flat"));
  const std::vector<Vertex> theVertices = Vertices(Find("wave"));
  const float theHeights[] = {10, 0, -10, 0};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      const size_t i = size_t(r) * 4 + c;
      EXPECT_NEAR(theVertices[i].z, theHeights[c], 1e-4) << "column " << c << " row " << r;
      EXPECT_EQ(theVertices[i].x, theFlatVertices[i].x);
      EXPECT_EQ(theVertices[i].y, theFlatVertices[i].y);
    }
  }
  // A row wave of one cycle over 4 rows adds amplitude x sin(2 pi r / 4).
  Event theRows = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 30, 10, 4, 2});
  Call(theRows, {Name("rows"), Name("flat"), 0, 0, 0, 0, 1, 7, 0});
  EXPECT_NEAR(Vertices(Find("rows"))[0].z, 0.0, 1e-6);
  EXPECT_NEAR(Vertices(Find("rows"))[4].z, 7.0 * std::sin(3.141592654), 1e-5) << "R = 2: half a cycle per row";
  End(theRows, {Name("rows")});
  End(theWave, theParams);
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, WaveIgnoresItsThirdParameter) {
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 30, 10, 6, 3});
  Call(theWave, {Name("wave"), Name("flat"), 0, 2, 5, 0, 1, 2, 0});
  EXPECT_EQ(theWave.mStatus, STATUS_BUILT);
  const std::vector<Vertex> theBefore = Vertices(Find("wave"));
  Call(theWave, {Name("wave"), Name("flat"), 12345, 2, 5, 0, 1, 2, 0});
  EXPECT_EQ(theWave.mStatus, STATUS_UNCHANGED) << "parameter 2 must not cause a rebuild";
  EXPECT_EQ(std::memcmp(Vertices(Find("wave")).data(), theBefore.data(), theBefore.size() * sizeof(Vertex)), 0);
  // Any kept parameter does.
  Call(theWave, {Name("wave"), Name("flat"), 12345, 2, 5, 0, 1, 2, 1});
  EXPECT_EQ(theWave.mStatus, STATUS_BUILT);
  End(theWave, {Name("wave")});
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, UnturnedPageIsSourceMovedByHalfItsWidth) {
  Event theFlat = MakeEvent(kMake), theTurn = MakeEvent(kTurn);
  Call(theFlat, {Name("flat"), 300, 100, 7, 4});
  Call(theTurn, {Name("page"), Name("flat"), 0, 0});
  const std::vector<Vertex> theSource = Vertices(Find("flat"));
  const std::vector<Vertex> thePage = Vertices(Find("page"));
  ASSERT_EQ(thePage.size(), theSource.size());
  for (size_t i = 0; i < thePage.size(); ++i) {
    EXPECT_FLOAT_EQ(thePage[i].x, theSource[i].x + 150.0f) << "vertex " << i;
    EXPECT_EQ(thePage[i].y, theSource[i].y) << "vertex " << i;
    EXPECT_EQ(thePage[i].z, 0.0f) << "vertex " << i;
  }
  End(theTurn, {Name("page")});
  End(theFlat, {Name("flat")});
}

// The cubic through four values, in Bernstein form.
double Cubic(double inP0, double inP1, double inP2, double inP3, double inU) {
  const double v = 1 - inU;
  return v * v * v * inP0 + 3 * v * v * inU * inP1 + 3 * v * inU * inU * inP2 + inU * inU * inU * inP3;
}

TEST_F(GridsPlugin, FullyTurnedPageFollowsTheCurveBackOverItsLeftEdge) {
  Event theFlat = MakeEvent(kMake), theTurn = MakeEvent(kTurn);
  const int C = 6;
  Call(theFlat, {Name("flat"), 300, 100, C, 3});
  Call(theTurn, {Name("page"), Name("flat"), 100000, 0});
  const std::vector<Vertex> theSource = Vertices(Find("flat"));
  const std::vector<Vertex> thePage = Vertices(Find("page"));
  // Nothing is left flat: column 0 is the page's left edge, turned by pi
  // about itself. The other columns are samples of the curve from the edge
  // (0, 0, 0) over (-60, 0, 0) and (-240, 0, 0) to the turned edge (-300, 0, 0),
  // C samples of which columns 1 to C - 1 take the first C - 1.
  for (int r = 0; r < 3; ++r) {
    const Vertex& theEdge = thePage[size_t(r) * C];
    EXPECT_NEAR(theEdge.x, 0.0, 1e-3);
    EXPECT_NEAR(theEdge.z, 0.0, 1e-3);
    for (int c = 1; c < C; ++c) {
      const Vertex& theVertex = thePage[size_t(r) * C + c];
      const double u = double(c - 1) / (C - 1);
      EXPECT_NEAR(theVertex.x, Cubic(0, -60, -240, -300, u), 1e-3) << "column " << c << " row " << r;
      EXPECT_NEAR(theVertex.z, 0.0, 1e-3) << "column " << c << " row " << r;
      EXPECT_EQ(theVertex.y, theSource[size_t(r) * C + c].y);
    }
  }
  // Lift raises the turned edge out of the plane; half a turn bends it upward.
  Call(theTurn, {Name("page"), Name("flat"), 50000, 500});
  EXPECT_EQ(theTurn.mStatus, STATUS_BUILT);
  const std::vector<Vertex> theHalf = Vertices(Find("page"));
  EXPECT_NEAR(theHalf[0].x, 0.0, 1e-3) << "the left edge stays where it is before the last quarter";
  EXPECT_GT(theHalf[C - 1].z, 50.0f) << "the turned edge stands up at half a turn";
  End(theTurn, {Name("page")});
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, TurnedRowsFollowTheirOwnEdges) {
  // Each row's curve ends at that row's own turned edge, which a row wave
  // moves out of the plane by a different height in every row.
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave), theTurn = MakeEvent(kTurn);
  const int C = 5, R = 4;
  Call(theFlat, {Name("flat"), 100, 60, C, R});
  Call(theWave, {Name("rows"), Name("flat"), 0, 0, 0, 0, 1, 30, 0});
  Call(theTurn, {Name("page"), Name("rows"), 100000, 1000});
  const std::vector<Vertex> theSource = Vertices(Find("rows"));
  const std::vector<Vertex> thePage = Vertices(Find("page"));
  const double kPi = 3.141592654, theBend = 20;
  for (int r = 0; r < R; ++r) {
    const double xl = theSource[size_t(r) * C + C - 1].x + 50, zl = theSource[size_t(r) * C + C - 1].z;
    const double p3x = std::cos(kPi) * xl - std::sin(kPi) * zl;
    const double p3z = 1.0 * (std::sin(kPi) * xl + std::cos(kPi) * zl);
    const double p1x = theBend * std::cos(kPi), p1z = theBend * std::sin(kPi);
    for (int c = 1; c < C; ++c) {
      const double u = double(c - 1) / (C - 1);
      const Vertex& theVertex = thePage[size_t(r) * C + c];
      EXPECT_NEAR(theVertex.x, Cubic(0, p1x, p3x + theBend, p3x, u), 1e-3) << "column " << c << " row " << r;
      EXPECT_NEAR(theVertex.z, Cubic(0, p1z, p3z, p3z, u), 1e-3) << "column " << c << " row " << r;
    }
  }
  EXPECT_GT(std::fabs(thePage[C - 1].z - thePage[2 * C - 1].z), 1.0f) << "rows 0 and 1 should differ";
  End(theTurn, {Name("page")});
  End(theWave, {Name("rows")});
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, TurnPageCopiesZeroWidthSourceAndHandlesWideSources) {
  Event theThin = MakeEvent(kMake), theTurn = MakeEvent(kTurn);
  Call(theThin, {Name("thin"), 0, 100, 5, 5});
  Call(theTurn, {Name("page"), Name("thin"), 40000, 100});
  EXPECT_EQ(theTurn.mStatus, STATUS_BUILT);
  const Grid* thePage = Find("page");
  ASSERT_EQ(thePage->columns, 5);
  EXPECT_EQ(std::memcmp(thePage->vertices, Find("thin")->vertices, 25 * sizeof(Vertex)), 0);
  End(theTurn, {Name("page")});

  // More columns than a 1000-point curve buffer holds, for every amount of turn.
  Event theWide = MakeEvent(kMake);
  Call(theWide, {Name("wide"), 3000, 10, 2500, 2});
  for (int32_t theAmount : {-50000, 0, 1, 10000, 30000, 50000, 80000, 99999, 100000, 250000}) {
    Call(theTurn, {Name("page"), Name("wide"), theAmount, 300});
    const std::vector<Vertex> theVertices = Vertices(Find("page"));
    ASSERT_EQ(theVertices.size(), 5000u);
    for (const Vertex& theVertex : theVertices)
      ASSERT_TRUE(std::isfinite(theVertex.x) && std::isfinite(theVertex.z)) << "turn " << theAmount;
    EXPECT_NEAR(theVertices[0].x, 0.0, 1e-2) << "turn " << theAmount;
  }
  End(theTurn, {Name("page")});
  End(theWide, {Name("wide")});
  End(theThin, {Name("thin")});
}

TEST_F(GridsPlugin, ConstantChainOverStaticGridRebuildsOnlyWhenSomethingChanged) {
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave), theTurn = MakeEvent(kTurn), theTop = MakeEvent(kWave);
  std::vector<int32_t> theFlatParams = {Name("flat"), 200, 100, 20, 10};
  const std::vector<int32_t> theWaveParams = {Name("w"), Name("flat"), 0, 2, 5, 0, 1, 3, 0};
  const std::vector<int32_t> theTurnParams = {Name("t"), Name("w"), 30000, 200};
  const std::vector<int32_t> theTopParams = {Name("top"), Name("t"), 0, 1, 1, 0, 0, 0, 0};
  auto theFrame = [&](bool inFlatConstant) {
    Call(theFlat, theFlatParams, inFlatConstant);
    Call(theWave, theWaveParams);
    Call(theTurn, theTurnParams);
    Call(theTop, theTopParams);
    return std::vector<int32_t>{theFlat.mStatus, theWave.mStatus, theTurn.mStatus, theTop.mStatus};
  };
  const std::vector<int32_t> kAllBuilt(4, STATUS_BUILT), kNoneBuilt(4, STATUS_UNCHANGED);
  EXPECT_EQ(theFrame(true), kAllBuilt);
  const size_t theUses = mHost.mUses.size();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(theFrame(true), kNoneBuilt) << "frame " << i;
  EXPECT_EQ(mHost.mUses.size(), theUses + 9) << "every deformer looks its source up in every call";
  EXPECT_EQ(Find("top")->columns, 20);

  // The source event ends and another of the same name and static answer
  // starts: the chain must follow, although everything claims to be static.
  End(theFlat, theFlatParams);
  theFlatParams[1] = 400;
  EXPECT_EQ(theFrame(true), kAllBuilt);
  EXPECT_NEAR(Vertices(Find("w")).back().x, 200.0, 1e-3);
  EXPECT_EQ(theFrame(true), kNoneBuilt);
  End(theTop, theTopParams);
  End(theTurn, theTurnParams);
  End(theWave, theWaveParams);
  End(theFlat, theFlatParams);
}

TEST_F(GridsPlugin, ConstantDeformerFollowsChangesOfItsSourceWhateverTheCallOrder) {
  // Tracks run from the highest down, so a deformer may run before its source
  // in the first frame and see it still empty.
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave), theTurn = MakeEvent(kTurn);
  const std::vector<int32_t> theWaveParams = {Name("w"), Name("flat"), 0, 1, 4, 0, 0, 0, 0};
  const std::vector<int32_t> theTurnParams = {Name("t"), Name("w"), 20000, 0};
  Call(theTurn, theTurnParams);  // no "w" yet
  Call(theWave, theWaveParams);  // no "flat" yet
  Call(theFlat, {Name("flat"), 60, 20, 4, 2}, false);
  EXPECT_EQ(Find("t")->columns, 0);
  Call(theTurn, theTurnParams);  // "w" exists but is still empty
  Call(theWave, theWaveParams);
  Call(theFlat, {Name("flat"), 60, 20, 4, 2}, false);
  EXPECT_EQ(Find("w")->columns, 4);
  Call(theTurn, theTurnParams);
  EXPECT_EQ(theTurn.mStatus, STATUS_BUILT) << "the source was filled since the last call";
  EXPECT_EQ(Find("t")->columns, 4);

  // "w" is constant but rebuilt in every frame from an animated grid; "t"
  // must follow it.
  Call(theFlat, {Name("flat"), 90, 20, 4, 2}, false);
  Call(theWave, theWaveParams);
  EXPECT_EQ(theWave.mStatus, STATUS_BUILT) << "the animated source answers not static";
  Call(theTurn, theTurnParams);
  EXPECT_EQ(theTurn.mStatus, STATUS_BUILT);
  Call(theTurn, theTurnParams);
  EXPECT_EQ(theTurn.mStatus, STATUS_UNCHANGED);
  EXPECT_NEAR(Vertices(Find("t"))[1].x, Vertices(Find("flat"))[1].x + 45.0f, 1e-3);
  End(theTurn, theTurnParams);
  End(theWave, theWaveParams);
  End(theFlat, {Name("flat")});
}

TEST_F(GridsPlugin, OversizedOrSelfSourcedGridsAreRefusedOnce) {
  Event theHuge = MakeEvent(kMake);
  Call(theHuge, {Name("huge"), 10, 10, 100000, 100000});
  EXPECT_EQ(theHuge.mStatus, STATUS_FAILED);
  ASSERT_EQ(mHost.mWarnings.size(), 1u);
  EXPECT_EQ(mHost.mWarnings[0], "MakeGrid: grid huge of 100000 x 100000 vertices is too large\n");
  Call(theHuge, {Name("huge"), 10, 10, 100000, 100000});
  EXPECT_EQ(mHost.mWarnings.size(), 1u) << "the same refusal is not repeated every frame";
  EXPECT_EQ(Find("huge")->columns, 0);
  Call(theHuge, {Name("huge"), 10, 10, 3, 3});
  EXPECT_EQ(Find("huge")->columns, 3);

  Event theLoop = MakeEvent(kWave);
  Call(theLoop, {Name("loop"), Name("loop"), 0, 1, 1, 0, 0, 0, 0});
  EXPECT_EQ(theLoop.mStatus, STATUS_FAILED);
  EXPECT_EQ(mHost.mWarnings.back(), "WaveGridZ: grid loop cannot be its own source\n");
  End(theLoop, {Name("loop")});
  End(theHuge, {Name("huge")});
}

// Grids of another producer of kind GRID that no deformer may read.
Grid gNoVertices{3, 3, 0, 0, nullptr};
Grid gNegative{-4, 2, 0, 0, nullptr};
void* ProduceBroken(const char* inName, void*, bool& outIsStatic) {
  outIsStatic = true;
  if (std::strcmp(inName, "novertices") == 0) return &gNoVertices;
  if (std::strcmp(inName, "negative") == 0) return &gNegative;
  return nullptr;
}
bool ReleaseBroken(const char*, void*) { return false; }

TEST_F(GridsPlugin, DeformersRefuseForeignGridsWithoutUsableVertices) {
  mHost.AddProducer(KIND_GRID, ProduceBroken, ReleaseBroken);
  for (const char* theSource : {"novertices", "negative"}) {
    for (int theEffect : {kWave, kTurn}) {
      mHost.mWarnings.clear();
      Event theEvent = MakeEvent(theEffect);
      const std::vector<int32_t> theParams = {Name("out"), Name(theSource), 5000, 0, 1, 0, 0, 0, 0};
      Call(theEvent, theParams);
      EXPECT_EQ(theEvent.mStatus, STATUS_FAILED) << theSource;
      ASSERT_EQ(mHost.mWarnings.size(), 1u) << theSource;
      EXPECT_NE(mHost.mWarnings[0].find(std::string("grid ") + theSource + " has no usable vertices"), std::string::npos)
          << mHost.mWarnings[0];
      EXPECT_EQ(Find("out")->columns, 0);
      Call(theEvent, theParams);
      EXPECT_EQ(mHost.mWarnings.size(), 1u) << "a static source is refused once";
      End(theEvent, theParams);
    }
  }
}

TEST_F(GridsPlugin, QuitFreesGridsOfEventsThatNeverEnded) {
  Event theFlat = MakeEvent(kMake), theWave = MakeEvent(kWave);
  Call(theFlat, {Name("flat"), 10, 10, 8, 8});
  Call(theWave, {Name("w"), Name("flat"), 0, 1, 1, 0, 0, 0, 0});
  ASSERT_TRUE(reinterpret_cast<QuitFunction>(dlsym(mHandle, "Zorbit_Quit"))());
  EXPECT_EQ(Find("flat"), nullptr);
  EXPECT_EQ(Find("w"), nullptr);
  // The leak checker of the sanitizer build sees whether the grids were freed.
}

}  // namespace

namespace {

// Quit and a second Zorbit_Init in one process: the table is empty again,
// with all 128 slots free, although the first run's events never ended.
TEST_F(GridsPlugin, SecondInitStartsFromAnEmptyTable) {
  std::vector<Event> theEvents(128, MakeEvent(kMake));
  for (int i = 0; i < 128; ++i) {
    Call(theEvents[i], {Name("g" + std::to_string(i)), 10, 10, 2, 2});
    ASSERT_EQ(theEvents[i].mStatus, STATUS_BUILT) << i;
  }
  ASSERT_TRUE(mHost.Reopen(mHandle));
  EXPECT_EQ(Find("g0"), nullptr) << "a grid of the first run is still offered";

  std::vector<Event> theNewEvents(128, MakeEvent(kMake));
  for (int i = 0; i < 128; ++i) {
    Call(theNewEvents[i], {Name("n" + std::to_string(i)), 20, 20, 3, 3});
    EXPECT_EQ(theNewEvents[i].mStatus, STATUS_BUILT) << "grid " << i << " refused in the second run";
  }
  EXPECT_TRUE(mHost.mWarnings.empty()) << mHost.mWarnings.front();
  const Grid* theGrid = Find("n127");
  ASSERT_NE(theGrid, nullptr);
  EXPECT_EQ(theGrid->columns, 3);
}

}  // namespace
