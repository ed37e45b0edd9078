// The MUSC resource through the real player: start-up registers the
// producer, the registry hands out the record of the frame's demo time, and
// the record holds what the analysis gives for that time.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "musicsamples.h"
#include "options.h"
#include "musicanalyser.h"
#include "playerfixture.h"
#include "resourceregistry.h"
#include "startup.h"
#include "testsignals.h"

namespace {

const char* const kRequester = "music test";

// Asks the registry as a plug-in would, for the text 0 ("music").
const MusicRecord* AskForMusic() {
  bool theStatic = true;
  return static_cast<const MusicRecord*>(UseResource(KIND_MUSC, 0, nullptr, false, kRequester, "music", &theStatic));
}

bool SameContents(const MusicRecord& inA, const MusicRecord& inB) {
  return inA.time == inB.time && inA.sampleRate == inB.sampleRate && inA.length == inB.length &&
         std::memcmp(inA.levels, inB.levels, sizeof inA.levels) == 0 &&
         std::memcmp(inA.spectrum, inB.spectrum, sizeof inA.spectrum) == 0 &&
         std::memcmp(inA.smoothed, inB.smoothed, sizeof inA.smoothed) == 0;
}

size_t Count(const std::string& inText, const std::string& inPart) {
  size_t theCount = 0;
  for (size_t theAt = inText.find(inPart); theAt != std::string::npos; theAt = inText.find(inPart, theAt + 1))
    ++theCount;
  return theCount;
}

class MusicResource : public testing::Test {
 protected:
  void SetUp() override {
    mFolder.AddPlugin("recorder");
    mFolder.WriteDefaultIni();  // no sound: the analysis does not need it
    ASSERT_TRUE(testsignals::Write(mFolder.Path() + "/music.ogg", testsignals::Varied(3.0, 44100), 44100,
                                   testsignals::Format::kOgg, 2));
  }
  void WriteDemo(const std::string& inMusic) {
    mFolder.Write("demo.xml", Document(Settings(1500, false, "InputMusicFile=\"" + inMusic + "\""),
                                       Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 100000)}}, {"music"}));
  }
  DemoFolder mFolder;
};

TEST_F(MusicResource, EveryFrameGetsTheRecordOfItsDemoTimeAtAnyFrameRate) {
  WriteDemo("music.ogg");
  MusicSamples theReference;
  theReference.DecodeHere(mFolder.Path() + "/music.ogg");
  for (uint32_t theStep : {40u, 17u}) {
    SCOPED_TRACE("frames every " + std::to_string(theStep) + " ms");
    std::vector<MusicRecord> theRecords;
    bool theSamePointer = true;
    bool theSameSerial = true;
    PlayResult theRun = mFolder.RunHere({"demo.xml"}, theStep, [&](const Demo&, uint32_t inTime) {
      const MusicRecord* theRecord = AskForMusic();
      ASSERT_NE(theRecord, nullptr) << "at " << inTime << " ms";
      EXPECT_EQ(theRecord->time, inTime) << "the record is the frame's";
      const uint32_t theSerial = theRecord->serial;
      // A second user in the same frame gets the record made for the first.
      const MusicRecord* theAgain = AskForMusic();
      theSamePointer = theSamePointer && theAgain == theRecord;
      theSameSerial = theSameSerial && theAgain->serial == theSerial;
      theRecords.push_back(*theRecord);
    });
    EXPECT_EQ(0, theRun.exitCode) << theRun.log;
    EXPECT_EQ(Count(theRun.log, "Music analysis"), 0u) << theRun.log;
    EXPECT_TRUE(theSamePointer && theSameSerial) << "computed once per frame";
    ASSERT_GT(theRecords.size(), 30u);
    for (size_t i = 1; i < theRecords.size(); ++i)
      EXPECT_NE(theRecords[i].serial, theRecords[i - 1].serial) << "a new time is a new serial";
    music::MusicAnalyser theAnalyser(theReference);
    for (const MusicRecord& theRecord : theRecords) {
      MusicRecord theExpected;
      theAnalyser.Analyse(theRecord.time, theExpected);
      EXPECT_TRUE(SameContents(theRecord, theExpected)) << "at " << theRecord.time << " ms";
    }
  }
}

