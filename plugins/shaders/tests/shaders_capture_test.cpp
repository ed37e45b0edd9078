// Shader events in real demos, captured by zorbit-capture at fixed frame
// rates: the frames hold exactly what the shaders were given.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demoxml.h"
#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

const std::string kShaders = demoxml::Library("shaders.so", {"Shader"});

// A Shader event's parameters: the 40 values, constants unless given.
std::string ShaderParams(std::vector<int> inValues, const std::string& inValue20 = "") {
  inValues.resize(40, 0);
  std::string theText;
  for (size_t i = 0; i < inValues.size(); ++i)
    theText += (i == 20 && !inValue20.empty()) ? inValue20 : demoxml::Const(inValues[i]);
  return theText;
}

// The values of an event: file text, target text, output, then the rest.
std::vector<int> Values(int inFile, int inTarget = -1, int inOutput = 0) {
  std::vector<int> theValues(40, 0);
  theValues[0] = inFile;
  theValues[1] = inTarget;
  theValues[2] = inOutput;
  theValues[5] = 255;
  return theValues;
}

class Captured {
 public:
  Captured() : mFolder("shaders_capture") {}
  const std::string& Path() const { return mFolder.Path(); }
  void Write(const std::string& inName, const std::string& inText) const { WriteFile(Path() + "/" + inName, inText); }
  // zorbit-capture of demo.xml into out/; the exit status.
  int Capture(const std::string& inArguments) const {
    const std::string theCommand = "cd '" + Path() + "' && ASAN_OPTIONS=detect_leaks=0 " ZORBIT_BIN_DIR
                                   "/zorbit-capture demo.xml out --quiet " + inArguments + " >capture.txt 2>&1";
    const int theWait = std::system(theCommand.c_str());
    return WIFEXITED(theWait) ? WEXITSTATUS(theWait) : -1;
  }
  Image Frame(int inIndex) const {
    char theName[32];
    std::snprintf(theName, sizeof theName, "/out/frame%05d.png", inIndex);
    Image theImage;
    EXPECT_TRUE(ReadPng(Path() + theName, theImage)) << theName << "\n" << ReadFile(Path() + "/capture.txt");
    return theImage;
  }
  std::string Log() const { return ReadFile(Path() + "/out/Errorlog.txt"); }

 private:
  TempFolder mFolder;
};

// A pixel at (x, y) counted from the bottom-left corner, as shaders count.
const uint8_t* At(const Image& inImage, int inX, int inY) { return inImage.Pixel(inX, inImage.height - 1 - inY); }

TEST(ShaderCapture, TheGradientIsExactAlsoInALetterboxedViewport) {
  Captured theDemo;
  theDemo.Write("gradient.glsl",
                "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
                "  fragColor = vec4(fragCoord / iResolution.xy, 0.0, 1.0);\n"
                "}\n");
  theDemo.Write("demo.xml", demoxml::Document(100, true, {"gradient.glsl"}, kShaders,
                                              {demoxml::Event("shaders.so", "Shader", 0, 100, ShaderParams(Values(0)))}));
  struct Case {
    const char* size;
    int x, y, width, height;  // the 4:3 viewport inside the frame
  } theCases[] = {{"160x120", 0, 0, 160, 120}, {"160x90", 20, 0, 120, 90}, {"120x120", 0, 15, 120, 90}};
  for (const Case& theCase : theCases) {
    ASSERT_EQ(theDemo.Capture(std::string("--fps 25 --to 0 --size ") + theCase.size), 0)
        << ReadFile(theDemo.Path() + "/capture.txt");
    const Image theFrame = theDemo.Frame(0);
    ASSERT_GT(theFrame.width, 0);
    // The viewport is where anything is drawn: every pixel of the gradient
    // has some red and green. The player rounds the letterbox its own way.
    int theLeft = theFrame.width, theRight = -1, theBottom = theFrame.height, theTop = -1;
    for (int y = 0; y < theFrame.height; ++y)
      for (int x = 0; x < theFrame.width; ++x)
        if (At(theFrame, x, y)[0] > 0 || At(theFrame, x, y)[1] > 0) {
          theLeft = std::min(theLeft, x);
          theRight = std::max(theRight, x);
          theBottom = std::min(theBottom, y);
          theTop = std::max(theTop, y);
        }
    const int theWidth = theRight - theLeft + 1, theHeight = theTop - theBottom + 1;
    EXPECT_NEAR(theLeft, theCase.x, 1) << theCase.size;
    EXPECT_NEAR(theBottom, theCase.y, 1) << theCase.size;
    EXPECT_NEAR(theWidth, theCase.width, 1) << theCase.size;
    EXPECT_NEAR(theHeight, theCase.height, 1) << theCase.size;
    for (int y = 0; y < theHeight; ++y)
      for (int x = 0; x < theWidth; ++x) {
        const uint8_t* thePixel = At(theFrame, theLeft + x, theBottom + y);
        ASSERT_LE(std::fabs(thePixel[0] - 255.0 * (x + 0.5) / theWidth), 1.0) << theCase.size << " " << x << "," << y;
        ASSERT_LE(std::fabs(thePixel[1] - 255.0 * (y + 0.5) / theHeight), 1.0) << theCase.size << " " << x << "," << y;
      }
  }
}

