// shaders.so in the host of plug-in tests under Xvfb: what a Shader event
// draws, read back from the window; its channels, targets and failures; the
// OpenGL state it leaves; and edit mode's recompiling of a saved file.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <zorbit/oglstate.h>

#include "glwindow.h"
#include "tempfolder.h"
#include "testhost.h"
#include "textfile.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 256;

// A Shader event's 40 values: file, then the named ones, zeros elsewhere.
struct Params {
  std::vector<int32_t> v = std::vector<int32_t>(40, 0);
  Params(int32_t inFile) {
    v[0] = inFile;
    v[1] = -1;
    v[5] = 255;
  }
  Params& Set(int inIndex, int32_t inValue) {
    v[size_t(inIndex)] = inValue;
    return *this;
  }
  Params& Channel(int inChannel, int32_t inSource, int32_t inName = -1, int32_t inSampling = 0) {
    v[size_t(8 + 3 * inChannel)] = inSource;
    v[size_t(9 + 3 * inChannel)] = inName;
    v[size_t(10 + 3 * inChannel)] = inSampling;
    return *this;
  }
};

struct Rgba {
  int r, g, b, a;
};

Rgba ReadPixel(int inX, int inY) {
  unsigned char p[4] = {};
  glReadPixels(inX, inY, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

// A music record of the test's own, for channels of source 5.
MusicRecord gMusic{};
void* ProduceMusic(const char*, void*, bool& outStatic) {
  outStatic = false;
  return &gMusic;
}

// A picture as an image texture has it: rows from the top, padded to a
// power of two, its share given by the extents. 3 x 2 pixels in 4 x 2: the
// top row red, the bottom row blue.
TextureRecord gPicture{};
void* ProducePicture(const char* inName, void*, bool& outStatic) {
  outStatic = true;
  return std::string(inName) == "picture.png" ? &gPicture : nullptr;
}

class ShadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGLWindow(kWidth, kHeight));
    mState = std::make_unique<OGLState>(kWidth, kHeight);
    MakeCurrent(mState.get());
    while (glGetError() != GL_NO_ERROR) {
    }
    ASSERT_FALSE(mFolder.Path().empty());
    mHost = std::make_unique<TestHost>(mState.get());
  }
  void TearDown() override {
    for (auto& theSlot : mSlots) End(theSlot.second);
    mHost.reset();
    MakeCurrent(nullptr);
    mState.reset();
    unsetenv("ZORBIT_EDIT");
  }
  void Load() {
    ASSERT_TRUE(mHost->Load("shaders")) << mHost->mLoadError;
    mShader = mHost->Symbol("Shader");
    ASSERT_NE(mShader, nullptr);
  }

  // The text number of a shader file written into the test's folder.
  int32_t File(const std::string& inName, const std::string& inText) {
    const std::string thePath = mFolder.Path() + "/" + inName;
    WriteFile(thePath, inText);
    return mHost->Name(thePath);
  }

  // One frame of an event: make on its first call, then run, at inElapsed ms.
  int32_t Frame(int inEvent, const Params& inParams, int32_t inElapsed = 0, uint32_t inStart = 0) {
    void*& theSlot = mSlots[inEvent].slot;
    mSlots[inEvent].params = inParams;
    FrameInfo theInfo = MakeInfo(PHASE_MAKE, inStart, 100000, false, inElapsed);
    if (theSlot == nullptr) CallEffect(mShader, theInfo, &theSlot, inParams.v);
    theInfo = MakeInfo(PHASE_RUN, inStart, 100000, false, inElapsed);
    CallEffect(mShader, theInfo, &theSlot, inParams.v);
    return theInfo.status;
  }
  struct Slot {
    void* slot = nullptr;
    Params params{-1};
  };
  void End(Slot& ioSlot) {
    if (ioSlot.slot == nullptr) return;
    FrameInfo theInfo = MakeInfo(PHASE_DESTROY);
    CallEffect(mShader, theInfo, &ioSlot.slot, ioSlot.params.v);
    ioSlot.slot = nullptr;
  }
  void EndEvent(int inEvent) { End(mSlots[inEvent]); }

  void Clear(float inR, float inG, float inB) {
    glClearColor(inR, inG, inB, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
  }

  TempFolder mFolder{"shaders_gl"};
  std::unique_ptr<OGLState> mState;
  std::unique_ptr<TestHost> mHost;
  void* mShader = nullptr;
  std::map<int, Slot> mSlots;
};

