// beat.so loaded into a stand-in host: the table of beats, the records it
// hands out under kind BEAT, and the life of a beat with its event.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "testhost.h"

namespace {

class BeatPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    mHandle = mHost.Load("beat");
    ASSERT_NE(mHandle, nullptr) << mHost.mLoadError;
    mMakeBeat = dlsym(mHandle, "MakeBeat");
    ASSERT_NE(mMakeBeat, nullptr);
  }
  void TearDown() override {
    if (mHandle) reinterpret_cast<QuitFunction>(dlsym(mHandle, "Zorbit_Quit"))();
  }

  // One MakeBeat call; inParams[0] is replaced by the name's number.
  bool Call(int32_t inPhase, void** ioSlot, const std::string& inName, std::vector<int32_t> inParams,
            int32_t* outStatus = nullptr, uint32_t inStart = 0, uint32_t inDuration = 1000) {
    if (inParams.empty()) inParams.push_back(0);
    inParams[0] = inName.empty() ? 9999 : mHost.Name(inName);
    FrameInfo theInfo = MakeInfo(inPhase, inStart, inDuration);
    const bool theResult = CallEffect(mMakeBeat, theInfo, ioSlot, inParams);
    if (outStatus) *outStatus = theInfo.status;
    return theResult;
  }
  const BeatRecord* Beat(const char* inName, bool* outStatic = nullptr) {
    return static_cast<const BeatRecord*>(mHost.Produce(KIND_BEAT, inName, outStatic));
  }

  TestHost mHost;
  void* mHandle = nullptr;
  void* mMakeBeat = nullptr;
};

// Segment lengths in 1/10 ms and levels in 1/1000, pairs after name and smooth.
const std::vector<int32_t> kUpDown = {0, 0, 5000, 1000, 5000, 0, -1};

TEST_F(BeatPlugin, UpDownPatternBecomesTwoHalfSecondRamps) {
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  ASSERT_TRUE(Call(PHASE_MAKE, &theSlot, "pulse", kUpDown, &theStatus, 2000, 8000));
  EXPECT_EQ(theStatus, STATUS_UNCHANGED);
  bool theStatic = false;
  const BeatRecord* theBeat = Beat("pulse", &theStatic);
  ASSERT_NE(theBeat, nullptr);
  EXPECT_TRUE(theStatic);
  EXPECT_EQ(theBeat->startTime, 2000u);
  EXPECT_EQ(theBeat->duration, 8000u);
  EXPECT_EQ(theBeat->count, 2);
  EXPECT_EQ(theBeat->smooth, 0);
  EXPECT_DOUBLE_EQ(theBeat->intervals[0], 500.0);
  EXPECT_DOUBLE_EQ(theBeat->intervals[1], 500.0);
  EXPECT_DOUBLE_EQ(theBeat->levels[0], 0.0);
  EXPECT_DOUBLE_EQ(theBeat->levels[1], 1.0);
  EXPECT_DOUBLE_EQ(theBeat->levels[2], 0.0);
  // Pairs after the ending one are stored but not counted.
  EXPECT_DOUBLE_EQ(theBeat->intervals[2], -0.1);

  EXPECT_TRUE(Call(PHASE_RUN, &theSlot, "pulse", kUpDown, &theStatus));
  EXPECT_EQ(theStatus, STATUS_UNCHANGED);
  EXPECT_EQ(Beat("pulse"), theBeat) << "a running call must not move the beat";
  EXPECT_TRUE(Call(PHASE_DESTROY, &theSlot, "pulse", kUpDown));
  EXPECT_EQ(Beat("pulse"), nullptr);
  EXPECT_TRUE(mHost.mWarnings.empty());
}

