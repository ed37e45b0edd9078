// Font3D, SwarmText3D and the effects Text3D and TextSwarm3D of fonts.so,
// with real fonts, a real OpenGL context and real scene groups, through a
// host whose registry records what the effects ask for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <zorbit/lattice/axisnode3d.h>
#include "font3d.h"
#include "fontcache.h"
#include "glwindow.h"
#include "testhost.h"
#include <zorbit/lattice/groupnode3d.h>
#include "fontsapi.h"
#include "swarmtext3d.h"
#include "text3d.h"

#include <GL/gl.h>
#include "textswarm3d.h"

extern "C" bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void**);
extern "C" bool Zorbit_Quit();

namespace {

const char* const kSerif = "/usr/share/fonts/truetype/freefont/FreeSerif.ttf";

// The 3D group and the swarm the effects find in the registry.
GroupNode3D gGroup;
SwarmRecord gSwarm = {};
bool gSwarmStatic = true;

void* ProduceGroup(const char* inName, void*, bool&) {
  return strcmp(inName, "scene") == 0 ? &gGroup : nullptr;
}
void* ProduceSwarm(const char* inName, void*, bool& outIsStatic) {
  if (strcmp(inName, "swarm") != 0) return nullptr;
  outIsStatic = gSwarmStatic;
  return &gSwarm;
}

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Zorbit_Init(nullptr, nullptr, mHost.Table()));
    mHost.AddProducer(KIND_3DWR, &ProduceGroup);
    mHost.AddProducer(KIND_SWRM, &ProduceSwarm);
    mFontName = mHost.AddText(kSerif);
    mGroupName = mHost.AddText("scene");
    mSwarmName = mHost.AddText("swarm");
    mMissing = mHost.AddText("no/such/font.ttf");
    gGroup.Clear();
    gSwarmStatic = true;
    gSwarm = SwarmRecord{};
  }
  void TearDown() override {
    EXPECT_EQ(UsedFontSlots(), 0) << "an effect kept its font after its last call";
    Zorbit_Quit();
  }

  const ResourceFont* Font(int32_t inSize) {
    bool theStatic = false;
    const ResourceFont* theFont = static_cast<const ResourceFont*>(ProduceFont(kSerif, &inSize, theStatic));
    ReleaseFont(kSerif, &inSize);  // tests only read the metrics while an effect holds the font
    return theFont;
  }

  // Text3D parameters: a text at the origin, unrotated, white, opaque, scale 1.
  std::array<int32_t, 19> Text3DParams(int32_t inText, int32_t inSize) {
    return {inText, mFontName, inSize, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255, 255, 770, 771, 100000, mGroupName, 0};
  }
  bool CallText3D(int32_t inPhase, void** ioSlot, const std::array<int32_t, 19>& p) {
    mInfo.phase = inPhase;
    mInfo.status = 0;
    return Text3D(&mInfo, ioSlot, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11], p[12],
                  p[13], p[14], p[15], p[16], p[17], p[18]);
  }
  std::array<int32_t, 17> SwarmParams(int32_t inText, int32_t inSize) {
    return {inText, mSwarmName, mFontName, inSize, 0, 0, 0, 0, 0, 0, 10000, 255, 770, 771, 100000, mGroupName, 0};
  }
  bool CallSwarm(int32_t inPhase, void** ioSlot, const std::array<int32_t, 17>& p) {
    mInfo.phase = inPhase;
    mInfo.status = 0;
    return TextSwarm3D(&mInfo, ioSlot, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11],
                       p[12], p[13], p[14], p[15], p[16]);
  }

  TestHost mHost{OpenTestWindow()};
  FrameInfo mInfo = {};
  int32_t mFontName = 0, mGroupName = 0, mSwarmName = 0, mMissing = 0;
};

// Keeps a font loaded for the length of a test that builds nodes by hand.
struct HeldFont {
  explicit HeldFont(int32_t inSize) : size(inSize) {
    bool theStatic = false;
    font = static_cast<const ResourceFont*>(ProduceFont(kSerif, &size, theStatic));
  }
  ~HeldFont() { ReleaseFont(kSerif, &size); }
  int32_t size;
  const ResourceFont* font;
};

