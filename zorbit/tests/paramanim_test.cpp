// Parameter animation on documents loaded by the real loader, and the maths
// beneath it checked against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "paramanim.h"
#include "testdemo.h"

namespace {

struct Sample {
  uint32_t time;
  int32_t value;
};

// Evaluates the single parameter of the event at each sample time.
void ExpectValues(const Event& inEvent, std::initializer_list<Sample> inSamples, const char* inWhat) {
  for (const Sample& theSample : inSamples) {
    int32_t theValues[8] = {};
    bool theConstant = true;
    EvaluateEventParams(theSample.time, inEvent, theValues, 8, theConstant);
    EXPECT_EQ(theValues[0], theSample.value) << inWhat << " at t = " << theSample.time;
  }
}

TEST(ParamAnimation, RampReachesEndValueAtEventEnd) {
  LoadedDemo theLoaded(EventDocument("<param start=\"0\" end=\"640\"/>", "1000", "11000"));
  ASSERT_EQ(theLoaded.failure, "");
  ExpectValues(theLoaded.EventAt(0, 0), {{1000, 0}, {6000, 320}, {10999, 639}, {11000, 640}, {50000, 640}}, "ramp");
}

TEST(ParamAnimation, CurveSegmentBoundariesBelongToTheNextSegment) {
  const char* kKeys = "val=\"0\"><seg time=\"2000\" val=\"100\"/><seg time=\"3000\" val=\"50\"/></param>";
  LoadedDemo theLin(EventDocument(std::string("<param type=\"multi\" interpol=\"lin\" ") + kKeys));
  LoadedDemo theBez(EventDocument(std::string("<param type=\"multi\" interpol=\"bez\" ") + kKeys));
  ASSERT_EQ(theLin.failure + theBez.failure, "");
  ExpectValues(theLin.EventAt(0, 0), {{0, 0}, {1000, 50}, {2000, 100}, {3500, 75}, {5000, 50}, {9000, 50}}, "lin");
  // Keys are hit exactly at segment starts; the slope turns at 100, so both
  // segments meet it flat: 1900 ms is already at 99 (not 95 as with the
  // one-third control points).
  ExpectValues(theBez.EventAt(0, 0), {{0, 0}, {1900, 99}, {2000, 100}, {2100, 99}, {5000, 50}, {7000, 50}}, "bez");
}

TEST(ParamAnimation, BezierControlPointsFollowTheNeighbours) {
  struct Case {
    const char* segs;
    uint32_t time;
    double p0, p1, p2, p3, u;  // expected control points of the segment holding time
  } theCases[] = {
      // one segment: one-third defaults; halfway is 50
      {"<seg time=\"1000\" val=\"100\"/>", 500, 0, 100.0 / 3, 200.0 / 3, 100, 0.5},
      // steeper than the previous segment: P1 takes a third of the previous rise
      {"<seg time=\"1000\" val=\"30\"/><seg time=\"100\" val=\"130\"/>", 1025, 30, 40, 130 - 100.0 / 3, 130, 0.25},
      // gentler than the previous segment: P1 stays at a third of its own rise
      {"<seg time=\"100\" val=\"30\"/><seg time=\"1000\" val=\"60\"/>", 400, 30, 40, 50, 60, 0.3},
      // steeper than the next segment: P2 takes a third of the next rise
      {"<seg time=\"100\" val=\"90\"/><seg time=\"1000\" val=\"120\"/>", 40, 0, 30, 80, 90, 0.4},
      // the next segment falls: flat end
      {"<seg time=\"1000\" val=\"90\"/><seg time=\"1000\" val=\"10\"/>", 600, 0, 30, 90, 90, 0.6},
      // a zero-length previous segment counts as 1 ms long: a zero rise over it is flat
      {"<seg time=\"0\" val=\"0\"/><seg time=\"1000\" val=\"90\"/>", 300, 0, 0, 60, 90, 0.3},
      {"<seg time=\"0\" val=\"10\"/><seg time=\"1000\" val=\"100\"/>", 300, 10, 40, 70, 100, 0.3},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(EventDocument(std::string("<param type=\"multi\" interpol=\"bez\" val=\"0\">") +
                                       theCase.segs + "</param>"));
    ASSERT_EQ(theLoaded.failure, "");
    const double thePoints[4] = {theCase.p0, theCase.p1, theCase.p2, theCase.p3};
    const int32_t theExpected = static_cast<int32_t>(BezierValue(thePoints, 3, theCase.u));
    ExpectValues(theLoaded.EventAt(0, 0), {{theCase.time, theExpected}}, theCase.segs);
  }
}

TEST(ParamAnimation, SineUsesTheFixedConstantAndAFlatWaveForPeriodZero) {
  struct Case {
    const char* attributes;
    uint32_t time;
    int32_t value;
  } theCases[] = {
      {"ampli=\"100\" period=\"1000\" offset=\"0\" height=\"0\"", 1250, 99},  // sin(1.570795) * 100
      {"ampli=\"100\" period=\"1000\" offset=\"0\" height=\"0\"", 1500, 0},   // sin(3.14159) is still positive
      {"ampli=\"100\" period=\"1000\" offset=\"-250\" height=\"7\"", 1000, -92},
      {"ampli=\"100\" period=\"-1000\" offset=\"0\" height=\"0\"", 1250, -99},
      {"ampli=\"100\" period=\"0\" offset=\"0\" height=\"42\"", 1250, 42},
      // a time before the start makes a negative signed difference, not a huge one
      {"ampli=\"100\" period=\"1000\" offset=\"0\" height=\"0\"", 750, -99},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(EventDocument(std::string("<param type=\"sin\" ") + theCase.attributes + "/>", "1000"));
    ASSERT_EQ(theLoaded.failure, "");
    int32_t theValue = 0;
    bool theConstant = true;
    EvaluateEventParams(theCase.time, theLoaded.EventAt(0, 0), &theValue, 1, theConstant);
    EXPECT_EQ(theValue, theCase.value) << theCase.attributes << " at " << theCase.time;
    EXPECT_FALSE(theConstant);
  }
}

TEST(ParamAnimation, CombinationsAddOrScaleTheirProductAndAreConstantOnlyWhenBothAre) {
  struct Case {
    const char* params;
    int32_t value;
    bool constant;
  } theCases[] = {
      {"<param type=\"combi\" op=\"1\"><a type=\"const\" val=\"5000\"/><b type=\"const\" val=\"300\"/></param>", 150, true},
      {"<param type=\"combi\" op=\"0\"><a type=\"const\" val=\"5000\"/><b type=\"const\" val=\"300\"/></param>", 5300, true},
      {"<param type=\"combi\" op=\"1\"><a type=\"const\" val=\"-5000\"/><b type=\"const\" val=\"3\"/></param>", -1, true},
      // the 32-bit product wraps before the division: 10^10 mod 2^32 = 1410065408
      {"<param type=\"combi\" op=\"1\"><a type=\"const\" val=\"100000\"/><b type=\"const\" val=\"100000\"/></param>", 141006, true},
      {"<param type=\"combi\" op=\"0\"><a type=\"const\" val=\"2147483647\"/><b type=\"const\" val=\"1\"/></param>", INT32_MIN, true},
      {"<param type=\"combi\" op=\"0\"><a type=\"const\" val=\"1\"/><b type=\"sin\" ampli=\"0\" period=\"5\" offset=\"0\" height=\"2\"/></param>", 3, false},
      // a ramp operand spans the whole event: halfway at t = 5000
      {"<param type=\"combi\" op=\"0\"><a start=\"0\" end=\"100\"/><b type=\"combi\" op=\"1\"><c type=\"const\" val=\"20000\"/><d type=\"const\" val=\"3\"/></b></param>", 56, false},
      {"<param type=\"combi\" op=\"0\"><a type=\"multi\" interpol=\"lin\" val=\"4\"/><b type=\"const\" val=\"1\"/></param>", 5, true},
  };
  for (const Case& theCase : theCases) {
    LoadedDemo theLoaded(EventDocument(theCase.params));
    ASSERT_EQ(theLoaded.failure, "") << theCase.params;
    int32_t theValue = 0;
    bool theConstant = !theCase.constant;
    EvaluateEventParams(5000, theLoaded.EventAt(0, 0), &theValue, 1, theConstant);
    EXPECT_EQ(theValue, theCase.value) << theCase.params;
    EXPECT_EQ(theConstant, theCase.constant) << theCase.params;
  }
}

std::string SqdGroup(const Quat& inA, const Quat& inB, const Quat& inC, uint32_t inTime) {
  std::string theXml;
  for (int theC = 0; theC < 4; ++theC) {
    theXml += "<param type=\"multi\" interpol=\"" + std::string(theC == 0 ? "sqd" : "lin") + "\" val=\"" +
              std::to_string(int(inA.c[theC] * 100000)) + "\"><seg time=\"" + std::to_string(inTime) + "\" val=\"" +
              std::to_string(int(inB.c[theC] * 100000)) + "\"/><seg time=\"" + std::to_string(inTime) +
              "\" val=\"" + std::to_string(int(inC.c[theC] * 100000)) + "\"/></param>";
  }
  return theXml;
}

Quat KeyQuat(const Quat& inQ) {  // as the loader stores it
  Quat theQ;
  for (int theC = 0; theC < 4; ++theC) theQ.c[theC] = int(inQ.c[theC] * 100000) / 100000.0;
  return theQ;
}

TEST(ParamAnimation, SquadEqualsSlerpWhenNeighboursFaceTheSameWay) {
  std::mt19937 theRandom(7);
  std::uniform_real_distribution<double> theComponent(0.1, 1.0);
  for (int theRound = 0; theRound < 50; ++theRound) {
    Quat theKeys[3];
    for (Quat& theKey : theKeys) {
      for (double& theC : theKey.c) theC = theComponent(theRandom);
      theKey = Normalize(theKey);
    }
    // const, the group of four, const: six values, the group in the middle
    LoadedDemo theLoaded(EventDocument("<param type=\"const\" val=\"11\"/>" +
                                       SqdGroup(theKeys[0], theKeys[1], theKeys[2], 1000) +
                                       "<param type=\"const\" val=\"22\"/>"));
    ASSERT_EQ(theLoaded.failure, "");
    for (uint32_t theTime : {0u, 250u, 500u, 999u, 1000u, 1700u}) {
      int32_t theValues[6] = {};
      bool theConstant = true;
      EvaluateEventParams(theTime, theLoaded.EventAt(0, 0), theValues, 6, theConstant);
      EXPECT_FALSE(theConstant);
      EXPECT_EQ(theValues[0], 11);
      EXPECT_EQ(theValues[5], 22);
      const uint32_t theSegment = theTime / 1000;
      const Quat theFrom = Normalize(KeyQuat(theKeys[theSegment]));
      const Quat theTo = Normalize(KeyQuat(theKeys[theSegment + 1]));
      const Quat theSlerp = Slerp(theFrom, theTo, (theTime % 1000) / 1000.0);
      for (int theC = 0; theC < 4; ++theC) {
        EXPECT_NEAR(theValues[1 + theC], theSlerp.c[theC] * 100000, 1.0)
            << "component " << theC << " at " << theTime << " in round " << theRound;
      }
    }
    int32_t theEnd[6] = {};
    bool theConstant = true;
    EvaluateEventParams(5000, theLoaded.EventAt(0, 0), theEnd, 6, theConstant);
    for (int theC = 0; theC < 4; ++theC) EXPECT_EQ(theEnd[1 + theC], int(theKeys[2].c[theC] * 100000));
  }
}

TEST(ParamAnimation, SquadOfOpposingKeysStaysDefined) {
  // The middle key faces away from the first: the logarithms are undefined,
  // so the segment is a plain slerp and no NaN reaches the effect.
  const Quat theA{{1, 0, 0, 0}};
  const Quat theB{{-0.6, 0.8, 0, 0}};
  const Quat theC{{0, 1, 0, 0}};
  LoadedDemo theLoaded(EventDocument(SqdGroup(theA, theB, theC, 1000)));
  ASSERT_EQ(theLoaded.failure, "");
  int32_t theValues[4] = {};
  bool theConstant = true;
  EvaluateEventParams(500, theLoaded.EventAt(0, 0), theValues, 4, theConstant);
  const Quat theSlerp = Slerp(theA, theB, 0.5);
  for (int theK = 0; theK < 4; ++theK) EXPECT_NEAR(theValues[theK], theSlerp.c[theK] * 100000, 1.0);
}

TEST(ParamAnimation, SlerpEdgeCases) {
  const Quat theP{{1, 0, 0, 0}};
  const Quat theQ{{0, 1, 0, 0}};
  const Quat theHalf = Slerp(theP, theQ, 0.5);
  EXPECT_NEAR(theHalf.c[0], std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(theHalf.c[1], std::sqrt(0.5), 1e-12);
  // c at or beyond +-1 gives p, whatever u
  const Quat theSame = Slerp(theP, Scale(theP, 2), 0.7);
  EXPECT_EQ(theSame.c[0], 1);
  const Quat theOpposite = Slerp(theP, Scale(theP, -1), 0.7);
  EXPECT_EQ(theOpposite.c[0], 1);
  // nearly parallel keys: the average, no division by a tiny sine
  const Quat theNear{{std::sqrt(1 - 1e-7), std::sqrt(1e-7), 0, 0}};
  const Quat theAverage = Slerp(theP, theNear, 0.9);
  EXPECT_DOUBLE_EQ(theAverage.c[1], std::sqrt(1e-7) / 2);
  // no flip towards the shorter arc
  const Quat theLong = Slerp(theP, Quat{{-0.6, 0.8, 0, 0}}, 0.5);
  EXPECT_GT(theLong.c[1], 0.8);
  EXPECT_EQ(Normalize(Quat{{0, 0, 0, 0}}).c[0], 0);
}

TEST(ParamAnimation, ConversionToInt32TruncatesAndSaturates) {
  const struct {
    double in;
    int32_t out;
  } theCases[] = {{2.9, 2},          {-2.9, -2},          {NAN, 0},          {INFINITY, INT32_MAX},
                  {-INFINITY, INT32_MIN}, {3e9, INT32_MAX}, {-3e9, INT32_MIN}, {2147483646.9, 2147483646},
                  {-2147483648.5, INT32_MIN}, {-2147483648.0, INT32_MIN}, {-2147483647.9, -2147483647},
                  {2147483647.0, INT32_MAX}, {2147483647.9, INT32_MAX}, {2147483648.0, INT32_MAX},
                  {-0.5, 0}, {-NAN, 0}};
  for (const auto& theCase : theCases) EXPECT_EQ(ToInt32(theCase.in), theCase.out) << theCase.in;
}

TEST(ParamAnimation, ValuesNeverGoPastTheBuffer) {
  std::string theParams;
  for (int theI = 0; theI < 200; ++theI) theParams += "<param type=\"const\" val=\"" + std::to_string(theI) + "\"/>";
  // a sqd group straddling the end of the buffer
  const Quat theQ{{1, 0, 0, 0}};
  LoadedDemo theLoaded(EventDocument(theParams + SqdGroup(theQ, theQ, theQ, 10)));
  ASSERT_EQ(theLoaded.failure, "");
  for (uint32_t theCapacity : {128u, 202u, 203u, 204u}) {
    std::vector<int32_t> theValues(theCapacity + 16, -7);
    bool theConstant = false;
    EvaluateEventParams(5, theLoaded.EventAt(0, 0), theValues.data(), theCapacity, theConstant);
    EXPECT_EQ(theValues[127], 127);
    if (theCapacity > 200) {
      EXPECT_EQ(theValues[200], 100000) << "the group's first component, capacity " << theCapacity;
    }
    for (uint32_t theI = theCapacity; theI < theValues.size(); ++theI) {
      ASSERT_EQ(theValues[theI], -7) << "value " << theI << " written past a capacity of " << theCapacity;
    }
  }
}

// Beats: a fake registry that records the lookup and hands out one record.
BeatRecord gBeat;
bool gBeatKnown = true;
struct Lookup {
  int32_t kind, id;
  bool privateUse, userDataNull;
  std::string requester, kindName;
};
std::vector<Lookup> gLookups;

void* FakeUseResource(int32_t inKind, int32_t inId, void* inUserData, bool inPrivate, const char* inRequester,
                      const char* inKindName, bool* inStatic) {
  gLookups.push_back({inKind, inId, inPrivate, inUserData == nullptr, inRequester, inKindName});
  if (inStatic != nullptr) *inStatic = false;
  return gBeatKnown ? &gBeat : nullptr;
}

// Parameters 0, 0, 5000, 1000, 5000, 0, -1 of the beat plug-in: up from 0
// to 1 in 500 ms, back down in 500 ms, every second from the start.
BeatRecord Triangle(uint32_t inStart, uint32_t inDuration, bool inSmooth) {
  BeatRecord theBeat{};
  theBeat.startTime = inStart;
  theBeat.duration = inDuration;
  theBeat.count = 2;
  theBeat.intervals[0] = 500;
  theBeat.intervals[1] = 500;
  theBeat.levels[1] = 1.0;
  theBeat.smooth = inSmooth;
  return theBeat;
}

TEST(BeatParam, LooksTheBeatUpEveryEvaluationAndScalesItsLevel) {
  LoadedDemo theLoaded(EventDocument("<param type=\"beat\" ID=\"3\" min=\"10\" max=\"200\"/>", "0", "100000"));
  ASSERT_EQ(theLoaded.failure, "");
  gBeat = Triangle(1000, 10000, false);
  gLookups.clear();
  SetBeatResourceLookup(FakeUseResource);
  gBeatKnown = true;
  ExpectValues(theLoaded.EventAt(0, 0), {{1000, 10}, {1250, 110}, {1500, 210}, {2750, 110}, {999, 10}, {11001, 10}},
               "beat");
  ASSERT_EQ(gLookups.size(), 6u);
  EXPECT_EQ(gLookups[0].kind, KIND_BEAT);
  EXPECT_EQ(gLookups[0].id, 3);
  EXPECT_FALSE(gLookups[0].privateUse);
  EXPECT_TRUE(gLookups[0].userDataNull);
  EXPECT_EQ(gLookups[0].requester, "ZorbitEdit");
  EXPECT_EQ(gLookups[0].kindName, "Beat");
  gBeatKnown = false;
  ExpectValues(theLoaded.EventAt(0, 0), {{1250, 10}}, "missing beat gives min");
  SetBeatResourceLookup(nullptr);
  ExpectValues(theLoaded.EventAt(0, 0), {{1250, 10}}, "no registry gives min");
}

TEST(BeatValue, PatternRepeatsFromZeroAtEverySeam) {
  const BeatRecord theBeat = Triangle(1000, 10000, false);
  const struct {
    uint32_t time;
    double level;
  } theCases[] = {{1000, 0.0},  {1250, 0.5},  {1500, 1.0},  {1750, 0.5}, {1999, 0.002}, {2000, 0.0},
                  {2500, 1.0},  {10500, 1.0}, {11000, 0.0}, {11001, 0.0}, {999, 0.0}};
  for (const auto& theCase : theCases) EXPECT_DOUBLE_EQ(BeatValue(theCase.time, theBeat), theCase.level) << theCase.time;
  const BeatRecord theSmooth = Triangle(1000, 10000, true);
  // Both segments meet the turning key flat: control points 0, 1/3, 1, 1
  // going up and 1, 1, 1/3, 0 coming down.
  EXPECT_NEAR(BeatValue(1250, theSmooth), 0.625, 1e-12);
  EXPECT_NEAR(BeatValue(1050, theSmooth), 0.109, 1e-12);
  EXPECT_NEAR(BeatValue(1750, theSmooth), 0.625, 1e-12);
  EXPECT_DOUBLE_EQ(BeatValue(2500, theSmooth), 1.0);
  EXPECT_DOUBLE_EQ(BeatValue(3000, theSmooth), 0.0);
}

// The walk as described, bounded only so that a failing test ends.
bool DescribedBeatWalk(uint32_t inTime, const BeatRecord& inBeat, double& outValue) {
  if (inBeat.count == 0 || inTime < inBeat.startTime || uint64_t(inTime) > uint64_t(inBeat.startTime) + inBeat.duration) {
    outValue = 0.0;
    return true;
  }
  double theAcc = inBeat.startTime;
  int theI = 0;
  for (long theSteps = 0; inTime >= theAcc + inBeat.intervals[theI]; ++theSteps) {
    if (theSteps > 100000) return false;
    theAcc = std::trunc(theAcc + inBeat.intervals[theI]);
    theI = (theI + 1) % inBeat.count;
  }
  if (!inBeat.smooth) {
    outValue = inBeat.levels[theI] +
               (inTime - theAcc) * (inBeat.levels[theI + 1] - inBeat.levels[theI]) / inBeat.intervals[theI];
    return true;
  }
  return false;  // the smooth shape shares its code with "bez" and is pinned above
}

TEST(BeatValue, SkippingRepetitionsGivesTheDescribedWalksResult) {
  std::mt19937 theRandom(11);
  for (int theRound = 0; theRound < 300; ++theRound) {
    BeatRecord theBeat{};
    theBeat.startTime = theRandom() % 100000;
    theBeat.duration = theRandom() % (theRound % 3 == 0 ? 5000 : 2000000);
    theBeat.count = 1 + theRandom() % 19;
    for (int theK = 0; theK < theBeat.count; ++theK) {
      // tenths of a ms as the beat plug-in makes them, some below 1 ms
      theBeat.intervals[theK] = (theRandom() % (theRound % 3 == 0 ? 12 : 20000)) * 0.1;
      theBeat.levels[theK + 1] = (theRandom() % 2001) * 0.001 - 1;
    }
    for (int theSample = 0; theSample < 20; ++theSample) {
      const uint32_t theTime = theBeat.startTime + theRandom() % (theBeat.duration + 2);
      double theExpected = 0;
      if (!DescribedBeatWalk(theTime, theBeat, theExpected)) continue;
      const double theActual = BeatValue(theTime, theBeat);
      if (std::isnan(theExpected)) {
        EXPECT_TRUE(std::isnan(theActual));
      } else {
        EXPECT_EQ(theActual, theExpected) << "round " << theRound << " t " << theTime;
      }
    }
  }
}

TEST(BeatValue, EndsForEveryRecord) {
  BeatRecord theBeat = Triangle(0, 4000000000u, false);
  // Segments below 1 ms never move the walk on: no value can be found.
  theBeat.intervals[0] = 0.5;
  theBeat.intervals[1] = 0.25;
  EXPECT_EQ(BeatValue(3000000000u, theBeat), 0.0);
  // ... but a time inside the first repetition still has its value.
  EXPECT_DOUBLE_EQ(BeatValue(0, theBeat), 0.0);
  // Negative, infinite and NaN intervals and out-of-range counts end as well.
  for (double theBad : {-3.0, double(INFINITY), -double(INFINITY), double(NAN), 1e300, 0.99999999999}) {
    theBeat.intervals[0] = theBad;
    const double theValue = BeatValue(3000000000u, theBeat);
    (void)theValue;
  }
  theBeat = Triangle(0, 1000, false);
  theBeat.count = 1000;
  EXPECT_EQ(BeatValue(100, theBeat), 0.0);
  theBeat.count = -1;
  EXPECT_EQ(BeatValue(100, theBeat), 0.0);
  theBeat.count = 129;
  for (int theK = 0; theK < 129; ++theK) theBeat.intervals[theK] = 1;
  theBeat.duration = 100000;
  EXPECT_GE(BeatValue(99999, theBeat), 0.0);
}

TEST(BezierValue, IsTheCubicBernsteinForm) {
  const double thePoints[4] = {0, 100.0 / 3, 200.0 / 3, 100};
  EXPECT_DOUBLE_EQ(BezierValue(thePoints, 3, 0.5), 50.0);
  const double theCurve[4] = {1, 2, -3, 4};
  for (double theU : {0.0, 0.2, 0.7, 1.0}) {
    const double theV = 1 - theU;
    const double theExpected = theV * theV * theV * 1 + 3 * theV * theV * theU * 2 + 3 * theV * theU * theU * -3 +
                               theU * theU * theU * 4;
    EXPECT_NEAR(BezierValue(theCurve, 3, theU), theExpected, 1e-12) << theU;
  }
}

}  // namespace