TEST_F(BeatPlugin, SegmentCountEndsAtFirstNegativeLength) {
  std::vector<int32_t> theAll(40, 10);  // 19 segments of 1 ms
  theAll[1] = 7;
  std::vector<int32_t> theThird = theAll;
  theThird[2 + 2 * 3] = -5;
  struct Case {
    const char* mName;
    std::vector<int32_t> mParams;
    int32_t mCount;
    uint8_t mSmooth;
  } const theCases[] = {
      {"none", {0, 0, -1, 500, 1000, 500}, 0, 0},
      {"all", theAll, 19, 1},
      {"three", theThird, 3, 1},
      {"zero-length-first", {0, 1, 0, 500, 20000, 0, -1}, 2, 1},
  };
  std::vector<void*> theSlots(std::size(theCases), nullptr);
  for (size_t i = 0; i < std::size(theCases); ++i) {
    const Case& theCase = theCases[i];
    ASSERT_TRUE(Call(PHASE_MAKE, &theSlots[i], theCase.mName, theCase.mParams)) << theCase.mName;
    const BeatRecord* theBeat = Beat(theCase.mName);
    ASSERT_NE(theBeat, nullptr) << theCase.mName;
    EXPECT_EQ(theBeat->count, theCase.mCount) << theCase.mName;
    EXPECT_EQ(theBeat->smooth, theCase.mSmooth) << theCase.mName;
  }
  for (size_t i = 0; i < std::size(theCases); ++i)
    Call(PHASE_DESTROY, &theSlots[i], theCases[i].mName, theCases[i].mParams);
}

TEST_F(BeatPlugin, UnknownNamesAreStaticNullsAndReleaseSaysSo) {
  void* theSlot = nullptr;
  ASSERT_TRUE(Call(PHASE_MAKE, &theSlot, "Kick", kUpDown));
  bool theStatic = false;
  EXPECT_EQ(Beat("kick", &theStatic), nullptr) << "names are case-sensitive";
  EXPECT_TRUE(theStatic);
  EXPECT_EQ(Beat("Kick "), nullptr);
  EXPECT_TRUE(mHost.Release(KIND_BEAT, "Kick"));
  EXPECT_FALSE(mHost.Release(KIND_BEAT, "kick"));
  EXPECT_NE(Beat("Kick"), nullptr) << "releasing must not remove the beat";
  Call(PHASE_DESTROY, &theSlot, "Kick", kUpDown);
  EXPECT_FALSE(mHost.Release(KIND_BEAT, "Kick"));
}

TEST_F(BeatPlugin, RemovalMovesLastBeatIntoFreedSlot) {
  void* theSlots[3] = {};
  const char* theNames[3] = {"a", "b", "c"};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Call(PHASE_MAKE, &theSlots[i], theNames[i], kUpDown, nullptr, 100 * i));
  const BeatRecord* theFirstSlot = Beat("a");
  ASSERT_TRUE(Call(PHASE_DESTROY, &theSlots[0], "a", kUpDown));
  EXPECT_EQ(theSlots[0], nullptr);
  EXPECT_EQ(Beat("a"), nullptr);
  ASSERT_EQ(Beat("c"), theFirstSlot) << "the former third beat must sit in slot 0";
  EXPECT_EQ(Beat("c")->startTime, 200u);
  EXPECT_EQ(Beat("b"), theFirstSlot + 1);
  // With two beats in use, the next one lands in slot 2 again.
  void* theNext = nullptr;
  ASSERT_TRUE(Call(PHASE_MAKE, &theNext, "d", kUpDown));
  EXPECT_EQ(Beat("d"), theFirstSlot + 2);
  // The moved beat is still removed by the event that made it.
  ASSERT_TRUE(Call(PHASE_DESTROY, &theSlots[2], "c", kUpDown));
  EXPECT_EQ(Beat("c"), nullptr);
  EXPECT_NE(Beat("b"), nullptr);
  EXPECT_NE(Beat("d"), nullptr);
  Call(PHASE_DESTROY, &theSlots[1], "b", kUpDown);
  Call(PHASE_DESTROY, &theNext, "d", kUpDown);
}

