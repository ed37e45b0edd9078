// The indexed segment search must give the described linear search's answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "segmentindex.h"

namespace {

struct Curve {
  std::vector<uint32_t> times;
  std::vector<int32_t> values;
  MultiParam record{};

  explicit Curve(std::vector<uint32_t> inTimes) : times(std::move(inTimes)), values(times.size() + 1) {
    record.segmentCount = static_cast<uint32_t>(times.size());
    record.times = times.data();
    record.values = values.data();
    BuildSegmentIndex(&record);
  }
  ~Curve() { ForgetSegmentIndex(&record); }
};

void ExpectSameSegment(const MultiParam& inCurve, uint32_t inTime, uint32_t inStart, const char* inWhat) {
  uint32_t theLinearAcc = 0;
  uint32_t theAcc = 0;
  const uint32_t theLinear = FindSegmentLinear(inCurve, inTime, inStart, theLinearAcc);
  const uint32_t theFound = FindSegment(inCurve, inTime, inStart, theAcc);
  ASSERT_EQ(theFound, theLinear) << inWhat << ": t " << inTime << ", start " << inStart;
  ASSERT_EQ(theAcc, theLinearAcc) << inWhat << ": t " << inTime << ", start " << inStart;
}

TEST(SegmentIndex, MatchesTheLinearSearchOnRandomCurvesAndTimes) {
  std::mt19937 theRandom(3);
  for (int theRound = 0; theRound < 200; ++theRound) {
    const uint32_t theCount = 16 + theRandom() % 300;
    std::vector<uint32_t> theTimes(theCount);
    for (uint32_t& theTime : theTimes) {
      const uint32_t theKind = theRandom() % 10;
      // zero-length segments, short ones, and now and then a huge one that wraps the sum
      theTime = theKind == 0 ? 0 : theKind == 1 && theRound % 4 == 0 ? theRandom() : theRandom() % 5000;
    }
    Curve theCurve(theTimes);
    ASSERT_TRUE(HasSegmentIndex(&theCurve.record));
    uint64_t theTotal = 0;
    for (uint32_t theTime : theTimes) theTotal += theTime;
    const uint32_t theStart = theRound % 5 == 0 ? 0xFFFFFFFFu - theRandom() % 100000 : theRandom() % 100000;
    // played forward, as a demo plays
    for (uint64_t theT = theStart; theT <= theStart + std::min<uint64_t>(theTotal + 100, 3000000); theT += 1 + theRandom() % 997) {
      ExpectSameSegment(theCurve.record, static_cast<uint32_t>(theT), theStart, "forward");
    }
    // random access, before the start and at every segment end
    for (int theK = 0; theK < 200; ++theK) ExpectSameSegment(theCurve.record, theRandom(), theStart, "random");
    // the segment found for one start says nothing for another
    for (uint32_t theT = theStart; theT < theStart + 20000; theT += 1 + theRandom() % 300) {
      ExpectSameSegment(theCurve.record, theT, theStart, "two starts");
      ExpectSameSegment(theCurve.record, theT, theStart + 150, "two starts");
    }
    uint32_t theEnd = theStart;
    for (uint32_t theTime : theTimes) {
      theEnd += theTime;
      ExpectSameSegment(theCurve.record, theEnd, theStart, "segment end");
      ExpectSameSegment(theCurve.record, theEnd - 1, theStart, "just before a segment end");
    }
  }
}

TEST(SegmentIndex, ChangedOrForgottenRecordsFallBackToTheWalk) {
  Curve theCurve(std::vector<uint32_t>(40, 100));
  std::vector<uint32_t> theOther(40, 7);
  theCurve.record.times = theOther.data();  // changed after indexing
  for (uint32_t theT = 0; theT < 400; theT += 3) ExpectSameSegment(theCurve.record, theT, 0, "changed times");
  theCurve.record.times = theCurve.times.data();
  theCurve.record.segmentCount = 20;
  for (uint32_t theT = 0; theT < 5000; theT += 37) ExpectSameSegment(theCurve.record, theT, 0, "changed count");
}

TEST(SegmentIndex, EveryCurveKeepsItsOwnIndexThroughRemovals) {
  std::mt19937 theRandom(5);
  std::vector<std::unique_ptr<Curve>> theCurves;
  for (int theI = 0; theI < 500; ++theI) theCurves.emplace_back(new Curve(std::vector<uint32_t>(16 + theI % 5, 10)));
  std::shuffle(theCurves.begin(), theCurves.end(), theRandom);
  theCurves.resize(250);  // forgets half of them, in random order
  for (const auto& theCurve : theCurves) {
    ASSERT_TRUE(HasSegmentIndex(&theCurve->record));
    ExpectSameSegment(theCurve->record, 55, 0, "after removals");
  }
  MultiParam theShort{};
  theShort.segmentCount = ZORBIT_INDEXED_SEGMENTS - 1;
  BuildSegmentIndex(&theShort);
  EXPECT_FALSE(HasSegmentIndex(&theShort)) << "short curves need no index";
}

TEST(SegmentIndex, ACopyOfARecordNeitherUsesNorFreesItsIndex) {
  const size_t theBefore = LiveSegmentIndexCount();
  {
    Curve theCurve(std::vector<uint32_t>(40, 100));
    EXPECT_EQ(LiveSegmentIndexCount(), theBefore + 1);
    MultiParam theCopy = theCurve.record;
    EXPECT_FALSE(HasSegmentIndex(&theCopy));
    for (uint32_t theT = 0; theT < 5000; theT += 37) ExpectSameSegment(theCopy, theT, 0, "copy");
    ForgetSegmentIndex(&theCopy);
    EXPECT_EQ(theCopy.index, nullptr);
    ASSERT_TRUE(HasSegmentIndex(&theCurve.record)) << "forgetting a copy freed the original's index";
    for (uint32_t theT = 0; theT < 5000; theT += 37) ExpectSameSegment(theCurve.record, theT, 0, "original");
    BuildSegmentIndex(&theCurve.record);  // built again: the old one is freed, not leaked
    EXPECT_EQ(LiveSegmentIndexCount(), theBefore + 1);
  }
  EXPECT_EQ(LiveSegmentIndexCount(), theBefore);
}

}  // namespace
