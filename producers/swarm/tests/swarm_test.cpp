#include <gtest/gtest.h>

#include <cmath>

#include "testhost.h"
#include "swarmshape.h"

namespace {

TEST(SwarmShape, ParticlesLieOnTheirShape) {
  float p[4 * 3];
  PlaceParticles(SWARM_RING, 4, 100.0f, 0.0, 0, p);
  // Clockwise from the left: left, top, right, bottom.
  const float theRing[12] = {-100, 0, 0, 0, 100, 0, 100, 0, 0, 0, -100, 0};
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(theRing[i], p[i], 1e-4f) << "ring float " << i;
  PlaceParticles(SWARM_RING, 4, 100.0f, M_PI / 2, 0, p);
  EXPECT_NEAR(0.0f, p[0], 1e-4f) << "a quarter turn moves particle 0 to the top";
  EXPECT_NEAR(100.0f, p[1], 1e-4f);

  float theSphere[50 * 3];
  PlaceParticles(SWARM_SPHERE, 50, 30.0f, 0.3, 0, theSphere);
  float theLowest = 1e9f, theHighest = -1e9f;
  for (int i = 0; i < 50; ++i) {
    const float* q = theSphere + i * 3;
    EXPECT_NEAR(30.0f, std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]), 1e-3f) << "sphere particle " << i;
    theLowest = std::min(theLowest, q[1]);
    theHighest = std::max(theHighest, q[1]);
  }
  EXPECT_LT(theLowest, -29.0f) << "the sphere's particles do not reach its bottom";
  EXPECT_GT(theHighest, 29.0f);

  float theHelix[9 * 3];
  PlaceParticles(SWARM_HELIX, 9, 10.0f, 0.0, 2, theHelix);
  EXPECT_NEAR(-10.0f, theHelix[1], 1e-5f) << "the helix starts at y = -size";
  EXPECT_NEAR(10.0f, theHelix[8 * 3 + 1], 1e-5f) << "and ends at y = size";
  // Two windings over 9 particles: a quarter winding from one to the next.
  EXPECT_NEAR(-10.0f, theHelix[2 * 3], 1e-4f) << "particle 2 is half a winding round";
  EXPECT_NEAR(10.0f, theHelix[4 * 3], 1e-4f) << "particle 4 is one whole winding round";
  for (int i = 0; i < 9; ++i)
    EXPECT_NEAR(10.0f, std::hypot(theHelix[i * 3], theHelix[i * 3 + 2]), 1e-4f) << "helix particle " << i;

  float theSingle[3] = {-1, -1, -1};
  PlaceParticles(SWARM_HELIX, 1, 5.0f, 0.0, 0, theSingle);
  EXPECT_TRUE(std::isfinite(theSingle[1]));
  PlaceParticles(SWARM_SPHERE, 1, 5.0f, 0.0, 0, theSingle);
  EXPECT_TRUE(std::isfinite(theSingle[0]));
}

TEST(SwarmShape, GradientRunsFromFirstToLastColour) {
  uint8_t c[3 * 4];
  GradeColours(3, 0xFF000000u, 0x01FF80FEu, c);
  const uint8_t theExpected[12] = {255, 0, 0, 0, 128, 128, 64, 127, 1, 255, 128, 254};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(theExpected[i], c[i]) << "byte " << i << " (alpha, red, green, blue)";
  uint8_t theOne[4];
  GradeColours(1, 0x11223344u, 0xFFFFFFFFu, theOne);
  EXPECT_EQ(0x11, theOne[0]) << "a single particle takes the first colour";
}

class SwarmPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mHost = std::make_unique<TestHost>(nullptr);
    ASSERT_TRUE(mHost->Load("swarm")) << mHost->mLoadError;
    mSwarm = mHost->Symbol("Swarm");
    ASSERT_NE(nullptr, mSwarm);
    mName = mHost->AddText("bees");
  }
  // A ring of 4 particles, radius 100, the given speed, uniform or graded colour.
  std::vector<int32_t> Params(int32_t inSpeed, int32_t inGradient = 0) const {
    return {mName, 4, SWARM_RING, 100000, inSpeed, inGradient, 255, 10, 20, 30, 0, 200, 100, 50, 0};
  }
  SwarmRecord* Find(bool* outStatic = nullptr) {
    return static_cast<SwarmRecord*>(mHost->Produce(KIND_SWRM, "bees", outStatic));
  }

  std::unique_ptr<TestHost> mHost;
  void* mSwarm = nullptr;
  int32_t mName = 0;
};