TEST_F(EffectsTest, Font3DHasNoQuadsForEmptyNullOrBlankTexts) {
  HeldFont theHeld(24);
  ASSERT_NE(theHeld.font, nullptr);
  for (const char* theText : {"", static_cast<const char*>(nullptr), " ", " \t\r\n  "}) {
    Font3D theNode(*theHeld.font, theText, 255, 255, 255);
    EXPECT_EQ(theNode.GetVertexCount(), 0) << "text '" << (theText ? theText : "(null)") << "'";
  }
  Font3D theMixed(*theHeld.font, "a b\tc\n", 1, 2, 3);
  EXPECT_EQ(theMixed.GetVertexCount(), 12) << "three visible characters";
}

TEST_F(EffectsTest, Font3DCentresALineAndMapsEachGlyphToItsAtlasImage) {
  HeldFont theHeld(32);
  const ResourceFont& f = *theHeld.font;
  const int A = 'A';
  Font3D theA(f, "A", 255, 255, 255);
  ASSERT_EQ(theA.GetVertexCount(), 4);
  EXPECT_EQ(theA.GetPrimitive(), 7) << "GL_QUADS";
  const float* v = theA.GetVertices();
  const float theLeftEdge = float(-((f.advance[A] >> 16) / 2) + f.left[A]);
  EXPECT_FLOAT_EQ(v[0], theLeftEdge);
  EXPECT_FLOAT_EQ(v[3], theLeftEdge + float(f.width[A]));
  EXPECT_FLOAT_EQ(v[1], float(f.top[A]));
  EXPECT_FLOAT_EQ(v[7], float(f.top[A] - f.height[A]));
  EXPECT_LT(v[0], 0.0f);
  EXPECT_GT(v[3], 0.0f);
  EXPECT_LE(std::fabs(v[0] + v[3]), 2.0f + std::fabs(float(f.advance[A] >> 16) - 2.0f * f.left[A] - f.width[A]))
      << "the letter sits around x = 0";

  // Every printable Latin-1 character: quads within the atlas, at the
  // character's image, laid out left to right from -width/2.
  std::string theText;
  for (int c = 33; c < 256; ++c) {
    if (c != 127) theText += char(c);
  }
  Font3D theLine(f, theText.c_str(), 255, 255, 255);
  const float k = theLine.GetTexCoordScale();
  const int16_t* t = theLine.GetTexCoords();
  const float* q = theLine.GetVertices();
  int32_t thePen = -(GetStringPixels(f, theText.c_str(), 0, int32_t(theText.size())) / 2) * 64;
  ASSERT_EQ(theLine.GetVertexCount(), int32_t(theText.size()) * 4);
  for (size_t i = 0; i < theText.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(theText[i]);
    for (int corner = 0; corner < 4; ++corner) {
      ASSERT_GE(t[i * 8 + corner * 2], 0);
      ASSERT_LE(t[i * 8 + corner * 2], int16_t(k));
      ASSERT_GE(t[i * 8 + corner * 2 + 1], 0);
      ASSERT_LE(t[i * 8 + corner * 2 + 1], int16_t(k));
    }
    EXPECT_EQ(t[i * 8 + 0], int16_t(int32_t(float(f.glyphX[c]) * k / f.atlasWidth))) << "code " << int(c);
    EXPECT_EQ(t[i * 8 + 5], int16_t(int32_t(float(f.glyphY[c] + f.height[c]) * k / f.atlasHeight)))
        << "code " << int(c);
    EXPECT_FLOAT_EQ(q[i * 12], float((thePen >> 6) + f.left[c])) << "code " << int(c);
    thePen += f.advance[c] >> 10;
  }
  EXPECT_EQ(theLine.GetTexture(), f.texture);
}

