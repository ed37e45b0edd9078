// A demo played by the real player under Xvfb: MakeGrid (grids.so) on track
// 2 makes a flat grid, DrawGrid on track 1 puts it into the 3D group, and
// Scene3D on track 0 draws the group after every higher track has run. A
// probe plug-in on track 3 reads each shown frame back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demoxml.h"
#include "displayplayer.h"
#include "sdlini.h"
#include "tempfolder.h"
#include "textfile.h"
#include "xdisplay.h"

namespace {

using demoxml::Consts;

struct Frame {
  int elapsed, width, height;
  long lit;
  std::string centre;
};

class PlayerDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WaitForDisplay()) << "no X display";
    ASSERT_FALSE(mTemp.Path().empty());
    mFolder = mTemp.Path();
    ASSERT_EQ(0, std::system(("cp '" FRAMEPROBE_PATH "' '" + mFolder + "/frameprobe.so'").c_str()));
    WriteFile(mFolder + "/SDL.ini", SilentWindowIni(320, 240));
  }

  // Plays a grid drawn with the given DrawGrid look and colour; returns the frames read back.
  std::vector<Frame> Play(int inLook, int inRed, int inGreen, int inBlue, std::string& outLog, int theEnd = 600) {
    const std::string theDemo =
        "<Demo>\n<Settings RunningTime=\"" + std::to_string(theEnd) +
        "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\" AspectRatioX=\"4\" AspectRatioY=\"3\"/>\n"
        "<Texts><Text>floor</Text><Text>main</Text><Text>tex.bmp</Text></Texts>\n<Libraries>\n"
        "<Library FileName=\"imagery.so\"><Function Name=\"MakeMovie\"/></Library>\n"
        "<Library FileName=\"grids.so\"><Function Name=\"MakeGrid\"/></Library>\n"
        "<Library FileName=\"scene.so\"><Function Name=\"Scene3D\"/><Function Name=\"DrawGrid\"/></Library>\n"
        "<Library FileName=\"frameprobe.so\"><Function Name=\"ReadFrame\"/></Library>\n"
        "</Libraries>\n<Tracks>\n<Track>" +
        demoxml::Event("scene.so", "Scene3D", 0, theEnd,
                 Consts({1, 0, 0, 500000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0})) +
        "</Track>\n<Track>" +
        demoxml::Event("scene.so", "DrawGrid", 0, theEnd,
                 Consts({0, 2, inLook, 0, 0, 0, 0, 0, 0, 10000, inRed, inGreen, inBlue, 255, 1, 0, 100000, 1, 0})) +
        "</Track>\n<Track>" + demoxml::Event("grids.so", "MakeGrid", 0, theEnd, Consts({0, 200, 200, 5, 5})) +
        "</Track>\n<Track>" + demoxml::Event("frameprobe.so", "ReadFrame", 0, theEnd, "") + "</Track>\n</Tracks>\n</Demo>\n";
    WriteFile(mFolder + "/demo.xml", theDemo);
    std::remove((mFolder + "/frames.txt").c_str());
    const int theStatus = RunPlayerOnDisplay(ZORBIT_BIN_DIR "/player", mFolder, "demo.xml");
    EXPECT_TRUE(WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0)
        << "player failed: " << ReadFile(mFolder + "/stderr.txt") << ReadFile(mFolder + "/Errorlog.txt");
    outLog = ReadFile(mFolder + "/Errorlog.txt");
    std::vector<Frame> theFrames;
    std::istringstream theLines(ReadFile(mFolder + "/frames.txt"));
    Frame f;
    while (theLines >> f.elapsed >> f.width >> f.height >> f.lit >> f.centre) theFrames.push_back(f);
    return theFrames;
  }

  TempFolder mTemp{"zorbit_scene"};
  std::string mFolder;  // mTemp's path
};

TEST_F(PlayerDemoTest, GridDrawnByScene3DCoversItsShareOfTheFrame) {
  struct Case {
    const char* name;
    int look, red, green, blue;
    const char* centre;
    double minShare, maxShare;
  } theCases[] = {
      // 200 x 200 units at 500 units from a 45-degree camera: 115.9 pixels
      // square of the 320 x 240 frame, 17.5 % of it.
      {"filled", 0, 255, 255, 0, "FFFF00", 0.165, 0.185},
      // A 5 x 5 wireframe: lines only, through the centre.
      {"wireframe", 2, 0, 255, 255, nullptr, 0.005, 0.05},
  };
  for (const Case& c : theCases) {
    std::string theLog;
    const std::vector<Frame> theFrames = Play(c.look, c.red, c.green, c.blue, theLog);
    ASSERT_GE(theFrames.size(), 2u) << c.name << ": the probe read no shown frame\n" << theLog;
    const Frame& theLast = theFrames.back();
    const double theShare = double(theLast.lit) / (double(theLast.width) * theLast.height);
    EXPECT_EQ(320, theLast.width) << c.name;
    EXPECT_GE(theShare, c.minShare) << c.name << ": too little of the frame is covered\n" << theLog;
    EXPECT_LE(theShare, c.maxShare) << c.name << ": too much of the frame is covered\n" << theLog;
    if (c.centre != nullptr) {
      EXPECT_EQ(c.centre, theLast.centre) << c.name << ": the grid is not at the centre of the frame";
    }
    EXPECT_EQ(std::string::npos, theLog.find("DrawGrid")) << c.name << ": " << theLog;
    EXPECT_EQ(std::string::npos, theLog.find("Scene3D")) << c.name << ": " << theLog;
  }
}

// A 2 x 2 24-bit BMP, every pixel the given colour.
void WriteBmp(const std::string& inPath, uint8_t inRed, uint8_t inGreen, uint8_t inBlue) {
  const uint8_t thePixels[] = {inBlue, inGreen, inRed, inBlue, inGreen, inRed, 0, 0};  // a row, padded to 4 bytes
  uint8_t theHeader[54] = {'B', 'M'};
  auto thePut = [&](int inAt, uint32_t inValue) {
    for (int i = 0; i < 4; ++i) theHeader[inAt + i] = uint8_t(inValue >> (8 * i));
  };
  thePut(2, 54 + 16);
  thePut(10, 54);
  thePut(14, 40);
  thePut(18, 2);
  thePut(22, 2);
  theHeader[26] = 1;
  theHeader[28] = 24;
  std::ofstream theFile(inPath, std::ios::binary);
  theFile.write(reinterpret_cast<const char*>(theHeader), sizeof theHeader);
  theFile.write(reinterpret_cast<const char*>(thePixels), sizeof thePixels);
  theFile.write(reinterpret_cast<const char*>(thePixels), sizeof thePixels);
}

// The image's producer counts every lookup; a grid shown for many frames
// must hold one reference, not one per frame.
TEST_F(PlayerDemoTest, TexturedGridHoldsOneReferenceToItsImageFrameAfterFrame) {
  WriteBmp(mFolder + "/tex.bmp", 0, 0, 255);
  std::string theLog;
  const std::vector<Frame> theFrames = Play(1, 255, 255, 255, theLog, 3000);
  ASSERT_GT(theFrames.size(), 101u) << "too few frames to pass the producer's leak warning";
  EXPECT_EQ("0000FF", theFrames.back().centre) << "the texture's blue is not shown";
  EXPECT_EQ(std::string::npos, theLog.find("Possible leak")) << theLog;
  EXPECT_EQ("", theLog) << "a clean run leaves an empty log";
}

}  // namespace
