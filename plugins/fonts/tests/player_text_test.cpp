// Text3D, TextSwarm3D and TextBalloon played by the real player under Xvfb,
// drawn by Scene3D (scene.so) from a ring swarm made by swarm.so. A probe
// plug-in on the highest track keeps the last shown frame; the test finds
// each effect's colour where the camera puts its text.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
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

// A track holding one event from 0 to inEnd ms.
std::string Track(const char* inLibrary, const char* inFunction, int inEnd, const std::string& inParams) {
  return "<Track>" + demoxml::Event(inLibrary, inFunction, 0, inEnd, inParams) + "</Track>\n";
}

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

bool ReadPpm(const std::string& inPath, Image& outImage) {
  std::ifstream theFile(inPath, std::ios::binary);
  std::string theMagic;
  int theMax = 0;
  if (!(theFile >> theMagic >> outImage.width >> outImage.height >> theMax) || theMagic != "P6") return false;
  theFile.get();
  outImage.rgb.resize(size_t(outImage.width) * size_t(outImage.height) * 3);
  theFile.read(reinterpret_cast<char*>(outImage.rgb.data()), std::streamsize(outImage.rgb.size()));
  return bool(theFile);
}

// Pixels of one colour class: where they are and how many.
struct Blob {
  long count = 0;
  double sumX = 0, sumY = 0;
  int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
  double CentreX() const { return sumX / double(count); }
  double CentreY() const { return sumY / double(count); }
};

template <typename Test>
Blob Find(const Image& inImage, Test inTest) {
  Blob b;
  for (int y = 0; y < inImage.height; ++y) {
    for (int x = 0; x < inImage.width; ++x) {
      const unsigned char* p = &inImage.rgb[(size_t(y) * size_t(inImage.width) + size_t(x)) * 3];
      if (!inTest(p[0], p[1], p[2])) continue;
      ++b.count;
      b.sumX += x;
      b.sumY += y;
      b.minX = std::min(b.minX, x);
      b.maxX = std::max(b.maxX, x);
      b.minY = std::min(b.minY, y);
      b.maxY = std::max(b.maxY, y);
    }
  }
  return b;
}

// The camera: at (0, 0, 500) looking at the origin, 45 degrees vertical
// field of view, a 320 x 240 frame: 240 / (2 * 500 * tan 22.5) pixels per
// scene unit at z = 0.
const double kPixelsPerUnit = 240.0 / (1000.0 * std::tan(22.5 * M_PI / 180.0));
double ScreenX(double inX) { return 160.0 + inX * kPixelsPerUnit; }
double ScreenY(double inY) { return 120.0 - inY * kPixelsPerUnit; }