const char* const kGradient =
    "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
    "  fragColor = vec4(fragCoord / iResolution.xy, 0.0, 1.0);\n"
    "}\n";

// The gradient of a viewport at (inX, inY) of inWidth x inHeight pixels,
// checked from its column inFrom on.
void ExpectGradient(int inX, int inY, int inWidth, int inHeight, const char* inWhat, int inFrom = 0) {
  for (int y = 0; y < inHeight; y += 7)
    for (int x = inFrom; x < inWidth; x += 7) {
      const Rgba thePixel = ReadPixel(inX + x, inY + y);
      const double theR = 255.0 * (x + 0.5) / inWidth, theG = 255.0 * (y + 0.5) / inHeight;
      ASSERT_LE(std::fabs(thePixel.r - theR), 1.0) << inWhat << " at " << x << "," << y;
      ASSERT_LE(std::fabs(thePixel.g - theG), 1.0) << inWhat << " at " << x << "," << y;
      ASSERT_EQ(thePixel.b, 0) << inWhat;
    }
}

TEST_F(ShadersTest, TheGradientFillsTheLetterboxedViewport) {
  Load();
  const int32_t theFile = File("gradient.glsl", kGradient);
  Clear(0, 0, 1);
  // Tracker viewport: top-left origin; 200 x 100 from (30, 40).
  PushViewport(30, 40, 200, 100);
  EXPECT_EQ(Frame(0, Params(theFile)), STATUS_UNCHANGED) << mHost->AllWarnings();
  PopViewport();
  const int theGLY = kHeight - 40 - 100;
  ExpectGradient(30, theGLY, 200, 100, "letterboxed");
  EXPECT_EQ(ReadPixel(29, theGLY + 50).b, 255) << "drawn left of the viewport";
  EXPECT_EQ(ReadPixel(30, theGLY - 1).b, 255) << "drawn below the viewport";
  EXPECT_EQ(mHost->AllWarnings(), "");
}

TEST_F(ShadersTest, EveryDialectDrawsTheGradient) {
  Load();
  // The texture channel shows a picture whose rows come from the top: the
  // Shadertoy dialect turns it, so the picture's top row is at the top.
  const unsigned char thePixels[] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0,
                                     0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0};
  glGenTextures(1, &gPicture.texture);
  glBindTexture(GL_TEXTURE_2D, gPicture.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, thePixels);
  glBindTexture(GL_TEXTURE_2D, 0);
  gPicture.width = 3;
  gPicture.height = 2;
  gPicture.sExtent = 0.75f;
  gPicture.tExtent = 1.0f;
  mHost->AddProducer(KIND_TXTR, &ProducePicture);
  const int32_t thePicture = mHost->Name("picture.png");
  const char* const kDialects[] = {"shadertoy_texture2d", "shadertoy_texture", "shadertoy_globaltime",
                                   "version100",          "version150",        "version300es",
                                   "version330",          "version450"};
  int theEvent = 0;
  for (const char* theName : kDialects) {
    const std::string theText = ReadFile(std::string(ZORBIT_TEST_DATA_DIR) + "/tests/dialects/" + theName + ".glsl");
    const int32_t theFile = File(std::string(theName) + ".glsl", theText);
    Clear(0, 0, 0);
    EXPECT_EQ(Frame(theEvent++, Params(theFile).Channel(0, 1, thePicture, 1)), STATUS_UNCHANGED)
        << theName << ": " << mHost->AllWarnings();
    const bool theTextured = std::string(theName).find("texture") != std::string::npos;
    ExpectGradient(0, 0, kWidth, kHeight, theName, theTextured ? kWidth / 2 + 1 : 0);
    if (theTextured) {
      const Rgba theTop = ReadPixel(10, kHeight - 10), theBottom = ReadPixel(10, 10);
      EXPECT_EQ(theTop.r, 255) << theName << ": the picture's top row is not at the top";
      EXPECT_EQ(theBottom.b, 255) << theName << ": the picture's bottom row is not at the bottom";
    }
  }
  EXPECT_EQ(mHost->AllWarnings(), "");
  for (auto& theSlot : mSlots) End(theSlot.second);
  glDeleteTextures(1, &gPicture.texture);
}

