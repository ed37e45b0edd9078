// `player --log` writes when each start-up step finished once the first
// frame is shown; a start-up that stops writes its usual lines only.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "playerfixture.h"
#include "startuptimes.h"

namespace {

struct Row {
  double since, step, cpu;
  std::string what;
};

std::vector<Row> TableOf(const std::string& inLog) {
  std::vector<Row> theRows;
  const size_t theStart = inLog.find(kStartupTimesHeading);
  if (theStart == std::string::npos) return theRows;
  std::istringstream theLines(inLog.substr(theStart + std::string(kStartupTimesHeading).size()));
  for (std::string theLine; std::getline(theLines, theLine);) {
    std::istringstream theFields(theLine);
    Row theRow;
    if (!(theFields >> theRow.since >> theRow.step >> theRow.cpu)) break;
    std::getline(theFields >> std::ws, theRow.what);
    theRows.push_back(theRow);
  }
  return theRows;
}

TEST(StartupTimes, LogHoldsEveryStepUpToTheFirstFrame) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(30), Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 30)}}));
  PlayResult theRun = theFolder.RunProgram({"demo.xml", "--log"});
  ASSERT_EQ(0, theRun.exitCode) << theRun.log;
  const std::vector<Row> theRows = TableOf(theRun.log);
  const std::vector<std::string> theSteps = {
      "log opened", "display checked", "setup window", "data folder read", "demo loaded (step 1)",
      "video mode and sound open (step 2)", "GLEW and gamma", "libraries loaded and bound (step 3)",
      "events matched (step 4)", "surfaces created (step 5)", "libraries started (step 6)",
      "music loaded (steps 7 and 8)", "music started", "first frame shown (step 9)"};
  ASSERT_EQ(theSteps.size(), theRows.size()) << theRun.log;
  double theLast = 0.0;
  for (size_t i = 0; i < theRows.size(); ++i) {
    SCOPED_TRACE(theSteps[i]);
    EXPECT_EQ(theSteps[i], theRows[i].what) << "steps out of order";
    EXPECT_GE(theRows[i].since, theLast) << "time ran back";
    EXPECT_NEAR(theRows[i].since - theLast, theRows[i].step, 0.11) << "a step's time is not the difference";
    EXPECT_GE(theRows[i].cpu, 0.0);
    theLast = theRows[i].since;
  }
  EXPECT_EQ(theRun.log.find(kStartupTimesHeading), theRun.log.rfind(kStartupTimesHeading)) << "written twice";

  // Without the switch the log keeps quiet.
  PlayResult theQuiet = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(std::string::npos, theQuiet.log.find(kStartupTimesHeading)) << theQuiet.log;
}

}  // namespace
