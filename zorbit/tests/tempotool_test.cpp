// zorbit-info --tempo, run as a program on real documents.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shellrun.h"
#include "tempfolder.h"

namespace {

ShellRun TempoOf(const std::string& inArguments) {
  return RunShell(ZORBIT_BIN_DIR "/zorbit-info --tempo " + inArguments);
}

// The number after inLabel in inText, or -1.
double NumberAfter(const std::string& inText, const std::string& inLabel) {
  const size_t theAt = inText.find(inLabel);
  return theAt == std::string::npos ? -1.0 : std::atof(inText.c_str() + theAt + inLabel.size());
}

TEST(TempoTool, PrintsTheShowcasesTempoFirstBeatAndAMakeBeatEventOnItsBeats) {
  const ShellRun theRun = TempoOf(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml");
  ASSERT_EQ(theRun.status, 0) << theRun.output;
  EXPECT_NEAR(NumberAfter(theRun.output, "Tempo: "), 120.0, 0.5) << theRun.output;
  const double theFirst = NumberAfter(theRun.output, "First beat: ");
  EXPECT_NEAR(theFirst, 4000.0, 20.0) << theRun.output;
  const double theStart = NumberAfter(theRun.output, "MakeBeat event from ");
  EXPECT_LE(theStart, theFirst);
  EXPECT_GT(theStart, theFirst - 10.0) << "the event starts on the 10 ms step before the first beat";

  // The last line: the 40 parameters.
  std::string theLine = theRun.output.substr(theRun.output.rfind('\n', theRun.output.size() - 2) + 1);
  std::vector<int> theParams;
  std::stringstream theValues(theLine);
  for (std::string theValue; std::getline(theValues, theValue, ',');) theParams.push_back(std::stoi(theValue));
  ASSERT_EQ(theParams.size(), 40u) << theLine;
  EXPECT_EQ(theParams[1], 1) << "smoothed";
  // Segments until the negative length: they last one beat, 500 ms in tenths.
  int theLength = 0;
  size_t theEnd = 2;
  for (; theEnd < 40 && theParams[theEnd] >= 0; theEnd += 2) theLength += theParams[theEnd];
  ASSERT_LT(theEnd, 40u) << "the pattern ends with a negative length";
  EXPECT_NEAR(theLength, 5000, 10) << theLine;
  // The rise to 1.0 comes at the first beat: after the flat lead, if any.
  const int theLead = theParams[3] == 0 && theParams[5] == 1000 ? theParams[2] : 0;
  EXPECT_NEAR(theStart + theLead / 10.0, theFirst, 0.1) << theLine;
}

TEST(TempoTool, DocumentsWithoutUsableMusicAndBadUsageSaySo) {
  TempFolder theFolder("zorbit-tempo-tool-");
  std::ifstream theExample(ZORBIT_SOURCE_DIR "/zorbit/examples/example.xml");
  std::stringstream theText;
  theText << theExample.rdbuf();
  std::string theDocument = theText.str();
  const std::string theAttribute = "InputMusicFile=\"music.ogg\"";
  ASSERT_NE(theDocument.find(theAttribute), std::string::npos);
  std::ofstream(theFolder.Path() + "/missing.xml") << theDocument;
  std::ofstream(theFolder.Path() + "/silent.xml") << theDocument.erase(theDocument.find(theAttribute), theAttribute.size());

  const ShellRun theMissing = TempoOf(theFolder.Path() + "/missing.xml");
  EXPECT_EQ(theMissing.status, 1);
  EXPECT_NE(theMissing.output.find("cannot read " + theFolder.Path() + "/music.ogg"), std::string::npos)
      << "the music is looked for beside the document: " << theMissing.output;
  const ShellRun theSilent = TempoOf(theFolder.Path() + "/silent.xml");
  EXPECT_EQ(theSilent.status, 1);
  EXPECT_NE(theSilent.output.find("names no music"), std::string::npos) << theSilent.output;
  const ShellRun theNoFile = TempoOf(theFolder.Path() + "/none.xml");
  EXPECT_EQ(theNoFile.status, 1) << theNoFile.output;
  EXPECT_EQ(TempoOf("--fast " + theFolder.Path() + "/silent.xml").status, 2);
  EXPECT_EQ(TempoOf("").status, 2) << "no document";
}

}  // namespace