TEST_F(ShadersTest, ParametersAndTimeReachTheShader) {
  Load();
  const int32_t theFile = File("values.glsl",
                               "void mainImage(out vec4 c, in vec2 p) {\n"
                               "  c = vec4(iParam[0], float(iParamInt[19]) / 255.0, iTime / 10.0 + float(iFrame) / 255.0, 1.0);\n"
                               "}\n");
  Params theParams(theFile);
  theParams.Set(20, 500).Set(39, 51);
  Frame(0, theParams, 0);
  Frame(0, theParams, 2000);
  const Rgba thePixel = ReadPixel(5, 5);
  EXPECT_NEAR(thePixel.r, 128, 1) << "iParam is the value / 1000";
  EXPECT_EQ(thePixel.g, 51) << "iParamInt is the value";
  EXPECT_NEAR(thePixel.b, 52, 1) << "iTime is the elapsed time in seconds, iFrame counts the frames";
}

TEST_F(ShadersTest, ACommentGivesAValueToTheShadersOwnUniform) {
  Load();
  const int32_t theFile = File("named.glsl",
                               "uniform float brightness; // iParam[2]\n"
                               "uniform int level;        // iParamInt[5]\n"
                               "void mainImage(out vec4 c, in vec2 p) { c = vec4(brightness, float(level) / 255.0, 0.0, 1.0); }\n");
  Frame(0, Params(theFile).Set(22, 250).Set(25, 77));
  const Rgba thePixel = ReadPixel(9, 9);
  EXPECT_NEAR(thePixel.r, 64, 1) << "value 2 / 1000";
  EXPECT_EQ(thePixel.g, 77) << "value 5 as it is";
  EXPECT_EQ(mHost->AllWarnings(), "");
}

