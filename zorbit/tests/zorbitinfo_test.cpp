// zorbit-info as a demo maker runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string RunInfo(const std::string& inArguments, int& outStatus, const char* inLocale = nullptr) {
  std::string theCommand = (inLocale ? std::string("LC_ALL=") + inLocale + " " : std::string()) +
                           ZORBIT_BIN_DIR "/zorbit-info " + inArguments + " 2>&1";
  FILE* thePipe = popen(theCommand.c_str(), "r");
  std::string theOutput;
  char theChunk[4096];
  size_t theRead;
  while ((theRead = fread(theChunk, 1, sizeof theChunk, thePipe)) > 0) theOutput.append(theChunk, theRead);
  outStatus = pclose(thePipe);
  return theOutput;
}

TEST(ZorbitInfo, PrintsTheBundledExampleReadably) {
  int theStatus = -1;
  const std::string theOutput = RunInfo(ZORBIT_SOURCE_DIR "/zorbit/examples/example.xml", theStatus);
  EXPECT_EQ(theStatus, 0) << theOutput;
  for (const char* theLine : {
           "  running time: 12000 ms\n", "  aspect ratio: 16:9\n", "  music: music.ogg\n",
           "    Text3D(font, text, x, y, scale, qw, qx, qy, qz)\n",
           "    Event 0: 1000 ms to 11000 ms (10000 ms), Text3D in fonts.so, 9 params\n",
           "      2: size -640 pixels, lin over 2 keys (linear curve from -640, to 0 at +10000 ms)\n",
           "      4: y, a combination (sum of (sine around 100, amplitude 20, period 1000 ms, shifted 0 ms) and (beat \"kick\" (text 1): 0 + 30 x level))\n",
           "  2: \"Hello, demo world\"\n"}) {
    EXPECT_NE(theOutput.find(theLine), std::string::npos) << "missing line: " << theLine << "in:\n" << theOutput;
  }
}

TEST(ZorbitInfo, PointsOutEventsThePlayerCannotCall) {
  const std::string thePath = testing::TempDir() + "zorbit_info_notes.xml";
  {
    std::ofstream theFile(thePath);
    theFile << "<D><Settings RunningTime=\"1\" NumberOfInputSurfaces=\"0\"/>"
               "<Library FileName=\"a.so\"><F Name=\"Known\"/></Library><Track>"
               "<E LibraryFileName=\"a.so\" FunctionName=\"Known\" StartTime=\"0\" EndTime=\"10\"/>"
               "<E LibraryFileName=\"a.so\" FunctionName=\"known\" StartTime=\"0\" EndTime=\"10\">";
    for (int theP = 0; theP < 41; ++theP) theFile << "<param type=\"const\"/>";
    theFile << "</E></Track></D>";
  }
  int theStatus = -1;
  const std::string theOutput = RunInfo(thePath, theStatus);
  std::remove(thePath.c_str());
  EXPECT_EQ(theStatus, 0) << theOutput;
  const size_t theSecond = theOutput.find("    Event 1:");
  ASSERT_NE(theSecond, std::string::npos) << theOutput;
  EXPECT_EQ(theOutput.find("note:"), theOutput.find("note:", theSecond)) << "the declared event got a note:\n"
                                                                        << theOutput;
  EXPECT_NE(theOutput.find("      note: no Library element declares this function\n", theSecond), std::string::npos)
      << theOutput;
  EXPECT_NE(theOutput.find("      note: more than 40 values, the player never calls this event\n", theSecond),
            std::string::npos)
      << theOutput;
}

// Texts are held in Windows-1252 and shown as the author wrote them: UTF-8 on
// a UTF-8 terminal (and under the plain C locale), the bytes themselves on a
// Latin-1 one.
TEST(ZorbitInfo, ShowsTextsInTheTerminalsEncoding) {
  const std::string thePath = testing::TempDir() + "zorbit_info_accents.xml";
  std::ofstream(thePath) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><D><Settings RunningTime=\"1\" "
                            "NumberOfInputSurfaces=\"0\" InputMusicFile=\"m\xC3\xBCsik.ogg\"/>"
                            "<Texts><Text>Caf\xC3\xA9 5 \xE2\x82\xAC</Text></Texts></D>";
  for (const char* theLocale : {"C.UTF-8", "C"}) {
    int theStatus = -1;
    const std::string theOutput = RunInfo("'" + thePath + "'", theStatus, theLocale);
    EXPECT_EQ(theStatus, 0) << theOutput;
    EXPECT_NE(theOutput.find("  0: \"Caf\xC3\xA9 5 \xE2\x82\xAC\"\n"), std::string::npos) << theLocale << "\n" << theOutput;
    EXPECT_NE(theOutput.find("  music: m\xC3\xBCsik.ogg\n"), std::string::npos) << theLocale << "\n" << theOutput;
  }
  std::remove(thePath.c_str());
}

TEST(ZorbitInfo, FailsWithTheLoadersMessage) {
  const std::string thePath = testing::TempDir() + "zorbit_info_bad.xml";
  {
    std::ofstream theFile(thePath);
    theFile << "<D><Settings RunningTime=\"1\" NumberOfInputSurfaces=\"0\"/><Track><E/></Track></D>";
  }
  int theStatus = -1;
  const std::string theOutput = RunInfo(thePath, theStatus);
  std::remove(thePath.c_str());
  EXPECT_NE(theStatus, 0);
  EXPECT_NE(theOutput.find("zorbit-info: Missing attribute \"LibraryFileName\" in element \"E\" (track 0, event 0)"),
            std::string::npos)
      << theOutput;
}

// A folder or a FIFO as the document: the loader's message, at once.
TEST(ZorbitInfo, RefusesAPathThatIsNoRegularFile) {
  const std::string theFifo = testing::TempDir() + "zorbit_info_fifo.xml";
  std::remove(theFifo.c_str());
  ASSERT_EQ(0, mkfifo(theFifo.c_str(), 0600));
  for (const std::string& thePath : {testing::TempDir(), theFifo}) {
    int theStatus = -1;
    const std::string theOutput = RunInfo(thePath, theStatus);
    EXPECT_EQ(1, WEXITSTATUS(theStatus)) << thePath;
    EXPECT_NE(theOutput.find("zorbit-info: Couldn't load the demo " + thePath), std::string::npos) << theOutput;
  }
  std::remove(theFifo.c_str());
}

}  // namespace