TEST_F(MusicResource, MusicThatCannotBeAnalysedGivesOneWarningSilenceAndTheDemoPlays) {
  mFolder.Write("text.ogg", "not music\n");
  for (const char* theMusic : {"missing.ogg", "text.ogg"}) {
    SCOPED_TRACE(theMusic);
    WriteDemo(theMusic);
    uint32_t theFrames = 0;
    bool theSilent = true;
    PlayResult theRun = mFolder.RunHere({"demo.xml"}, 50, [&](const Demo&, uint32_t) {
      const MusicRecord* theRecord = AskForMusic();
      ASSERT_NE(theRecord, nullptr);
      theSilent = theSilent && theRecord->sampleRate == 0 && theRecord->levels[0][3] == 0 &&
                  theRecord->levels[1][3] == 128 && theRecord->smoothed[3] == 0.0f;
      ++theFrames;
    });
    EXPECT_EQ(0, theRun.exitCode) << theRun.log;
    EXPECT_EQ(theFrames, 31u) << "the whole demo plays";
    EXPECT_TRUE(theSilent);
    EXPECT_EQ(Count(theRun.log, "Music analysis: "), 1u) << theRun.log;
    EXPECT_EQ(Count(theRun.log, theMusic), 1u) << theRun.log;
  }
}

TEST_F(MusicResource, ReopenedDemoOffersItAgainFromItsOwnMusic) {
  WriteDemo("music.ogg");
  SessionSettings theSettings;
  theSettings.options.demoPath = "demo.xml";
  theSettings.workingFolder = mFolder.Path();
  theSettings.allowSetupWindow = false;
  FixedStepClock theClock(20);
  theSettings.clock = &theClock;
  std::vector<uint32_t> theTimes;
  std::vector<int32_t> theRates;
  PlayerSession* theSession = nullptr;
  theSettings.afterDraw = [&](const Demo&, uint32_t) {
    const MusicRecord* theRecord = AskForMusic();
    theTimes.push_back(theRecord != nullptr ? theRecord->time : UINT32_MAX);
    theRates.push_back(theRecord != nullptr ? theRecord->sampleRate : -1);
    if (theTimes.size() == 3) theSession->Stop();
  };
  PlayerSession thePlayer(theSettings);
  theSession = &thePlayer;
  ASSERT_TRUE(thePlayer.Open());
  ASSERT_TRUE(thePlayer.Play());
  ASSERT_TRUE(thePlayer.Reopen("", 500));
  ASSERT_TRUE(thePlayer.GetMusicSamples() != nullptr);
  theTimes.clear();
  theRates.clear();
  ASSERT_TRUE(thePlayer.Play());
  EXPECT_EQ(thePlayer.Close(), 0);
  // Sound is off, so the start stays where it was asked for.
  EXPECT_EQ(theTimes, (std::vector<uint32_t>{500, 520, 540}));
  EXPECT_EQ(theRates, (std::vector<int32_t>{44100, 44100, 44100}));
}

TEST(MusicOptions, BpmAutoAsksForTheEstimateAndOtherWordsAreRefused) {
  const char* const theAuto[] = {"player", "--edit", "--bpm", "auto", "demo.xml"};
  const PlayerOptions theOptions = ParseCommandLine(5, theAuto);
  EXPECT_EQ(theOptions.error, "");
  EXPECT_TRUE(theOptions.bpmAuto);
  EXPECT_EQ(theOptions.bpm, 0u) << "no bars until the estimate is known";
  const char* const theNumber[] = {"player", "--edit", "--bpm", "128", "demo.xml"};
  EXPECT_FALSE(ParseCommandLine(5, theNumber).bpmAuto);
  const char* const theWord[] = {"player", "--edit", "--bpm", "fast", "demo.xml"};
  EXPECT_NE(ParseCommandLine(5, theWord).error.find("or auto"), std::string::npos);
}

}  // namespace