TEST_F(SwarmPluginTest, StaticSwarmKeepsItsRecordWhileItLasts) {
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  ASSERT_TRUE(CallEffect(mSwarm, PHASE_MAKE, &theSlot, Params(0), &theStatus));
  EXPECT_EQ(STATUS_BUILT, theStatus);
  bool theStatic = false;
  SwarmRecord* theRecord = Find(&theStatic);
  ASSERT_NE(nullptr, theRecord);
  EXPECT_TRUE(theStatic) << "a swarm without motion must answer static";
  EXPECT_EQ(4, theRecord->particleCount);
  EXPECT_EQ(nullptr, theRecord->colours) << "uniform colour: no per-particle colours";
  EXPECT_EQ(255, theRecord->alpha);
  EXPECT_EQ(10, theRecord->red);
  EXPECT_EQ(20, theRecord->green);
  EXPECT_EQ(30, theRecord->blue);
  const float* thePositions = theRecord->positions;
  for (int32_t theTime : {0, 250, 5000}) {
    CallEffect(mSwarm, PHASE_RUN, &theSlot, Params(0), nullptr, theTime);
    EXPECT_EQ(theRecord, Find()) << "the record moved at " << theTime << " ms";
    EXPECT_EQ(thePositions, theRecord->positions);
    EXPECT_NEAR(-100.0f, theRecord->positions[0], 1e-4f) << "a static swarm moved at " << theTime << " ms";
  }
  EXPECT_TRUE(mHost->Release(KIND_SWRM, "bees")) << "a known swarm is released by name";
  EXPECT_EQ(theRecord, Find()) << "a release by a consumer must not end the swarm";
  CallEffect(mSwarm, PHASE_DESTROY, &theSlot, Params(0));
  EXPECT_EQ(nullptr, theSlot);
  EXPECT_EQ(nullptr, Find()) << "an ended swarm is no longer found";
  EXPECT_FALSE(mHost->Release(KIND_SWRM, "bees"));
  // A consumer that outlives the Swarm event may still read its first record.
  EXPECT_NEAR(-100.0f, theRecord->positions[0], 1e-4f);
}

TEST_F(SwarmPluginTest, MovingSwarmTurnsWithTimeAndAnswersNotStatic) {
  void* theSlot = nullptr;
  CallEffect(mSwarm, PHASE_MAKE, &theSlot, Params(1000, 1));  // one turn per second
  CallEffect(mSwarm, PHASE_RUN, &theSlot, Params(1000, 1), nullptr, 250);
  bool theStatic = true;
  SwarmRecord* theRecord = Find(&theStatic);
  ASSERT_NE(nullptr, theRecord);
  EXPECT_FALSE(theStatic);
  EXPECT_NEAR(0.0f, theRecord->positions[0], 1e-3f) << "after 250 ms particle 0 is a quarter turn on";
  EXPECT_NEAR(100.0f, theRecord->positions[1], 1e-3f);
  ASSERT_NE(nullptr, theRecord->colours);
  EXPECT_EQ(255, theRecord->colours[0]);
  EXPECT_EQ(10, theRecord->colours[1]);
  EXPECT_EQ(200, theRecord->colours[3 * 4 + 1]) << "the last particle takes the second colour";
  // Back to a uniform colour; the speed dropping to 0 makes it static.
  CallEffect(mSwarm, PHASE_RUN, &theSlot, Params(0, 0), nullptr, 300);
  Find(&theStatic);
  EXPECT_TRUE(theStatic);
  EXPECT_EQ(nullptr, theRecord->colours);
  CallEffect(mSwarm, PHASE_DESTROY, &theSlot, Params(0));
}