TEST_F(ShadersTest, FeedbackAccumulatesAndBuffersChain) {
  Load();
  const int32_t theAccumulate = File("accumulate.glsl",
                                     "void mainImage(out vec4 c, in vec2 p) {\n"
                                     "  c = texture(iChannel0, p / iResolution.xy) + vec4(1.0 / 255.0);\n"
                                     "}\n");
  const int32_t theShow = File("show.glsl",
                               "void mainImage(out vec4 c, in vec2 p) { c = texelFetch(iChannel0, ivec2(p), 0); }\n");
  const int32_t theBuffer = mHost->Name("accumulated");
  // Event 0 accumulates into the target "accumulated" only; event 1 shows it.
  Params theWriter = Params(theAccumulate).Set(1, theBuffer).Set(2, 1).Channel(0, 3);
  Params theReader = Params(theShow).Channel(0, 4, theBuffer, 1);
  for (int k = 1; k <= 10; ++k) {
    Clear(0, 0, 0);
    Frame(0, theWriter, k * 40);
    Frame(1, theReader, k * 40);
    const Rgba thePixel = ReadPixel(100, 100);
    ASSERT_EQ(thePixel.r, k) << "frame " << k << ": " << mHost->AllWarnings();
  }
  // Its picture as a TXTR texture, rows from the top as images have them.
  TextureRecord* theRecord = static_cast<TextureRecord*>(mHost->Produce(KIND_TXTR, "accumulated"));
  ASSERT_NE(theRecord, nullptr);
  EXPECT_EQ(theRecord->width, kWidth);
  EXPECT_EQ(theRecord->height, kHeight);
  std::vector<unsigned char> thePixels(size_t(kWidth) * kHeight * 4);
  glBindTexture(GL_TEXTURE_2D, theRecord->texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, thePixels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(thePixels[0], 10) << "the offered texture does not hold the picture";
  // A seek starts the events again: the buffer is cleared.
  EndEvent(0);
  EndEvent(1);
  Clear(0, 0, 0);
  Frame(0, theWriter, 0);
  Frame(1, theReader, 0);
  EXPECT_EQ(ReadPixel(100, 100).r, 1) << "the buffer was not cleared when its event started again";
  EXPECT_EQ(mHost->AllWarnings(), "");
}

TEST_F(ShadersTest, APostProcessInvertsTheFrameDrawnSoFar) {
  Load();
  const int32_t theInvert = File("invert.glsl",
                                 "void mainImage(out vec4 c, in vec2 p) {\n"
                                 "  c = vec4(1.0 - texture(iChannel0, p / iResolution.xy).rgb, 1.0);\n"
                                 "}\n");
  Clear(0.2f, 0.4f, 0.6f);
  Frame(0, Params(theInvert).Channel(0, 2, -1, 1));
  const Rgba thePixel = ReadPixel(17, 200);
  EXPECT_EQ(thePixel.r, 255 - 51);
  EXPECT_EQ(thePixel.g, 255 - 102);
  EXPECT_EQ(thePixel.b, 255 - 153);
}

TEST_F(ShadersTest, BlendModesMixWithWhatIsDrawn) {
  Load();
  const int32_t theHalf = File("half.glsl", "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.4, 0.4, 0.4, 0.5); }\n");
  struct Case {
    int blend, opacity;
    int expected;  // red over a frame of red 0.2 (51)
  } theCases[] = {
      {0, 255, 102}, {0, 128, 76}, {1, 255, 76}, {1, 128, 64}, {2, 255, 153}, {2, 128, 102}, {3, 255, 20}, {3, 128, 36},
  };
  int theEvent = 0;
  for (const Case& theCase : theCases) {
    Clear(0.2f, 0.2f, 0.2f);
    Frame(theEvent++, Params(theHalf).Set(5, theCase.opacity).Set(6, theCase.blend));
    EXPECT_NEAR(ReadPixel(50, 50).r, theCase.expected, 1) << "blend " << theCase.blend << ", opacity " << theCase.opacity;
  }
}

TEST_F(ShadersTest, MusicChannelsShowTheRecord) {
  Load();
  mHost->AddProducer(KIND_MUSC, &ProduceMusic);
  gMusic.sampleRate = 48000;
  gMusic.time = 1500;
  gMusic.serial = 1;
  for (int i = 0; i < 512; ++i) {
    gMusic.levels[0][i] = uint8_t(i / 2);
    gMusic.levels[1][i] = 128;
  }
  for (int i = 0; i < 1024; ++i) gMusic.spectrum[i] = gMusic.smoothed[i] = 0.25f;
  const int32_t theFile = File("music.glsl",
                               "void mainImage(out vec4 c, in vec2 p) {\n"
                               "  float s = texture(iChannel0, vec2(p.x / iResolution.x, 0.25)).r;\n"
                               "  float w = texture(iChannel0, vec2(p.x / iResolution.x, 0.75)).r;\n"
                               "  c = vec4(s, w, texture(iSpectrum, vec2(0.5, 0.25)).r, 1.0);\n"
                               "  if (iSampleRate != 48000.0 || iChannelTime[0] != 1.5) c = vec4(0.0);\n"
                               "}\n");
  Frame(0, Params(theFile).Channel(0, 5, mHost->Name("music"), 1));
  const Rgba thePixel = ReadPixel(128, 10);
  EXPECT_EQ(thePixel.r, 128) << "the spectrum bytes are row 0 (all black: iSampleRate or iChannelTime is wrong)";
  EXPECT_EQ(thePixel.g, 128) << "the waveform bytes are row 1";
  EXPECT_NEAR(thePixel.b, 64, 1) << "iSpectrum holds the float spectrum";
  // A new serial is uploaded.
  for (int i = 0; i < 512; ++i) gMusic.levels[0][i] = 255;
  gMusic.serial = 2;
  Frame(0, Params(theFile).Channel(0, 5, mHost->Name("music"), 1), 40);
  EXPECT_EQ(ReadPixel(128, 10).r, 255);
}

TEST_F(ShadersTest, FailuresWarnAndDrawNothing) {
  Load();
  std::string theBig(2 * 1024 * 1024, ' ');
  std::string theBroken = "void mainImage(out vec4 c, in vec2 p) {\n";
  for (int i = 2; i < 17; ++i) theBroken += "  // line " + std::to_string(i) + "\n";
  theBroken += "  c = vec4(undeclaredThing);\n}\n";
  struct Case {
    std::string name, text;
    std::vector<std::pair<int, int32_t>> params;
    const char* warning;
    bool draws;
  } theCases[] = {
      {"broken.glsl", theBroken, {}, "broken.glsl:17:", false},
      {"empty.glsl", "", {}, "is empty", false},
      {"binary.glsl", std::string("\x7f" "ELF\0\0\x01", 7), {}, "NUL byte", false},
      {"huge.glsl", theBig, {}, "larger than 1 MiB", false},
      {"nomain.glsl", "float f() { return 1.0; }\n", {}, "neither main nor mainImage", false},
      {"retyped.glsl", "uniform vec2 iResolution;\n" + std::string(kGradient), {}, "iResolution", true},
      {"nobuffer.glsl", kGradient, {{8, 4}, {9, 0}}, "no Shader event draws", true},
      {"zero.glsl", kGradient, {{1, 0}, {2, 1}, {3, -4}}, "cannot be drawn", false},
  };
  int theEvent = 0;
  for (const Case& theCase : theCases) {
    Params theParams(File(theCase.name, theCase.text));
    for (const auto& theParam : theCase.params) theParams.Set(theParam.first, theParam.second);
    Clear(0, 0, 1);
    const int32_t theStatus = Frame(theEvent++, theParams);
    const std::string theWarnings = mHost->AllWarnings();
    mHost->TakeWarnings();
    EXPECT_NE(theWarnings.find(theCase.warning), std::string::npos) << theCase.name << ": " << theWarnings;
    EXPECT_EQ(theStatus == STATUS_FAILED, !theCase.draws) << theCase.name;
    if (!theCase.draws) {
      EXPECT_EQ(ReadPixel(100, 100).b, 255) << theCase.name << " drew";
    }
  }
  Clear(0, 0, 1);
  EXPECT_EQ(Frame(theEvent++, Params(mHost->Name(mFolder.Path() + "/missing.glsl"))), STATUS_FAILED);
  EXPECT_NE(mHost->AllWarnings().find("cannot be opened"), std::string::npos) << mHost->AllWarnings();
}

TEST_F(ShadersTest, HostileParametersWarnOnceAndDrawOn) {
  Load();
  const int32_t theFile = File("hostile.glsl", kGradient);
  const int32_t theA = mHost->Name("A"), theB = mHost->Name("B");
  // Two buffers that read each other: a cycle, each sees the other's previous frame.
  Params theReadsB = Params(theFile).Set(1, theA).Set(2, 1).Channel(0, 4, theB);
  Params theReadsA = Params(theFile).Set(1, theB).Set(2, 1).Channel(0, 4, theA);
  // Values no table knows: an unknown source, names that are no text,
  // sampling and opacity beyond their ranges, an unknown blend and output.
  Params theOdd = Params(theFile).Set(2, 77).Set(5, 100000).Set(6, -3).Set(7, 9);
  theOdd.Channel(0, 99).Channel(1, 1, 12345, -1).Channel(2, 4, -7, 1 << 30).Channel(3, 5, 99999);
  for (int k = 0; k < 3; ++k) {
    Frame(0, theReadsB, k * 40);
    Frame(1, theReadsA, k * 40);
    Clear(0, 0, 1);
    EXPECT_EQ(Frame(2, theOdd, k * 40), STATUS_UNCHANGED) << "the odd values stop the event";
  }
  const std::string theWarnings = mHost->AllWarnings();
  EXPECT_NE(theWarnings.find("a cycle"), std::string::npos) << theWarnings;
  EXPECT_NE(theWarnings.find("unknown source 99"), std::string::npos) << theWarnings;
  EXPECT_NE(theWarnings.find("no texture name"), std::string::npos) << theWarnings;
  EXPECT_NE(theWarnings.find("no buffer name"), std::string::npos) << theWarnings;
  size_t theCount = 0;
  for (size_t theAt = theWarnings.find("unknown source"); theAt != std::string::npos;
       theAt = theWarnings.find("unknown source", theAt + 1))
    ++theCount;
  EXPECT_EQ(theCount, 1u) << "a warning repeated every frame: " << theWarnings;
  ExpectGradient(0, 0, kWidth, kHeight, "odd values");
}

TEST_F(ShadersTest, TheStateTrackerFindsOpenGLAsItLeftIt) {
  Load();
  const int32_t theFile = File("state.glsl", kGradient);
  PushViewport(10, 20, 100, 50);
  PushState(STATE_BLEND, 1);
  PushState(STATE_BLEND_SRC, GL_SRC_ALPHA);
  PushState(STATE_BLEND_DST, GL_ONE);
  PushTextureUsed(0);
  GLint theBefore[4];
  glGetIntegerv(GL_VIEWPORT, theBefore);
  Frame(0, Params(theFile).Set(1, mHost->Name("t")).Set(2, 2).Set(6, 2).Channel(0, 2).Channel(1, 3));
  mHost->Produce(KIND_TXTR, "t");
  GLint theAfter[4], theProgram = -1, theFramebuffer = -1, theSrc = 0, theDst = 0, theUnit = 0;
  glGetIntegerv(GL_VIEWPORT, theAfter);
  glGetIntegerv(GL_CURRENT_PROGRAM, &theProgram);
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &theFramebuffer);
  glGetIntegerv(GL_BLEND_SRC_RGB, &theSrc);
  glGetIntegerv(GL_BLEND_DST_RGB, &theDst);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &theUnit);
  EXPECT_EQ(std::vector<GLint>(theAfter, theAfter + 4), std::vector<GLint>(theBefore, theBefore + 4));
  EXPECT_EQ(theProgram, 0);
  EXPECT_EQ(theFramebuffer, 0);
  EXPECT_EQ(theSrc, GL_SRC_ALPHA);
  EXPECT_EQ(theDst, GL_ONE);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(theUnit, GL_TEXTURE0);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  PopTextureUsed();
  PopState(STATE_BLEND_DST);
  PopState(STATE_BLEND_SRC);
  PopState(STATE_BLEND);
  PopViewport();
}