TEST(PlayerText, TextEffectsShowTheirTextWhereTheCameraPutsIt) {
  ASSERT_TRUE(WaitForDisplay()) << "no X display";
  const TempFolder theTemp("zorbit_fonts");
  ASSERT_FALSE(theTemp.Path().empty());
  const std::string theFolder = theTemp.Path();
  ASSERT_EQ(0, std::system(("cp '" TEXTPROBE_PATH "' '" + theFolder + "/textprobe.so'").c_str()));
  WriteFile(theFolder + "/SDL.ini", SilentWindowIni(320, 240));

  const int theEnd = 700;
  // Texts: 0 group, 1 font, 2 "HELLO", 3 swarm name, 4 swarm text, 5 balloon text.
  // Text3D: "HELLO" in red at (-120, 150), size 48.
  // TextSwarm3D: "ZORBIT" in blue over a ring of 12 particles, radius 100, at the centre.
  // TextBalloon: "Hi!" in black on a green balloon at (120, -90), tail towards (-60, -40).
  const std::string theDemo =
      "<Demo>\n<Settings RunningTime=\"" + std::to_string(theEnd) +
      "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\" AspectRatioX=\"4\" AspectRatioY=\"3\"/>\n"
      "<Texts><Text>main</Text><Text>FreeSans.ttf</Text><Text>HELLO</Text><Text>ring</Text>"
      "<Text>ZORBIT</Text><Text>Hi!</Text></Texts>\n<Libraries>\n"
      "<Library FileName=\"scene.so\"><Function Name=\"Scene3D\"/></Library>\n"
      "<Library FileName=\"fonts.so\"><Function Name=\"Text3D\"/><Function Name=\"TextSwarm3D\"/></Library>\n"
      "<Library FileName=\"balloons.so\"><Function Name=\"TextBalloon\"/></Library>\n"
      "<Library FileName=\"swarm.so\"><Function Name=\"Swarm\"/></Library>\n"
      "<Library FileName=\"textprobe.so\"><Function Name=\"SnapFrame\"/></Library>\n"
      "</Libraries>\n<Tracks>\n" +
      Track("scene.so", "Scene3D", theEnd, Consts({0, 0, 0, 500000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0})) +
      Track("fonts.so", "Text3D", theEnd,
            Consts({2, 1, 48, -120000, 150000, 0, 0, 0, 0, 10000, 255, 0, 0, 255, 770, 771, 100000, 0, 0})) +
      Track("fonts.so", "TextSwarm3D", theEnd,
            Consts({4, 3, 1, 24, 0, 0, 0, 0, 0, 0, 10000, 255, 770, 771, 100000, 0, 0})) +
      Track("balloons.so", "TextBalloon", theEnd,
            Consts({5, 100, 1, 30, -60, -40, 0, 0, 0, 0, 0, 200, 0, 120000, -90000, 0, 0, 0, 0, 100000, 255, 770,
                    771, 100000, 0, 0})) +
      Track("swarm.so", "Swarm", theEnd, Consts({3, 12, 0, 100000, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 1})) +
      Track("textprobe.so", "SnapFrame", theEnd, "") + "</Tracks>\n</Demo>\n";
  WriteFile(theFolder + "/demo.xml", theDemo);

  // The plug-ins' own clean-up at Zorbit_Quit is checked under
  // LeakSanitizer by the effect and balloon tests.
  const int theStatus = RunPlayerOnDisplay(ZORBIT_BIN_DIR "/player", theFolder, "demo.xml");
  const std::string theLog = ReadFile(theFolder + "/Errorlog.txt");
  ASSERT_TRUE(WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0)
      << "player failed: " << ReadFile(theFolder + "/stderr.txt") << theLog;
  for (const char* theEffect : {"Text3D", "TextSwarm3D", "TextBalloon", "ProduceFont", "Font "}) {
    EXPECT_EQ(std::string::npos, theLog.find(theEffect)) << theLog;
  }
  Image theFrame;
  ASSERT_TRUE(ReadPpm(theFolder + "/frame.ppm", theFrame)) << "the probe saw no frame\n" << theLog;
  ASSERT_EQ(theFrame.width, 320);
  ASSERT_EQ(theFrame.height, 240);

  // "HELLO": red glyph pixels in a box the width of the measured line.
  const Blob theRed = Find(theFrame, [](int r, int g, int b) { return r > 120 && g < 60 && b < 60; });
  ASSERT_GT(theRed.count, 200) << "Text3D's text is not visible";
  EXPECT_NEAR(theRed.CentreX(), ScreenX(-120.0), 8.0) << "the line is centred on its position";
  EXPECT_LT(theRed.maxY, ScreenY(150.0) + 3.0) << "the text stands on its baseline";
  EXPECT_GT(theRed.minY, ScreenY(150.0 + 48.0) - 3.0) << "and is no taller than its size";
  const double theRedWidth = theRed.maxX - theRed.minX;
  EXPECT_GT(theRedWidth, 120.0 * kPixelsPerUnit) << "HELLO at 48 pixels is about 150 units wide";
  EXPECT_LT(theRedWidth, 170.0 * kPixelsPerUnit);

  // "ZORBIT" on the ring: blue pixels all around the centre, about 100 units out.
  const Blob theBlue = Find(theFrame, [](int r, int g, int b) { return b > 120 && r < 60 && g < 60; });
  ASSERT_GT(theBlue.count, 150) << "TextSwarm3D's glyphs are not visible";
  EXPECT_NEAR(theBlue.CentreX(), 160.0, 12.0) << "the ring is centred";
  EXPECT_NEAR(theBlue.CentreY(), 120.0, 12.0);
  EXPECT_GT(theBlue.maxX - theBlue.minX, 180.0 * kPixelsPerUnit) << "the glyphs go all around the ring";
  EXPECT_LT(theBlue.maxX - theBlue.minX, 240.0 * kPixelsPerUnit);

  // The balloon: green around (120, -90), its trail running up and left.
  // (Its text is added before the ovals and drawn first; a renderer that
  // draws blended polygons in the order given paints the balloon over it.)
  const Blob theGreen = Find(theFrame, [](int r, int g, int b) { return g > 120 && r < 60 && b < 60; });
  ASSERT_GT(theGreen.count, 300) << "TextBalloon's balloon is not visible";
  EXPECT_GT(theGreen.CentreX(), ScreenX(60.0)) << "the balloon lies to the right";
  EXPECT_GT(theGreen.CentreY(), ScreenY(-40.0)) << "and below the centre";
  EXPECT_GT(theGreen.maxX, ScreenX(120.0 + 30.0)) << "the balloon is wider than its text";
  EXPECT_LT(theGreen.minX, ScreenX(120.0 - 60.0 + 5.0)) << "the trail reaches towards the tail point";
}