TEST_F(BeatPlugin, DuplicateNameIsRefusedAndItsEventNeverRemovesTheOriginal) {
  void* theOriginal = nullptr;
  ASSERT_TRUE(Call(PHASE_MAKE, &theOriginal, "snare", kUpDown, nullptr, 0, 5000));
  void* theDuplicate = nullptr;
  int32_t theStatus = 0;
  std::vector<int32_t> theOther = {0, 1, 1000, 500, -1};
  EXPECT_FALSE(Call(PHASE_MAKE, &theDuplicate, "snare", theOther, &theStatus, 1000, 100));
  EXPECT_EQ(theStatus, STATUS_FAILED);
  ASSERT_EQ(mHost.mWarnings.size(), 1u);
  EXPECT_EQ(mHost.mWarnings[0], "MakeBeat: beat snare already exists\n");
  const BeatRecord* theBeat = Beat("snare");
  ASSERT_NE(theBeat, nullptr);
  EXPECT_EQ(theBeat->duration, 5000u) << "the existing beat must be left unchanged";
  EXPECT_EQ(theBeat->count, 2);

  EXPECT_TRUE(Call(PHASE_RUN, &theDuplicate, "snare", theOther));
  EXPECT_TRUE(Call(PHASE_DESTROY, &theDuplicate, "snare", theOther));
  ASSERT_EQ(Beat("snare"), theBeat) << "the refused event removed the beat another event made";
  EXPECT_EQ(theBeat->duration, 5000u);

  EXPECT_TRUE(Call(PHASE_DESTROY, &theOriginal, "snare", kUpDown));
  EXPECT_EQ(Beat("snare"), nullptr);
}

TEST_F(BeatPlugin, NameWithoutTextFailsInEveryPhase) {
  void* theSlot = nullptr;
  for (int32_t thePhase : {PHASE_MAKE, PHASE_RUN, PHASE_DESTROY}) {
    int32_t theStatus = 0;
    EXPECT_FALSE(Call(thePhase, &theSlot, "", kUpDown, &theStatus)) << "phase " << thePhase;
    EXPECT_EQ(theStatus, STATUS_FAILED) << "phase " << thePhase;
  }
  ASSERT_EQ(mHost.mWarnings.size(), 3u);
  EXPECT_EQ(mHost.mWarnings[0], "MakeBeat: Couldn't get the name for the beat nr 9999\n");
  EXPECT_EQ(theSlot, nullptr);
}

TEST_F(BeatPlugin, BeatEndsWithItsEventEvenWhenTheNameIsGoneByThen) {
  // The name parameter may be animated and name nothing in the last call.
  void* theSlot = nullptr;
  ASSERT_TRUE(Call(PHASE_MAKE, &theSlot, "drift", kUpDown));
  int32_t theStatus = 0;
  EXPECT_FALSE(Call(PHASE_DESTROY, &theSlot, "", kUpDown, &theStatus));
  EXPECT_EQ(theStatus, STATUS_FAILED);
  EXPECT_EQ(Beat("drift"), nullptr);
}

TEST_F(BeatPlugin, SixtyFifthBeatIsRefusedUntilOneEnds) {
  std::vector<void*> theSlots(64, nullptr);
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(Call(PHASE_MAKE, &theSlots[i], "beat" + std::to_string(i), kUpDown)) << i;
  EXPECT_TRUE(mHost.mWarnings.empty());
  void* theExtra = nullptr;
  int32_t theStatus = 0;
  EXPECT_FALSE(Call(PHASE_MAKE, &theExtra, "extra", kUpDown, &theStatus));
  EXPECT_EQ(theStatus, STATUS_FAILED);
  EXPECT_EQ(Beat("extra"), nullptr);
  ASSERT_EQ(mHost.mWarnings.size(), 1u);
  EXPECT_EQ(mHost.mWarnings[0], "MakeBeat: beat extra not made, all 64 beats are in use\n");
  EXPECT_TRUE(Call(PHASE_DESTROY, &theExtra, "extra", kUpDown));
  EXPECT_NE(Beat("beat63"), nullptr) << "a refused event must not remove any beat";

  ASSERT_TRUE(Call(PHASE_DESTROY, &theSlots[10], "beat10", kUpDown));
  EXPECT_TRUE(Call(PHASE_MAKE, &theExtra, "extra", kUpDown));
  EXPECT_NE(Beat("extra"), nullptr);
  for (int i = 0; i < 64; ++i) Call(PHASE_DESTROY, &theSlots[i], "beat" + std::to_string(i), kUpDown);
  Call(PHASE_DESTROY, &theExtra, "extra", kUpDown);
  EXPECT_EQ(Beat("extra"), nullptr);
  EXPECT_EQ(Beat("beat0"), nullptr);
}