// Gives the file a new time stamp a second later, as a save does.
void Save(const std::string& inPath, const std::string& inText, int inSecond) {
  WriteFile(inPath, inText);
  struct timespec theTimes[2] = {{1000000 + inSecond, 0}, {1000000 + inSecond, 0}};
  utimensat(AT_FDCWD, inPath.c_str(), theTimes, 0);
}

TEST_F(ShadersTest, EditModeRecompilesASavedFileInPlace) {
  setenv("ZORBIT_EDIT", "1", 1);
  Load();
  const std::string thePath = mFolder.Path() + "/live.glsl";
  const std::string kRed = "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0, 0.0, 0.0, 1.0); }\n";
  const std::string kGreen = "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.0, (128.0 + float(iFrame)) / 255.0, 0.0, 1.0); }\n";
  Save(thePath, kRed, 1);
  const Params theParams(mHost->Name(thePath));
  Frame(0, theParams, 0);
  EXPECT_EQ(ReadPixel(200, 20).r, 255);
  Save(thePath, "void mainImage(out vec4 c, in vec2 p) { c = vec4(nothing); }\n", 2);
  Clear(0, 0, 0);
  Frame(0, theParams, 40);
  EXPECT_EQ(ReadPixel(200, 20).r, 255) << "a broken save keeps the last good program";
  EXPECT_NE(mHost->AllWarnings().find("live.glsl:1:"), std::string::npos) << mHost->AllWarnings();
  // The message is shown over the picture's top-left corner.
  bool theShown = false;
  for (int x = 0; x < 120 && !theShown; ++x)
    for (int y = kHeight - 30; y < kHeight && !theShown; ++y) theShown = ReadPixel(x, y).r != 255;
  EXPECT_TRUE(theShown) << "no message over the picture";
  Save(thePath, kGreen, 3);
  Frame(0, theParams, 80);
  const Rgba thePixel = ReadPixel(200, 20);
  EXPECT_EQ(thePixel.r, 0) << "the fixed save does not draw";
  EXPECT_EQ(thePixel.g, 128 + 2) << "the frame count went on through the saves";
  EXPECT_EQ(ReadPixel(5, kHeight - 5).g, 130) << "the message stayed after a good save";
}

TEST_F(ShadersTest, PlainModeDoesNotFollowSaves) {
  Load();
  const std::string thePath = mFolder.Path() + "/plain.glsl";
  Save(thePath, "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0, 0.0, 0.0, 1.0); }\n", 1);
  const Params theParams(mHost->Name(thePath));
  Frame(0, theParams, 0);
  Save(thePath, "void mainImage(out vec4 c, in vec2 p) { c = vec4(0.0, 1.0, 0.0, 1.0); }\n", 2);
  Frame(0, theParams, 40);
  EXPECT_EQ(ReadPixel(20, 20).r, 255);
}

}  // namespace
