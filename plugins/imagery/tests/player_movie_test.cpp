// Movies through the real player: a demo whose MakeMovie events play
// numbered images while a probe plug-in asks for the movies' names.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "displayplayer.h"
#include "imagefiles.h"
#include "sdlini.h"
#include "tempfolder.h"
#include "textfile.h"
#include "xdisplay.h"

namespace {

class PlayerMovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(mTemp.Path().empty());
    mFolder = mTemp.Path();
    // The X server of xvfb-run may still be starting; the player does not wait for it.
    WaitForDisplay();
  }

  // Runs the player on demo.xml in the folder; returns its exit code.
  int Play() {
    WriteFile(mFolder + "/SDL.ini", SilentWindowIni(64, 48));
    const std::string theCopy = "cp '" TEXTURE_PROBE_PATH "' '" + mFolder + "/'";
    int theStatus = std::system(theCopy.c_str());
    // With leak detection off the player also avoids the slow unwinding on
    // every allocation that can deadlock inside llvmpipe's compiler.
    if (theStatus == 0) theStatus = RunPlayerOnDisplay(ZORBIT_BIN_DIR "/player", mFolder, "demo.xml");
    mLog = ReadFile(mFolder + "/Errorlog.txt");
    mErrors = ReadFile(mFolder + "/stderr.txt");
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
  }

  TempFolder mTemp{"imagery-player-"};
  std::string mFolder;  // mTemp's path
  std::string mLog;
  std::string mErrors;  // the player's standard error
};

const char kDemo[] = R"(<?xml version="1.0"?>
<Demo>
  <Settings RunningTime="1000" UseOpenGL="true" NumberOfInputSurfaces="0"/>
  <Texts>
    <Text>film</Text>
    <Text>frame???.png</Text>
    <Text>seven</Text>
    <Text>big</Text>
    <Text>pic???.png</Text>
    <Text>still.png</Text>
  </Texts>
  <Libraries>
    <Library FileName="imagery.so"><Function Name="MakeMovie"/></Library>
    <Library FileName="texture_probe.so"><Function Name="ProbeTexture"/></Library>
  </Libraries>
  <Tracks>
    <Track>
      <Event LibraryFileName="texture_probe.so" FunctionName="ProbeTexture" StartTime="0" EndTime="1000">
        <param type="const" val="0"/><param type="const" val="2"/><param type="const" val="3"/>
      </Event>
    </Track>
    <Track>
      <Event LibraryFileName="texture_probe.so" FunctionName="ProbeTexture" StartTime="0" EndTime="1000">
        <param type="const" val="5"/><param type="const" val="-1"/><param type="const" val="-1"/>
      </Event>
    </Track>
    <Track>
      <Event LibraryFileName="imagery.so" FunctionName="MakeMovie" StartTime="0" EndTime="1000">
        <param type="const" val="0"/><param type="const" val="1"/><param start="0" end="10"/>
      </Event>
    </Track>
    <Track>
      <Event LibraryFileName="imagery.so" FunctionName="MakeMovie" StartTime="0" EndTime="1000">
        <param type="const" val="2"/><param type="const" val="4"/><param type="const" val="7"/>
      </Event>
    </Track>
    <Track>
      <Event LibraryFileName="imagery.so" FunctionName="MakeMovie" StartTime="0" EndTime="1000">
        <param type="const" val="3"/><param type="const" val="4"/><param type="const" val="1234"/>
      </Event>
    </Track>
  </Tracks>
</Demo>
)";

TEST_F(PlayerMovieTest, UsersOfAMovieSeeItsCurrentFrameWhileItPlays) {
  char theName[32];
  for (int i = 0; i <= 10; ++i) {
    snprintf(theName, sizeof theName, "/frame%03d.png", i);
    ASSERT_TRUE(WritePng(mFolder + theName, MakePatternImage(i + 1, 2, i % 2 == 0), i % 2 == 0));
  }
  ASSERT_TRUE(WritePng(mFolder + "/pic007.png", MakePatternImage(7, 7, false), false));
  ASSERT_TRUE(WritePng(mFolder + "/pic123.png", MakePatternImage(12, 3, false), false));
  ASSERT_TRUE(WriteBmp(mFolder + "/still.png", MakePatternImage(5, 5, false)));  // the decoder goes by content
  WriteFile(mFolder + "/demo.xml", kDemo);

  ASSERT_EQ(Play(), 0) << mLog << mErrors;
  if (getenv("IMAGERY_SHOW_LOG")) printf("%s", mLog.c_str());

  std::regex theProbeLine(R"(ProbeTexture (\d+): (\S+) (static|moving))");
  int theFilmSeen = 0;
  int theLastFrame = -1;
  int theDistinctFrames = 0;
  int theSevenSeen = 0, theBigSeen = 0, theStillSeen = 0;
  std::istringstream theLines(mLog);
  for (std::string theLine; std::getline(theLines, theLine);) {
    EXPECT_EQ(theLine.find("ProduceTexture"), std::string::npos) << theLine;
    EXPECT_EQ(theLine.find("MakeMovie"), std::string::npos) << theLine;
    EXPECT_EQ(theLine.find("imagery:"), std::string::npos) << theLine;
    EXPECT_EQ(theLine.find("could not find"), std::string::npos) << theLine;
    std::smatch theMatch;
    if (!std::regex_search(theLine, theMatch, theProbeLine)) continue;
    int theElapsed = std::stoi(theMatch[1]);
    std::string theRecord = theMatch[2];
    bool theIsStatic = theMatch[3] == "static";
    if (theRecord.rfind("frame", 0) == 0) {
      ++theFilmSeen;
      EXPECT_FALSE(theIsStatic) << theLine;
      int theFrame = std::stoi(theRecord.substr(5, 3));
      EXPECT_EQ(theRecord, "frame" + theRecord.substr(5, 3) + ".png");
      EXPECT_GE(theFrame, theLastFrame) << "the movie went backwards: " << theLine;
      EXPECT_LE(std::abs(theFrame * 100 - theElapsed), 100) << "frame " << theFrame << " shown at " << theElapsed
                                                             << " ms";
      if (theFrame != theLastFrame) ++theDistinctFrames;
      theLastFrame = theFrame;
    } else if (theRecord == "pic007.png") {
      ++theSevenSeen;
      EXPECT_FALSE(theIsStatic) << theLine;
    } else if (theRecord == "pic123.png") {
      ++theBigSeen;
      EXPECT_FALSE(theIsStatic) << theLine;
    } else if (theRecord == "still.png") {
      ++theStillSeen;
      EXPECT_TRUE(theIsStatic) << theLine;
    } else {
      ADD_FAILURE() << "unexpected texture: " << theLine;
    }
  }
  EXPECT_GT(theFilmSeen, 0) << mLog;
  EXPECT_GE(theDistinctFrames, 3) << "the movie should switch frames while it plays:\n" << mLog;
  EXPECT_EQ(theSevenSeen, theFilmSeen) << "frame 7 of pic???.png is pic007.png";
  EXPECT_EQ(theBigSeen, theFilmSeen) << "frame 1234 of pic???.png is pic123.png";
  EXPECT_EQ(theStillSeen, theFilmSeen);
}

}  // namespace