TEST_F(BeatPlugin, PatternOfSubMillisecondSegmentsIsRefused) {
  // Every segment below 1 ms: a reader that steps in whole ms would never advance.
  void* theSlot = nullptr;
  int32_t theStatus = 0;
  EXPECT_FALSE(Call(PHASE_MAKE, &theSlot, "buzz", {0, 0, 9, 1000, 5, 0, -1}, &theStatus));
  EXPECT_EQ(theStatus, STATUS_FAILED);
  EXPECT_EQ(Beat("buzz"), nullptr);
  ASSERT_EQ(mHost.mWarnings.size(), 1u);
  EXPECT_EQ(mHost.mWarnings[0], "MakeBeat: beat buzz not made, its segments are all shorter than 1 ms\n");
  // One segment of 1 ms is enough; the others may be shorter.
  EXPECT_TRUE(Call(PHASE_MAKE, &theSlot, "buzz", {0, 0, 9, 1000, 10, 0, -1}));
  EXPECT_NE(Beat("buzz"), nullptr);
  Call(PHASE_DESTROY, &theSlot, "buzz", {});
}

TEST_F(BeatPlugin, QuitForgetsEveryBeat) {
  void* theSlot = nullptr;
  ASSERT_TRUE(Call(PHASE_MAKE, &theSlot, "left", kUpDown));
  ASSERT_TRUE(reinterpret_cast<QuitFunction>(dlsym(mHandle, "Zorbit_Quit"))());
  EXPECT_EQ(Beat("left"), nullptr);
  EXPECT_TRUE(reinterpret_cast<BeginNewFrameFunction>(dlsym(mHandle, "Zorbit_BeginNewFrame"))(0));
}

}  // namespace

namespace {

// A host may quit and initialise the plug-in again in one process: the
// second run starts from an empty table, whatever the first left running.
TEST_F(BeatPlugin, SecondInitStartsFromAnEmptyTable) {
  const int kMaxBeats = 64;  // the table's size
  std::vector<void*> theSlots(kMaxBeats, nullptr);
  for (int i = 0; i < kMaxBeats; ++i)
    ASSERT_TRUE(Call(PHASE_MAKE, &theSlots[i], "b" + std::to_string(i), kUpDown)) << i;
  ASSERT_NE(Beat("b0"), nullptr);
  ASSERT_TRUE(mHost.Reopen(mHandle));
  EXPECT_EQ(Beat("b0"), nullptr) << "a beat of the first run is still offered";
  EXPECT_EQ(Beat("b63"), nullptr) << "a beat of the first run is still offered";

  std::vector<void*> theNewSlots(kMaxBeats, nullptr);
  for (int i = 0; i < kMaxBeats; ++i) {
    int32_t theStatus = 0;
    ASSERT_TRUE(Call(PHASE_MAKE, &theNewSlots[i], "b" + std::to_string(i), kUpDown, &theStatus)) << i;
    EXPECT_EQ(theStatus, STATUS_UNCHANGED) << "beat " << i << " refused in the second run";
  }
  EXPECT_TRUE(mHost.mWarnings.empty()) << mHost.mWarnings.front();
  const BeatRecord* theBeat = Beat("b5");
  ASSERT_NE(theBeat, nullptr);
  EXPECT_EQ(theBeat->count, 2);
}

}  // namespace