// Frame k of a capture at inFps is at demo time floor(k * 1000 / inFps).
TEST(ShaderCapture, TimeDeltaAndFrameAreExactAt25And60Fps) {
  Captured theDemo;
  // Left: the time in ms (red: low byte, green: high byte) and the delta in
  // ms (blue); right: iFrame.
  theDemo.Write("time.glsl",
                "void mainImage(out vec4 c, in vec2 p) {\n"
                "  float ms = floor(iTime * 1000.0 + 0.5);\n"
                "  float delta = floor(iTimeDelta * 1000.0 + 0.5);\n"
                "  c = p.x < iResolution.x * 0.5\n"
                "      ? vec4(mod(ms, 256.0), floor(ms / 256.0), delta, 255.0) / 255.0\n"
                "      : vec4(float(iFrame) / 255.0, 0.0, 0.0, 1.0);\n"
                "}\n");
  theDemo.Write("demo.xml", demoxml::Document(2000, true, {"time.glsl"}, kShaders,
                                              {demoxml::Event("shaders.so", "Shader", 0, 2000, ShaderParams(Values(0)))}));
  for (int theFps : {25, 60}) {
    ASSERT_EQ(theDemo.Capture("--fps " + std::to_string(theFps) + " --to 1000 --size 64x48"), 0)
        << ReadFile(theDemo.Path() + "/capture.txt");
    int thePrevious = 0;
    for (int k = 0; k <= theFps; k += (k < 5 ? 1 : 7)) {
      const int theMs = k * 1000 / theFps;
      const int thePreviousMs = k == 0 ? theMs : (k - 1) * 1000 / theFps;
      const Image theFrame = theDemo.Frame(k);
      ASSERT_GT(theFrame.width, 0);
      const uint8_t* theTime = At(theFrame, 4, 4);
      const uint8_t* theCount = At(theFrame, 60, 4);
      EXPECT_EQ(theTime[0] + 256 * theTime[1], theMs) << theFps << " fps, frame " << k << ": iTime";
      EXPECT_EQ(theTime[2], theMs - thePreviousMs) << theFps << " fps, frame " << k << ": iTimeDelta";
      EXPECT_EQ(theCount[0], k) << theFps << " fps, frame " << k << ": iFrame";
      thePrevious = theMs;
    }
    (void)thePrevious;
  }
}

TEST(ShaderCapture, FeedbackAccumulatesFrameByFrame) {
  Captured theDemo;
  theDemo.Write("accumulate.glsl",
                "void mainImage(out vec4 c, in vec2 p) {\n"
                "  c = texture(iChannel0, p / iResolution.xy) + vec4(1.0 / 255.0, 2.0 / 255.0, 0.0, 1.0);\n"
                "}\n");
  std::vector<int> theValues = Values(0);
  theValues[8] = 3;  // channel 0: feedback
  theValues[10] = 1;
  theDemo.Write("demo.xml", demoxml::Document(1000, true, {"accumulate.glsl"}, kShaders,
                                              {demoxml::Event("shaders.so", "Shader", 0, 1000, ShaderParams(theValues))}));
  ASSERT_EQ(theDemo.Capture("--fps 25 --to 400 --size 64x48"), 0) << ReadFile(theDemo.Path() + "/capture.txt");
  for (int k = 0; k <= 10; ++k) {
    const Image theFrame = theDemo.Frame(k);
    ASSERT_GT(theFrame.width, 0);
    EXPECT_EQ(At(theFrame, 30, 20)[0], k + 1) << "frame " << k;
    EXPECT_EQ(At(theFrame, 30, 20)[1], 2 * (k + 1)) << "frame " << k;
  }
}