TEST_F(EffectsTest, Font3DFoldsOpacityIntoItsColour) {
  HeldFont theHeld(16);
  Font3D theNode(*theHeld.font, "x", 0x12, 0x34, 0x56);
  EXPECT_EQ(theNode.GetColour(), 0xFF123456u);
  theNode.SetOpacity(0x80);
  EXPECT_EQ(theNode.GetColour(), 0x80123456u);
  theNode.SetColour(0x00ABCDEF);
  EXPECT_EQ(theNode.GetColour(), 0x80ABCDEFu);
  EXPECT_FALSE(theNode.HasVertexColours());
  EXPECT_TRUE(theNode.HasTexture() && theNode.HasTexCoords());
}

TEST_F(EffectsTest, Text3DShowsItsTextFromTheFirstRunOn) {
  const int32_t theText = mHost.AddText("Hello");
  auto p = Text3DParams(theText, 24);
  void* theSlot = nullptr;
  ASSERT_TRUE(CallText3D(PHASE_MAKE, &theSlot, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT);
  EXPECT_EQ(gGroup.GetChildCount(), 0u) << "the first call adds nothing";
  ASSERT_NE(theSlot, nullptr);

  p[3] = 5000;      // x = 5
  p[4] = -2500;     // y = -2.5
  p[16] = 50000;    // half size
  p[6] = 0; p[7] = 0; p[8] = 10000; p[9] = 0;  // half a turn about z
  ASSERT_TRUE(CallText3D(PHASE_RUN, &theSlot, p));
  EXPECT_EQ(mInfo.status, STATUS_UNCHANGED);
  ASSERT_EQ(gGroup.GetChildCount(), 1u);
  Font3D* theNode = dynamic_cast<Font3D*>(gGroup.GetChild(0));
  ASSERT_NE(theNode, nullptr);
  EXPECT_EQ(theNode->GetVertexCount(), 20);
  EXPECT_FLOAT_EQ(theNode->mPosition[0], 5.0f);
  EXPECT_FLOAT_EQ(theNode->mPosition[1], -2.5f);
  EXPECT_NEAR(theNode->mMatrix[0], -0.5f, 1e-5) << "rotated half a turn and halved";
  EXPECT_NEAR(theNode->mMatrix[4], -0.5f, 1e-5);
  EXPECT_NEAR(theNode->mMatrix[8], 0.5f, 1e-5);

  p[16] = 100000;
  p[10] = 0x10; p[11] = 0x20; p[12] = 0x30; p[13] = 300;
  gGroup.Clear();
  ASSERT_TRUE(CallText3D(PHASE_RUN, &theSlot, p));
  EXPECT_NEAR(theNode->mMatrix[0], -1.0f, 1e-5) << "scale 100000 leaves the rotation unscaled";
  EXPECT_EQ(theNode->GetColour(), 0xFF102030u) << "opacity clamps at 255";
  EXPECT_EQ(theNode->GetBlendSrc(), 770);

  p[18] = 1;  // axis cross
  gGroup.Clear();
  ASSERT_TRUE(CallText3D(PHASE_RUN, &theSlot, p));
  ASSERT_EQ(gGroup.GetChildCount(), 2u);
  EXPECT_EQ(gGroup.GetChild(1)->GetKind(), 3) << "the axis cross follows the text";
  EXPECT_FLOAT_EQ(gGroup.GetChild(1)->mPosition[0], 5.0f);

  ASSERT_TRUE(CallText3D(PHASE_DESTROY, &theSlot, p));
  EXPECT_EQ(theSlot, nullptr);
}

TEST_F(EffectsTest, Text3DReleasesItsFontEvenWhenTheSizeWasAnimated) {
  const int32_t theText = mHost.AddText("grow");
  // More events than the cache has slots: a leaked slot would show at the ninth.
  for (int theEvent = 0; theEvent < 10; ++theEvent) {
    auto p = Text3DParams(theText, 20 + theEvent);
    void* theSlot = nullptr;
    ASSERT_TRUE(CallText3D(PHASE_MAKE, &theSlot, p));
    ASSERT_EQ(UsedFontSlots(), 1) << "event " << theEvent;
    for (int theFrame = 0; theFrame < 3; ++theFrame) {
      p[2] += 7;  // the size parameter moves during the event
      p[1] = mMissing;  // and so does the font name
      ASSERT_TRUE(CallText3D(PHASE_RUN, &theSlot, p));
    }
    ASSERT_TRUE(CallText3D(PHASE_DESTROY, &theSlot, p));
    ASSERT_EQ(UsedFontSlots(), 0) << "event " << theEvent << " kept its font";
  }
  EXPECT_EQ(mHost.AllWarnings().find("Too much fonts"), std::string::npos);
}

TEST_F(EffectsTest, Text3DWithoutItsFontSucceedsAndShowsNothing) {
  const int32_t theText = mHost.AddText("lost");
  auto p = Text3DParams(theText, 24);
  p[1] = mMissing;
  void* theSlot = nullptr;
  EXPECT_TRUE(CallText3D(PHASE_MAKE, &theSlot, p));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(CallText3D(PHASE_RUN, &theSlot, p));
  EXPECT_EQ(gGroup.GetChildCount(), 0u);
  EXPECT_TRUE(CallText3D(PHASE_DESTROY, &theSlot, p));
  EXPECT_EQ(mHost.CountReleases(KIND_FONT), 0) << "nothing was obtained, nothing is released";
}

// A swarm of inCount particles: particle m at (10 m, 0, m).
void MakeSwarm(int32_t inCount, std::vector<float>& outPositions, std::vector<uint8_t>* outColours) {
  outPositions.clear();
  for (int32_t m = 0; m < inCount; ++m) {
    outPositions.insert(outPositions.end(), {10.0f * float(m), 0.0f, float(m)});
  }
  gSwarm.particleCount = inCount;
  gSwarm.positions = outPositions.data();
  gSwarm.colours = nullptr;
  if (outColours) {
    outColours->clear();
    for (int32_t m = 0; m < inCount; ++m) outColours->insert(outColours->end(), {200, uint8_t(m), 20, 30});
    gSwarm.colours = outColours->data();
  }
  gSwarm.alpha = 0xFF;
  gSwarm.red = 1;
  gSwarm.green = 2;
  gSwarm.blue = 3;
}

TEST_F(EffectsTest, SwarmGlyphsFollowTheTextAlongTheParticles) {
  HeldFont theHeld(20);
  const ResourceFont& f = *theHeld.font;
  std::vector<float> thePositions;
  MakeSwarm(5, thePositions, nullptr);
  struct Case {
    const char* text;
    std::vector<int> particles;  // which particles carry glyphs, in order
    std::string glyphs;
  };
  const Case kCases[] = {
      {"ab", {0, 1, 2, 3, 4}, "ababa"},
      {"a b", {0, 2, 3}, "aba"},
      {"abcdefg", {0, 1, 2, 3, 4}, "abcde"},
      {"   ", {}, ""},
      {"", {}, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("text '") + c.text + "'");
    SwarmText3D theNode(f, c.text, gSwarm.particleCount, gSwarm.positions, nullptr, 1, 2, 3, 4);
    ASSERT_EQ(theNode.GetVertexCount(), int32_t(c.particles.size()) * 4);
    EXPECT_EQ(SwarmText3D::GlyphCount(c.text, 5), int32_t(c.particles.size()));
    const float* v = theNode.GetVertices();
    for (size_t g = 0; g < c.particles.size(); ++g) {
      const unsigned char ch = static_cast<unsigned char>(c.glyphs[g]);
      const int m = c.particles[g];
      EXPECT_FLOAT_EQ(v[g * 12 + 2], float(m)) << "glyph " << g << " lies in its particle's plane";
      EXPECT_FLOAT_EQ(v[g * 12 + 1], float(f.top[ch])) << "glyph " << g << " baseline on the particle";
      const float theCentre = 10.0f * float(m) - float(f.advance[ch]) / 65536.0f / 2.0f + float(f.left[ch]);
      EXPECT_FLOAT_EQ(v[g * 12 + 0], theCentre) << "glyph " << g << " centred by half its advance";
      EXPECT_EQ(theNode.GetTexCoords()[g * 8],
                int16_t(int32_t(float(f.glyphX[ch]) * theNode.GetTexCoordScale() / f.atlasWidth)))
          << "glyph " << g << " is '" << c.glyphs[g] << "'";
    }
    EXPECT_EQ(theNode.GetColour(), 0x04010203u);
    EXPECT_FALSE(theNode.HasVertexColours());
  }
  SwarmText3D theNoParticles(f, "ab", 0, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(theNoParticles.GetVertexCount(), 0);
  SwarmText3D theNullText(f, nullptr, 5, thePositions.data(), nullptr, 0, 0, 0, 0);
  EXPECT_EQ(theNullText.GetVertexCount(), 0);
}

TEST_F(EffectsTest, SwarmColoursAndOpacityReachEveryVertex) {
  HeldFont theHeld(20);
  std::vector<float> thePositions;
  std::vector<uint8_t> theColours;
  MakeSwarm(4, thePositions, &theColours);
  SwarmText3D theNode(*theHeld.font, "x y", 4, thePositions.data(), theColours.data(), 0, 0, 0, 0);
  ASSERT_EQ(theNode.GetVertexCount(), 12) << "particles 0, 2 and 3";
  ASSERT_TRUE(theNode.HasVertexColours());
  const unsigned char* c = theNode.GetVertexColours();
  const int kParticle[3] = {0, 2, 3};
  for (int g = 0; g < 3; ++g) {
    for (int corner = 0; corner < 4; ++corner) {
      const unsigned char* theVertex = c + (g * 4 + corner) * 4;
      EXPECT_EQ(theVertex[0], kParticle[g]) << "red of glyph " << g;
      EXPECT_EQ(theVertex[1], 20);
      EXPECT_EQ(theVertex[2], 30);
      EXPECT_EQ(theVertex[3], 200) << "alpha comes last";
    }
  }
  struct Case {
    long opacity;
    unsigned char alpha;
  };
  for (const Case& o : {Case{300, 255}, Case{-5, 0}, Case{77, 77}}) {
    theNode.SetOpacity(o.opacity);
    for (int v = 0; v < 12; ++v) ASSERT_EQ(theNode.GetVertexColours()[v * 4 + 3], o.alpha) << o.opacity;
  }
  theNode.UpdateColours(nullptr, 9, 8, 7, 6);
  EXPECT_FALSE(theNode.HasVertexColours());
  EXPECT_EQ(theNode.GetVertexColours(), nullptr);
  EXPECT_EQ(theNode.GetColour(), 0x06090807u);
  for (const Case& o : {Case{300, 255}, Case{-5, 0}}) {
    theNode.SetOpacity(o.opacity);
    EXPECT_EQ(theNode.GetColour() >> 24, o.alpha) << o.opacity;
  }
  theColours[2 * 4 + 1] = 99;  // particle 2 turns red
  theNode.UpdateColours(theColours.data(), 0, 0, 0, 0);
  ASSERT_TRUE(theNode.HasVertexColours());
  EXPECT_EQ(theNode.GetVertexColours()[4 * 4 + 0], 99) << "glyph 1 sits on particle 2";
}

TEST_F(EffectsTest, StaticSwarmIsBuiltOnceAndOnlyRecoloured) {
  const int32_t theText = mHost.AddText("ab");
  std::vector<float> thePositions;
  std::vector<uint8_t> theColours;
  MakeSwarm(6, thePositions, &theColours);
  gSwarmStatic = true;
  auto p = SwarmParams(theText, 20);
  void* theSlot = nullptr;
  ASSERT_TRUE(CallSwarm(PHASE_MAKE, &theSlot, p));
  EXPECT_EQ(mInfo.status, STATUS_BUILT);
  EXPECT_EQ(gGroup.GetChildCount(), 0u);
  ASSERT_TRUE(CallSwarm(PHASE_RUN, &theSlot, p));
  ASSERT_EQ(gGroup.GetChildCount(), 1u);
  Node3D* theNode = gGroup.GetChild(0);
  const float theFirstX = static_cast<Poly3D*>(theNode)->GetVertices()[0];

  theColours[0 * 4 + 1] = 123;  // particle 0 recoloured
  thePositions[0] += 500.0f;    // a static swarm's positions are not read again
  gGroup.Clear();
  ASSERT_TRUE(CallSwarm(PHASE_RUN, &theSlot, p));
  EXPECT_EQ(mInfo.status, STATUS_UNCHANGED);
  ASSERT_EQ(gGroup.GetChildCount(), 1u);
  EXPECT_EQ(gGroup.GetChild(0), theNode) << "no rebuild";
  auto* thePoly = static_cast<Poly3D*>(theNode);
  EXPECT_EQ(thePoly->GetVertices()[0], theFirstX);
  EXPECT_EQ(thePoly->GetVertexColours()[0], 123) << "colour changes still reach the vertices";
  EXPECT_EQ(mHost.CountUses(KIND_SWRM), 1);

  ASSERT_TRUE(CallSwarm(PHASE_DESTROY, &theSlot, p));
  EXPECT_EQ(mHost.CountReleases(KIND_SWRM), 1);
  EXPECT_EQ(theSlot, nullptr);
}

TEST_F(EffectsTest, MovingSwarmIsRebuiltEveryFrame) {
  const int32_t theText = mHost.AddText("ab");
  std::vector<float> thePositions;
  MakeSwarm(3, thePositions, nullptr);
  gSwarmStatic = false;
  auto p = SwarmParams(theText, 20);
  p[11] = 300;  // opacity beyond 255
  void* theSlot = nullptr;
  ASSERT_TRUE(CallSwarm(PHASE_MAKE, &theSlot, p));
  for (int theFrame = 1; theFrame <= 3; ++theFrame) {
    thePositions[0] = 100.0f * float(theFrame);
    gGroup.Clear();
    ASSERT_TRUE(CallSwarm(PHASE_RUN, &theSlot, p));
    EXPECT_EQ(mInfo.status, STATUS_BUILT);
    ASSERT_EQ(gGroup.GetChildCount(), 1u);
    auto* theNode = static_cast<Poly3D*>(gGroup.GetChild(0));
    const float theExpected = 100.0f * float(theFrame) - float(Font(20)->advance['a']) / 65536.0f / 2.0f +
                              float(Font(20)->left['a']);
    EXPECT_FLOAT_EQ(theNode->GetVertices()[0], theExpected) << "frame " << theFrame;
    EXPECT_EQ(theNode->GetColour() >> 24, 255u) << "opacity 300 is applied as 255";
    EXPECT_EQ(mHost.CountUses(KIND_SWRM), 1 + theFrame);
    EXPECT_EQ(mHost.CountReleases(KIND_SWRM), theFrame) << "each frame's use is released at once";
  }
  p[11] = -5;
  ASSERT_TRUE(CallSwarm(PHASE_RUN, &theSlot, p));
  EXPECT_EQ(static_cast<Poly3D*>(gGroup.GetChild(gGroup.GetChildCount() - 1))->GetColour() >> 24, 0u);
  p[3] = 99;  // the size changes before the last call
  ASSERT_TRUE(CallSwarm(PHASE_DESTROY, &theSlot, p));
  EXPECT_EQ(mHost.CountReleases(KIND_SWRM), 5);
}

TEST_F(EffectsTest, SwarmWithBlankTextSucceedsWithAnEmptyNode) {
  const int32_t theText = mHost.AddText("  ");
  std::vector<float> thePositions;
  MakeSwarm(4, thePositions, nullptr);
  auto p = SwarmParams(theText, 20);
  void* theSlot = nullptr;
  EXPECT_TRUE(CallSwarm(PHASE_MAKE, &theSlot, p));
  EXPECT_TRUE(CallSwarm(PHASE_RUN, &theSlot, p));
  for (size_t i = 0; i < gGroup.GetChildCount(); ++i) {
    EXPECT_EQ(static_cast<Poly3D*>(gGroup.GetChild(i))->GetVertexCount(), 0);
  }
  EXPECT_TRUE(CallSwarm(PHASE_DESTROY, &theSlot, p));
}

TEST_F(EffectsTest, QuitEndsEventsThatGotNoLastCallAndFreesEveryFont) {
  const int32_t theText = mHost.AddText("ab");
  std::vector<float> thePositions;
  MakeSwarm(3, thePositions, nullptr);
  void* theTextSlot = nullptr;
  void* theSwarmSlot = nullptr;
  ASSERT_TRUE(CallText3D(PHASE_MAKE, &theTextSlot, Text3DParams(theText, 30)));
  ASSERT_TRUE(CallText3D(PHASE_RUN, &theTextSlot, Text3DParams(theText, 30)));
  ASSERT_TRUE(CallSwarm(PHASE_MAKE, &theSwarmSlot, SwarmParams(theText, 31)));
  ASSERT_TRUE(CallSwarm(PHASE_RUN, &theSwarmSlot, SwarmParams(theText, 31)));
  int32_t theSize = 32;
  bool theStatic = false;
  const auto* theForeign = static_cast<const ResourceFont*>(ProduceFont(kSerif, &theSize, theStatic));
  ASSERT_NE(theForeign, nullptr);
  const uint32_t theTexture = theForeign->texture;
  ASSERT_EQ(UsedFontSlots(), 3);

  // The player stops with both events running: no PHASE_DESTROY for them.
  ASSERT_TRUE(Zorbit_Quit());
  EXPECT_EQ(mHost.CountReleases(KIND_FONT), 2) << "each event gave its font back";
  EXPECT_EQ(mHost.CountReleases(KIND_SWRM), 1);
  EXPECT_EQ(UsedFontSlots(), 0) << "fonts still held by others are freed too";
  EXPECT_FALSE(glIsTexture(theTexture));
  ASSERT_TRUE(Zorbit_Init(nullptr, nullptr, mHost.Table()));  // for TearDown
}

// A second run in the same process: after Quit with every font slot held by
// a running event, Zorbit_Init gives all eight slots back, and the effects
// of the second run build and show their texts.
TEST_F(EffectsTest, SecondInitStartsWithEveryFontSlotFree) {
  const int32_t theText = mHost.AddText("again");
  std::vector<void*> theSlots(8, nullptr);
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(CallText3D(PHASE_MAKE, &theSlots[i], Text3DParams(theText, 20 + i)));
    ASSERT_EQ(mInfo.status, STATUS_BUILT) << i;
  }
  ASSERT_EQ(UsedFontSlots(), 8);
  ASSERT_TRUE(Zorbit_Quit());
  ASSERT_TRUE(Zorbit_Init(nullptr, nullptr, mHost.Table()));
  EXPECT_EQ(UsedFontSlots(), 0) << "fonts of the first run are still in the cache";

  for (int i = 0; i < 8; ++i) {
    void* theSlot = nullptr;
    ASSERT_TRUE(CallText3D(PHASE_MAKE, &theSlot, Text3DParams(theText, 40 + i)));
    EXPECT_EQ(mInfo.status, STATUS_BUILT) << "font " << i << " of the second run";
    gGroup.Clear();
    ASSERT_TRUE(CallText3D(PHASE_RUN, &theSlot, Text3DParams(theText, 40 + i)));
    EXPECT_EQ(gGroup.GetChildCount(), 1u) << "text " << i << " of the second run is not shown";
    theSlots[i] = theSlot;  // left running: TearDown's Quit ends them
  }
  EXPECT_EQ(mHost.AllWarnings().find("Too much fonts"), std::string::npos) << mHost.AllWarnings();
  for (void*& theSlot : theSlots) ASSERT_TRUE(CallText3D(PHASE_DESTROY, &theSlot, Text3DParams(theText, 40)));
}

}  // namespace