// An accented line is as wide as the same line without accents: one glyph
// per character, not the two bytes of its UTF-8 form. The font is named with
// an accent too, and found on disk under its UTF-8 name.
TEST(PlayerText, AccentedTextDrawsOneGlyphPerCharacter) {
  ASSERT_TRUE(WaitForDisplay()) << "no X display";
  const TempFolder theTemp("zorbit_fonts_accents");
  ASSERT_FALSE(theTemp.Path().empty());
  const std::string theFolder = theTemp.Path();
  ASSERT_EQ(0, std::system(("cp '" TEXTPROBE_PATH "' '" + theFolder + "/textprobe.so'").c_str()));
  ASSERT_EQ(0, std::system(("cp /usr/share/fonts/truetype/freefont/FreeSans.ttf '" + theFolder +
                            "/Schrift-\xC3\xBC.ttf'").c_str()));
  WriteFile(theFolder + "/SDL.ini", SilentWindowIni(320, 240));

  const int theEnd = 400;
  // Texts: 0 group, 1 font, 2 "Caf\xE9" (red, above), 3 "Cafe" (green, below).
  auto theLine = [&](int inText, int inY, int inRed, int inGreen) {
    return Track("fonts.so", "Text3D", theEnd,
                 Consts({inText, 1, 48, 0, inY, 0, 0, 0, 0, 10000, inRed, inGreen, 0, 255, 770, 771, 100000, 0, 0}));
  };
  const std::string theDemo =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Demo>\n<Settings RunningTime=\"" + std::to_string(theEnd) +
      "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\" AspectRatioX=\"4\" AspectRatioY=\"3\"/>\n"
      "<Texts><Text>main</Text><Text>Schrift-\xC3\xBC.ttf</Text><Text>Caf\xC3\xA9</Text><Text>Cafe</Text></Texts>\n"
      "<Libraries>\n"
      "<Library FileName=\"scene.so\"><Function Name=\"Scene3D\"/></Library>\n"
      "<Library FileName=\"fonts.so\"><Function Name=\"Text3D\"/></Library>\n"
      "<Library FileName=\"textprobe.so\"><Function Name=\"SnapFrame\"/></Library>\n"
      "</Libraries>\n<Tracks>\n" +
      Track("scene.so", "Scene3D", theEnd, Consts({0, 0, 0, 500000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0})) +
      theLine(2, 60000, 255, 0) + theLine(3, -90000, 0, 255) + Track("textprobe.so", "SnapFrame", theEnd, "") +
      "</Tracks>\n</Demo>\n";
  WriteFile(theFolder + "/demo.xml", theDemo);

  const int theStatus = RunPlayerOnDisplay(ZORBIT_BIN_DIR "/player", theFolder, "demo.xml");
  const std::string theLog = ReadFile(theFolder + "/Errorlog.txt");
  ASSERT_TRUE(WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0)
      << "player failed: " << ReadFile(theFolder + "/stderr.txt") << theLog;
  EXPECT_EQ(std::string::npos, theLog.find("font")) << "the accented font name is found\n" << theLog;
  Image theFrame;
  ASSERT_TRUE(ReadPpm(theFolder + "/frame.ppm", theFrame)) << "the probe saw no frame\n" << theLog;

  const Blob theAccented = Find(theFrame, [](int r, int g, int b) { return r > 120 && g < 60 && b < 60; });
  const Blob thePlain = Find(theFrame, [](int r, int g, int b) { return g > 120 && r < 60 && b < 60; });
  ASSERT_GT(theAccented.count, 100) << "the accented line is not visible";
  ASSERT_GT(thePlain.count, 100) << "the plain line is not visible";
  const int theAccentedWidth = theAccented.maxX - theAccented.minX;
  const int thePlainWidth = thePlain.maxX - thePlain.minX;
  EXPECT_NEAR(theAccentedWidth, thePlainWidth, 4) << "\"Caf\xC3\xA9\" is as wide as \"Cafe\"; a line drawn from "
                                                      "UTF-8 bytes is one glyph wider";
  // The last glyph carries its accent: red pixels above the top of the plain
  // line's last glyph ("e" is as high as the x-height, the acute rises above it).
  int theAccentTop = 1 << 30, thePlainTop = 1 << 30;
  const int theLastGlyphLeft = theAccented.maxX - thePlainWidth / 5;
  for (int y = 0; y < theFrame.height; ++y) {
    for (int x = theLastGlyphLeft; x <= theAccented.maxX; ++x) {
      const unsigned char* p = &theFrame.rgb[(size_t(y) * size_t(theFrame.width) + size_t(x)) * 3];
      if (p[0] > 120 && p[1] < 60 && p[2] < 60) theAccentTop = std::min(theAccentTop, y - theAccented.minY);
    }
    for (int x = thePlain.maxX - thePlainWidth / 5; x <= thePlain.maxX; ++x) {
      const unsigned char* p = &theFrame.rgb[(size_t(y) * size_t(theFrame.width) + size_t(x)) * 3];
      if (p[1] > 120 && p[0] < 60 && p[2] < 60) thePlainTop = std::min(thePlainTop, y - thePlain.minY);
    }
  }
  EXPECT_EQ(theAccentTop, 0) << "the accented last glyph reaches as high as the line's capital C";
  EXPECT_GT(thePlainTop, 3) << "the plain e stays below the capital C";
}

}  // namespace