TEST(ShaderCapture, ABufferChainAndAPostProcessGiveExactPixels) {
  Captured theDemo;
  theDemo.Write("a.glsl", "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.2, 0.4, 0.6, 1.0); }\n");
  theDemo.Write("image.glsl", "void mainImage(out vec4 c, in vec2 p) { c = texelFetch(iChannel0, ivec2(p), 0); }\n");
  theDemo.Write("invert.glsl",
                "void mainImage(out vec4 c, in vec2 p) {\n"
                "  c = vec4(1.0 - texture(iChannel1, p / iResolution.xy).rgb, 1.0);\n"
                "}\n");
  // Higher tracks run first: A into its target, the image reading it, then the inversion.
  std::vector<int> theA = Values(0, 3, 1);
  std::vector<int> theImage = Values(1);
  theImage[8] = 4;
  theImage[9] = 3;
  theImage[10] = 1;
  std::vector<int> theInvert = Values(2);
  theInvert[11] = 2;
  theInvert[13] = 1;
  theDemo.Write("demo.xml", demoxml::Document(1000, true, {"a.glsl", "image.glsl", "invert.glsl", "A"}, kShaders,
                                              {demoxml::Event("shaders.so", "Shader", 0, 1000, ShaderParams(theInvert)),
                                               demoxml::Event("shaders.so", "Shader", 0, 1000, ShaderParams(theImage)),
                                               demoxml::Event("shaders.so", "Shader", 0, 1000, ShaderParams(theA))}));
  ASSERT_EQ(theDemo.Capture("--fps 25 --to 80 --size 64x48"), 0) << ReadFile(theDemo.Path() + "/capture.txt");
  const Image theFrame = theDemo.Frame(2);
  ASSERT_GT(theFrame.width, 0);
  const uint8_t* thePixel = At(theFrame, 20, 20);
  EXPECT_EQ(thePixel[0], 255 - 51);
  EXPECT_EQ(thePixel[1], 255 - 102);
  EXPECT_EQ(thePixel[2], 255 - 153);
  EXPECT_EQ(theDemo.Log().find("Shader"), std::string::npos) << theDemo.Log();
}

TEST(ShaderCapture, AParameterOnALinCurveReachesTheShaderWithItsScale) {
  Captured theDemo;
  theDemo.Write("value.glsl", "void mainImage(out vec4 c, in vec2 p) { c = vec4(iParam[0], 0.0, 0.0, 1.0); }\n");
  const std::string theCurve =
      "<param type=\"multi\" interpol=\"lin\" val=\"0\"><seg time=\"1000\" val=\"1000\"/></param>";
  theDemo.Write("demo.xml", demoxml::Document(1000, true, {"value.glsl"}, kShaders,
                                              {demoxml::Event("shaders.so", "Shader", 0, 1000,
                                                              ShaderParams(Values(0), theCurve))}));
  ASSERT_EQ(theDemo.Capture("--fps 10 --to 1000 --size 64x48"), 0) << ReadFile(theDemo.Path() + "/capture.txt");
  for (int k = 0; k <= 10; ++k) {
    const Image theFrame = theDemo.Frame(k);
    ASSERT_GT(theFrame.width, 0);
    EXPECT_NEAR(At(theFrame, 10, 10)[0], 255.0 * k / 10.0, 1.0) << "frame " << k << ": value " << k * 100;
  }
}

TEST(ShaderCapture, DrawGridShowsAShadersTarget) {
  Captured theDemo;
  // The top half red, the bottom half green, the way the shader counts.
  theDemo.Write("picture.glsl",
                "void mainImage(out vec4 c, in vec2 p) {\n"
                "  c = p.y > iResolution.y * 0.5 ? vec4(1.0, 0.0, 0.0, 1.0) : vec4(0.0, 1.0, 0.0, 1.0);\n"
                "}\n");
  // imagery.so registers TXTR first: it finds no file of the target's name
  // and leaves the name to shaders.so without a word.
  const std::string theLibraries = demoxml::Library("imagery.so", {"MakeMovie"}) + kShaders +
                                   demoxml::Library("scene.so", {"Scene3D", "DrawGrid"}) +
                                   demoxml::Library("grids.so", {"MakeGrid"});
  // Texts: 0 the file, 1 the target, 2 the grid, 3 the 3D group.
  std::vector<int> theShader = Values(0, 1, 1);
  theShader[3] = 64;
  theShader[4] = 64;
  const std::string theScene = demoxml::Consts({3, 0, 0, 600000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0});
  const std::string theGrid = demoxml::Consts({2, 1, 1, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255, 255, 1, 0, 100000, 3, 0});
  theDemo.Write("demo.xml",
                demoxml::Document(1000, true, {"picture.glsl", "pic", "floor", "main"}, theLibraries,
                                  {demoxml::Event("scene.so", "Scene3D", 0, 1000, theScene),
                                   demoxml::Event("scene.so", "DrawGrid", 0, 1000, theGrid),
                                   demoxml::Event("grids.so", "MakeGrid", 0, 1000, demoxml::Consts({2, 400, 400, 2, 2})),
                                   demoxml::Event("shaders.so", "Shader", 0, 1000, ShaderParams(theShader))}));
  ASSERT_EQ(theDemo.Capture("--fps 25 --to 40 --size 160x120"), 0) << ReadFile(theDemo.Path() + "/capture.txt");
  const Image theFrame = theDemo.Frame(1);
  ASSERT_GT(theFrame.width, 0);
  const uint8_t* theTop = At(theFrame, 80, 80);
  const uint8_t* theBottom = At(theFrame, 80, 40);
  EXPECT_GT(theTop[0], 200) << "the grid's top is not the picture's red top";
  EXPECT_LT(theTop[1], 50);
  EXPECT_GT(theBottom[1], 200) << "the grid's bottom is not the picture's green bottom";
  EXPECT_LT(theBottom[0], 50);
  EXPECT_EQ(theDemo.Log(), "") << "a warning about the target's name";
}

}  // namespace