TEST_F(SwarmPluginTest, BadParametersAreReportedAndLoseNothing) {
  void* theFirst = nullptr;
  CallEffect(mSwarm, PHASE_MAKE, &theFirst, Params(0));
  SwarmRecord* theRecord = Find();

  void* theSecond = nullptr;
  int32_t theStatus = 0;
  CallEffect(mSwarm, PHASE_MAKE, &theSecond, Params(500), &theStatus);
  EXPECT_EQ(STATUS_FAILED, theStatus);
  EXPECT_EQ(nullptr, theSecond);
  ASSERT_FALSE(mHost->mWarnings.empty());
  EXPECT_EQ("Swarm: swarm bees already exists\n", mHost->mWarnings.back());
  CallEffect(mSwarm, PHASE_DESTROY, &theSecond, Params(500));
  EXPECT_EQ(theRecord, Find()) << "the failed second swarm ended the first one";

  const int32_t theOther = mHost->AddText("other");
  struct Case {
    const char* name;
    int32_t count, shape;
    int32_t expectedCount;
    const char* warning;
  } theCases[] = {
      {"negative count", -5, SWARM_RING, 0, nullptr},
      {"huge count", 1 << 30, SWARM_SPHERE, 65536, "Swarm: swarm other limited to 65536 particles\n"},
      {"unknown shape", 3, 99, 3, "Swarm: unknown shape 99 for swarm other, made a ring\n"},
  };
  for (const Case& c : theCases) {
    mHost->mWarnings.clear();
    void* theSlot = nullptr;
    const std::vector<int32_t> theParams = {theOther, c.count, c.shape, 1000, 0, 1, 255, 1, 2, 3, 255, 4, 5, 6, 0};
    CallEffect(mSwarm, PHASE_MAKE, &theSlot, theParams);
    CallEffect(mSwarm, PHASE_RUN, &theSlot, theParams, nullptr, 100);
    auto* theMade = static_cast<SwarmRecord*>(mHost->Produce(KIND_SWRM, "other"));
    ASSERT_NE(nullptr, theMade) << c.name;
    EXPECT_EQ(c.expectedCount, theMade->particleCount) << c.name;
    if (c.expectedCount > 0) {
      EXPECT_TRUE(std::isfinite(theMade->positions[(c.expectedCount - 1) * 3])) << c.name;
    }
    if (c.warning != nullptr) {
      ASSERT_FALSE(mHost->mWarnings.empty()) << c.name;
      EXPECT_EQ(c.warning, mHost->mWarnings[0]) << c.name;
    }
    CallEffect(mSwarm, PHASE_DESTROY, &theSlot, theParams);
  }

  void* theNameless = nullptr;
  CallEffect(mSwarm, PHASE_MAKE, &theNameless, {99, 4}, &theStatus);
  EXPECT_EQ(STATUS_FAILED, theStatus);
  EXPECT_EQ("Swarm: no name for the swarm nr 99\n", mHost->mWarnings.back());
  CallEffect(mSwarm, PHASE_DESTROY, &theFirst, Params(0));
}

// Quit with a swarm running, then a second Zorbit_Init: the first run's
// swarm is gone and a swarm of the same name is built afresh.
TEST_F(SwarmPluginTest, SecondInitStartsWithoutTheFirstRunsSwarms) {
  void* theSlot = nullptr;
  ASSERT_TRUE(CallEffect(mSwarm, PHASE_MAKE, &theSlot, Params(0)));
  ASSERT_NE(nullptr, Find());
  ASSERT_TRUE(mHost->Reopen(mHost->Handle(), nullptr));
  EXPECT_EQ(nullptr, Find()) << "a swarm of the first run is still offered";
  EXPECT_FALSE(mHost->Release(KIND_SWRM, "bees"));

  void* theNewSlot = nullptr;
  int32_t theStatus = 0;
  ASSERT_TRUE(CallEffect(mSwarm, PHASE_MAKE, &theNewSlot, Params(1000, 1), &theStatus));
  EXPECT_EQ(STATUS_BUILT, theStatus);
  SwarmRecord* theRecord = Find();
  ASSERT_NE(nullptr, theRecord);
  EXPECT_EQ(4, theRecord->particleCount);
  EXPECT_NE(nullptr, theRecord->colours) << "the second run's swarm has the first run's settings";
  CallEffect(mSwarm, PHASE_DESTROY, &theNewSlot, Params(1000, 1));
  EXPECT_EQ(nullptr, Find());
  EXPECT_TRUE(mHost->mWarnings.empty()) << mHost->mWarnings.front();
}

}  // namespace
