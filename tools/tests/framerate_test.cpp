#include <gtest/gtest.h>

#include "framerate.h"

namespace {

TEST(FrameRate, ReadsWholeAndFractionalRatesAndRefusesTheRest) {
  FrameRate theRate;
  ASSERT_TRUE(ParseFrameRate("60", theRate));
  EXPECT_EQ(60, theRate.num);
  EXPECT_EQ(1, theRate.den);
  ASSERT_TRUE(ParseFrameRate("30000/1001", theRate));
  EXPECT_EQ(30000, theRate.num);
  EXPECT_EQ(1001, theRate.den);
  EXPECT_EQ("30000/1001", FrameRateText(theRate));
  for (const char* theBad : {"", "0", "-5", "25/0", "25/", "/25", "1001/", "x", "25x", "2000", "60/1/2", "99999999999999999999"})
    EXPECT_FALSE(ParseFrameRate(theBad, theRate)) << theBad;
  EXPECT_EQ(30000, theRate.num);  // a refused text leaves the rate alone
}

TEST(FrameRate, FrameTimesComeFromTheIndexAloneWithoutDrift) {
  FrameRate theNtsc{60000, 1001};
  // 1001 frames at 60000/1001 take exactly 1001 * 1001 / 60 ms.
  EXPECT_EQ(500 + 1001 * 1001 / 60, FrameTimeMs(500, theNtsc, 1001));
  EXPECT_EQ(16, FrameTimeMs(0, theNtsc, 1));
  EXPECT_EQ(33, FrameTimeMs(0, theNtsc, 2));
  // An hour's worth of frames lands on the exact time, not on a sum of
  // rounded steps.
  EXPECT_EQ(3600LL * 1000 * 1001 / 1000, FrameTimeMs(0, theNtsc, 3600LL * 60));
  FrameRate theFifty{50, 1};
  EXPECT_EQ(20 * 7, FrameTimeMs(0, theFifty, 7));
}

TEST(FrameRate, FramesUpToCountsEveryFrameAtOrBeforeTheLastTime) {
  for (FrameRate theRate : {FrameRate{25, 1}, FrameRate{3, 1}, FrameRate{30000, 1001}, FrameRate{60000, 1001}}) {
    for (int64_t theLast : {0, 1, 16, 17, 333, 334, 999, 1000, 12345}) {
      int64_t theCount = FramesUpTo(100, 100 + theLast, theRate);
      ASSERT_GE(theCount, 1);
      EXPECT_LE(FrameTimeMs(100, theRate, theCount - 1), 100 + theLast) << FrameRateText(theRate) << " " << theLast;
      EXPECT_GT(FrameTimeMs(100, theRate, theCount), 100 + theLast) << FrameRateText(theRate) << " " << theLast;
    }
  }
  EXPECT_EQ(0, FramesUpTo(100, 99, FrameRate{}));
}

TEST(Chunks, JoinedChunksCoverEveryFrameOnce) {
  int theIndex = 0, theCount = 0;
  ASSERT_TRUE(ParseChunk("2/3", theIndex, theCount));
  EXPECT_EQ(2, theIndex);
  EXPECT_EQ(3, theCount);
  for (const char* theBad : {"", "3", "0/3", "4/3", "1/0", "a/b", "1/3x", "-1/3"})
    EXPECT_FALSE(ParseChunk(theBad, theIndex, theCount)) << theBad;

  for (int64_t theTotal : {0, 1, 2, 7, 100, 1001}) {
    for (int theChunks : {1, 2, 3, 7, 16}) {
      int64_t theNext = 0;
      for (int k = 1; k <= theChunks; ++k) {
        FrameRange theRange = ChunkRange(theTotal, k, theChunks);
        EXPECT_EQ(theNext, theRange.first);
        EXPECT_GE(theRange.count, theTotal / theChunks);
        EXPECT_LE(theRange.count, theTotal / theChunks + 1);
        theNext = theRange.first + theRange.count;
      }
      EXPECT_EQ(theTotal, theNext);
    }
  }
}

}  // namespace
