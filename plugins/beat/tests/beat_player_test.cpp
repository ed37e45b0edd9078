// Beats through the real player: MakeBeat events on some tracks, beat
// parameters of a recording effect on another, evaluated by the player's own
// parameter animation at wall-clock frame times.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "demorun.h"

using namespace demoxml;

namespace {

const std::string kBeat = ZORBIT_BIN_DIR "/beat.so";
const std::string kRecorder = RECORDER_PLUGIN;

// One PHASE_RUN call of the recorder: demo time (its events start at 0) and values.
struct RunCall {
  int mTime;
  std::vector<int> mValues;
};

std::vector<RunCall> RecordedRuns(const DemoFolder& inFolder, size_t inValueCount) {
  std::vector<RunCall> theRuns;
  for (const std::string& theLine : inFolder.Lines("calls.txt")) {
    if (theLine.rfind("effect ", 0) != 0 || theLine.find(" phase=1 ") == std::string::npos) continue;
    RunCall theRun{};
    std::sscanf(theLine.c_str() + theLine.find("elapsed="), "elapsed=%d", &theRun.mTime);
    const size_t theValues = theLine.find("values=");
    std::string theList = theValues == std::string::npos ? "" : theLine.substr(theValues + 7);
    size_t thePos = 0;
    while (thePos < theList.size()) {
      size_t theComma = theList.find(',', thePos);
      if (theComma == std::string::npos) theComma = theList.size();
      theRun.mValues.push_back(std::stoi(theList.substr(thePos, theComma - thePos)));
      thePos = theComma + 1;
    }
    theRun.mValues.resize(std::max(theRun.mValues.size(), inValueCount), 0);  // trailing zeros are not written
    theRuns.push_back(theRun);
  }
  return theRuns;
}

int CountOf(const std::string& inText, const std::string& inPart) {
  int theCount = 0;
  for (size_t thePos = inText.find(inPart); thePos != std::string::npos; thePos = inText.find(inPart, thePos + 1))
    ++theCount;
  return theCount;
}

double Cubic(double inP0, double inP1, double inP2, double inP3, double inU) {
  const double v = 1 - inU;
  return v * v * v * inP0 + 3 * v * v * inU * inP1 + 3 * v * inU * inU * inP2 + inU * inU * inU * inP3;
}

// The pattern 0 -> 1 in 500 ms, 1 -> 0 in 500 ms, from demo time 0 on.
double UpDown(int inTime, bool inSmooth) {
  const int p = inTime % 1000;
  if (p < 500) return inSmooth ? Cubic(0, 1.0 / 3, 1, 1, p / 500.0) : p / 500.0;
  return inSmooth ? Cubic(1, 1, 1.0 / 3, 0, (p - 500) / 500.0) : 1 - (p - 500) / 500.0;
}

// MakeBeat's 40 values: name, smooth, then (length 1/10 ms, level 1/1000) pairs.
std::string BeatParams(int inName, int inSmooth, const std::vector<int>& inPairs) {
  std::vector<int> theValues = {inName, inSmooth};
  theValues.insert(theValues.end(), inPairs.begin(), inPairs.end());
  theValues.resize(40, -1);
  return Consts(theValues);
}

TEST(BeatThroughPlayer, BeatParametersFollowPatternAcrossSeamsAndRepetitions) {
  DemoFolder theFolder;
  ASSERT_FALSE(theFolder.Path().empty());
  theFolder.WriteIni();
  const std::string theDocument = Document(
      2600, false, {"pulse", "soft", "none", "third"},
      Library(kBeat, {"MakeBeat"}) + Library(kRecorder, {"Record"}),
      {
          Event(kBeat, "MakeBeat", 0, 2600, BeatParams(0, 0, {5000, 1000, 5000, 0})),
          // Smooth; ends early, so that the table moves another beat into its slot.
          Event(kBeat, "MakeBeat", 0, 1500, BeatParams(1, 7, {5000, 1000, 5000, 0})),
          Event(kBeat, "MakeBeat", 0, 2600, BeatParams(3, 0, {2000, 500})),
          // A second "pulse": refused, and its end must not take the first one away.
          Event(kBeat, "MakeBeat", 500, 1200, BeatParams(0, 1, {1000, 1000})),
          Event(kRecorder, "Record", 0, 2600, Beat(0, 0, 1000) + Beat(1, 0, 1000) + Beat(2, 7, 1000) + Beat(3, 0, 1000)),
      });
  theFolder.Write("demo.xml", theDocument);
  ASSERT_EQ(theFolder.RunPlayer("demo.xml"), 0) << theFolder.Read("Errorlog.txt") << theFolder.Read("player.out");

  const std::string theLog = theFolder.Read("Errorlog.txt");
  EXPECT_EQ(CountOf(theLog, "MakeBeat: beat pulse already exists\n"), 1) << theLog;
  const std::vector<RunCall> theRuns = RecordedRuns(theFolder, 4);
  ASSERT_GT(theRuns.size(), 20u) << "too few frames to judge";
  int theAfterDuplicate = 0, theAfterRemoval = 0, theSeams = 0;
  for (const RunCall& theRun : theRuns) {
    const int t = theRun.mTime;
    const std::string theWhere = "at demo time " + std::to_string(t);
    EXPECT_NEAR(theRun.mValues[0], std::trunc(UpDown(t, false) * 1000), 1) << "straight beat " << theWhere;
    if (t <= 1500)  // an event is active up to and including its end time
      EXPECT_NEAR(theRun.mValues[1], std::trunc(UpDown(t, true) * 1000), 1) << "smooth beat " << theWhere;
    else
      EXPECT_EQ(theRun.mValues[1], 0) << "the smooth beat has ended: min " << theWhere;
    EXPECT_EQ(theRun.mValues[2], 7) << "a beat of no such name gives min " << theWhere;
    EXPECT_NEAR(theRun.mValues[3], std::trunc((t % 200) / 200.0 * 0.5 * 1000), 1) << "one-segment beat " << theWhere;
    theAfterDuplicate += t >= 1200;
    theAfterRemoval += t > 1500;
    theSeams += t % 500 < 50;
  }
  EXPECT_GT(theAfterDuplicate, 0);
  EXPECT_GT(theAfterRemoval, 0);
  EXPECT_GT(theSeams, 0) << "no frame near a seam of the pattern";
}

TEST(BeatThroughPlayer, SixtyFifthBeatIsRefusedAndReadsAsMin) {
  DemoFolder theFolder;
  ASSERT_FALSE(theFolder.Path().empty());
  theFolder.WriteIni();
  std::vector<std::string> theNames, theTracks;
  for (int i = 0; i < 65; ++i) {
    theNames.push_back("b" + std::to_string(i));
    theTracks.push_back(Event(kBeat, "MakeBeat", 0, 400, BeatParams(i, 0, {1000, 1000 + i})));
  }
  // The recorder takes 40 values: the beats b25 to b64.
  std::string theReads;
  for (int i = 25; i < 65; ++i) theReads += Beat(i, -1, 1000);
  theTracks.push_back(Event(kRecorder, "Record", 0, 400, theReads));
  theFolder.Write("demo.xml", Document(400, false, theNames,
                                       Library(kBeat, {"MakeBeat"}) + Library(kRecorder, {"Record"}), theTracks));
  ASSERT_EQ(theFolder.RunPlayer("demo.xml"), 0) << theFolder.Read("Errorlog.txt") << theFolder.Read("player.out");

  const std::string theLog = theFolder.Read("Errorlog.txt");
  ASSERT_EQ(CountOf(theLog, "beats are in use\n"), 1) << theLog;
  int theRefused = -1;
  const size_t thePos = theLog.find("MakeBeat: beat b");
  ASSERT_NE(thePos, std::string::npos);
  std::sscanf(theLog.c_str() + thePos, "MakeBeat: beat b%d not made, all 64 beats are in use", &theRefused);
  ASSERT_GE(theRefused, 0);
  const std::vector<RunCall> theRuns = RecordedRuns(theFolder, 40);
  ASSERT_FALSE(theRuns.empty());
  for (const RunCall& theRun : theRuns) {
    const int t = theRun.mTime;
    for (int i = 25; i < 65; ++i) {
      // Beat i ramps from 0 to (1000 + i) / 1000 in 100 ms, again and again.
      const int theExpected =
          i == theRefused ? -1 : int(std::trunc((t % 100) / 100.0 * ((1000 + i) / 1000.0) * 1000 - 1));
      EXPECT_NEAR(theRun.mValues[i - 25], theExpected, 1) << "beat b" << i << " at " << t;
    }
  }
}

}  // namespace
