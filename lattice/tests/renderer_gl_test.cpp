// The renderer against real OpenGL (Xvfb, Mesa llvmpipe): nodes land where
// the camera puts them, with the colours, textures and blending their
// queries report, and the state tracker's shadow copy stays true.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <zorbit/lattice/axisnode3d.h>
#include <zorbit/lattice/flatoval3d.h>
#include "glwindow.h"
#include <zorbit/oglstate.h>
#include <zorbit/lattice/renderer3d.h>
#include <zorbit/lattice/rootnode3d.h>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A polygon whose every answer the test chooses.
class TestPoly : public Poly3D {
 public:
  TestPoly(std::vector<float> inVertices, int inPrimitive)
      : mVertices(std::move(inVertices)), mCount(int32_t(mVertices.size() / 3)), mPrimitive(inPrimitive) {}
  int GetPrimitive() const override { return mPrimitive; }
  const float* GetVertices() const override { return mVertices.data(); }
  int32_t& GetVertexCount() override { return mCount; }
  uint32_t GetColour() const override { return (uint32_t(mOpacity) << 24) | (mColour & 0xFFFFFFu); }
  bool HasVertexColours() const override { return !mVertexColours.empty(); }
  const unsigned char* GetVertexColours() const override {
    return mVertexColours.empty() ? nullptr : mVertexColours.data();
  }
  bool HasTexture() const override { return mTexture != 0; }
  bool HasTexCoords() const override { return !mTexCoords.empty(); }
  const int16_t* GetTexCoords() const override { return mTexCoords.empty() ? nullptr : mTexCoords.data(); }
  uint32_t GetTexture() const override { return mTexture; }
  bool IsWireframe() const override { return mWireframe; }
  bool IgnoresDepth() const override { return mIgnoresDepth; }
  int32_t& GetIndexCount() override { return mIndexCount; }
  const int32_t* GetIndices() const override { return mIndices.empty() ? nullptr : mIndices.data(); }

  std::vector<float> mVertices;
  int32_t mCount;
  int mPrimitive;
  uint32_t mColour = 0xFFFFFF;
  std::vector<unsigned char> mVertexColours;
  std::vector<int16_t> mTexCoords;
  uint32_t mTexture = 0;
  bool mWireframe = false;
  bool mIgnoresDepth = false;
  std::vector<int32_t> mIndices;
  int32_t mIndexCount = 0;
};

// A square of side 2 * inHalf around the node's origin, counter-clockwise.
std::vector<float> Square(float inHalf) {
  return {-inHalf, -inHalf, 0, inHalf, -inHalf, 0, inHalf, inHalf, 0, -inHalf, inHalf, 0};
}

class RendererGLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGLWindow(kWidth, kHeight));
    mState = new OGLState(kWidth, kHeight);
    MakeCurrent(mState);
    // MakeCurrent issues every state twice, the first time with a made-up
    // value that OpenGL may refuse: forget those errors.
    while (glGetError() != GL_NO_ERROR) {
    }
    mCamera.mPosition[2] = 500.0f;
    mRenderer = new GLRenderer3D(mState);
    mRenderer->Clear(true, true, 0xFF000000u);
  }
  void TearDown() override {
    delete mRenderer;
    MakeCurrent(nullptr);
    delete mState;
  }

  // Window pixel (x right, y up from the bottom row) where scene point p lands.
  void Project(float inX, float inY, int& outX, int& outY) const {
    const double theUnitsPerHalfHeight = 500.0 * std::tan(22.5 * M_PI / 180.0);
    outX = int(std::lround(kWidth / 2.0 + inX * (kHeight / 2.0) / theUnitsPerHalfHeight));
    outY = int(std::lround(kHeight / 2.0 + inY * (kHeight / 2.0) / theUnitsPerHalfHeight));
  }

  uint32_t PixelAt(float inX, float inY) const {
    int x, y;
    Project(inX, inY, x, y);
    unsigned char p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }

  void Draw(RootNode3D& inRoot) { mRenderer->Render(inRoot, mCamera); }

  OGLState* mState = nullptr;
  GLRenderer3D* mRenderer = nullptr;
  Camera3D mCamera;
};

// A 2 x 1 texture: left texel red, right texel green, made through the tracker.
uint32_t MakeTexture() {
  GLuint theName = 0;
  glGenTextures(1, &theName);
  PushTextureUsed(theName);
  const unsigned char theTexels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, theTexels);
  PopTextureUsed();
  return theName;
}

TEST_F(RendererGLTest, NodesAppearWhereTheCameraPutsThem) {
  const uint32_t theTexture = MakeTexture();
  TestPoly theQuad(Square(40), GL_QUADS);
  theQuad.mTexture = theTexture;
  const float k = Poly3D::kDefaultTexCoordScale;
  theQuad.mTexCoords = {0, 0, int16_t(k * 0.999f), 0, int16_t(k * 0.999f), int16_t(k), 0, int16_t(k)};
  theQuad.mPosition[0] = -100.0f;
  FlatOval3D theOval(40, 25, 15, 0.8f, 0xFF0000FFu);
  theOval.mPosition[0] = 100.0f;
  AxisNode3D theAxis(0xFF8080FF, 0xFF80FF80, 0xFFFF8080);
  theAxis.mPosition[1] = 100.0f;

  RootNode3D theRoot;
  theRoot.AddChild(&theQuad);
  theRoot.AddChild(&theOval);
  theRoot.AddChild(&theAxis);
  Draw(theRoot);
  EXPECT_EQ(3, mRenderer->GetDrawnCount());

  EXPECT_EQ(0xFF0000u, PixelAt(-120, 0)) << "left half of the textured quad";
  EXPECT_EQ(0x00FF00u, PixelAt(-80, 0)) << "right half of the textured quad";
  EXPECT_EQ(0x000000u, PixelAt(-150, 0)) << "beside the quad";
  EXPECT_EQ(0x0000FFu, PixelAt(100, 0)) << "centre of the oval";
  EXPECT_EQ(0x0000FFu, PixelAt(136, 0)) << "inside the oval's rim";
  EXPECT_EQ(0x000000u, PixelAt(100, 32)) << "above the oval";
  EXPECT_EQ(0x000000u, PixelAt(0, 0)) << "between the nodes";

  // The axis cross: a red line along +x from (0, 100), green along +y.
  int x, y;
  Project(50, 100, x, y);
  unsigned char theColumn[5 * 4];
  glReadPixels(x, y - 2, 1, 5, GL_RGBA, GL_UNSIGNED_BYTE, theColumn);
  bool theRed = false;
  for (int i = 0; i < 5; ++i) theRed |= theColumn[i * 4] == 0xFF && theColumn[i * 4 + 2] == 0x80;
  EXPECT_TRUE(theRed) << "no x axis line (0xFF8080) near (50, 100)";
  Project(0, 150, x, y);
  unsigned char theRow[5 * 4];
  glReadPixels(x - 2, y, 5, 1, GL_RGBA, GL_UNSIGNED_BYTE, theRow);
  bool theGreen = false;
  for (int i = 0; i < 5; ++i) theGreen |= theRow[i * 4 + 1] == 0xFF && theRow[i * 4] == 0x80;
  EXPECT_TRUE(theGreen) << "no y axis line (0x80FF80) near (0, 150)";

  GLuint theName = theTexture;
  glDeleteTextures(1, &theName);
}

TEST_F(RendererGLTest, MatrixRotatesAndScalesTheNode) {
  // A thin horizontal bar, turned a quarter about z and doubled: vertical.
  TestPoly theBar({-20, -2, 0, 20, -2, 0, 20, 2, 0, -20, 2, 0}, GL_QUADS);
  theBar.mColour = 0xFFFF00;
  const float theQuarter[9] = {0, -2, 0, 2, 0, 0, 0, 0, 2};
  std::memcpy(theBar.mMatrix, theQuarter, sizeof(theQuarter));
  RootNode3D theRoot;
  theRoot.AddChild(&theBar);
  Draw(theRoot);
  EXPECT_EQ(0xFFFF00u, PixelAt(0, 35)) << "the bar must reach 40 units up after the quarter turn and scale";
  EXPECT_EQ(0x000000u, PixelAt(30, 0)) << "the bar still lies along x";
}

TEST_F(RendererGLTest, ColoursOpacityAndDepth) {
  struct Case {
    const char* name;
    float x;
    uint32_t expected;
  };
  // Half-transparent white over black.
  TestPoly theGrey(Square(20), GL_QUADS);
  theGrey.SetOpacity(128);
  theGrey.mPosition[0] = -120;
  // Per-vertex colours win over the uniform colour.
  TestPoly theGreen(Square(20), GL_QUADS);
  theGreen.mColour = 0xFF0000;
  theGreen.mVertexColours.assign(16, 0);
  for (int v = 0; v < 4; ++v) theGreen.mVertexColours[v * 4 + 1] = theGreen.mVertexColours[v * 4 + 3] = 255;
  theGreen.mPosition[0] = -60;
  // An opaque red square in front hides a green one behind it...
  TestPoly theFront(Square(20), GL_QUADS);
  theFront.mColour = 0xFF0000;
  theFront.SetBlendSrc(GL_ONE);
  theFront.SetBlendDst(GL_ZERO);
  TestPoly theBehind(Square(20), GL_QUADS);
  theBehind.mColour = 0x00FF00;
  theBehind.mPosition[2] = -50;
  // ...unless the one behind ignores depth.
  TestPoly theOverlayFront(Square(20), GL_QUADS);
  theOverlayFront.mColour = 0xFF0000;
  theOverlayFront.SetBlendSrc(GL_ONE);
  theOverlayFront.SetBlendDst(GL_ZERO);
  theOverlayFront.mPosition[0] = 60;
  TestPoly theOverlay(Square(20), GL_QUADS);
  theOverlay.mColour = 0x0000FF;
  theOverlay.mIgnoresDepth = true;
  theOverlay.mPosition[0] = 60;
  theOverlay.mPosition[2] = -50;
  // A wireframe square leaves its inside empty.
  TestPoly theWire(Square(20), GL_QUADS);
  theWire.mWireframe = true;
  theWire.mPosition[0] = 120;
  // Bad indices are skipped: only the triangle 0, 1, 2 of the square is drawn.
  TestPoly theIndexed(Square(20), GL_TRIANGLES);
  theIndexed.mIndices = {0, 1, 2, 0, 2, 999};
  theIndexed.mIndexCount = 6;
  theIndexed.mColour = 0xFFFF00;
  theIndexed.mPosition[1] = 80;
  // Factors OpenGL would refuse fall back to the defaults.
  TestPoly theBadBlend(Square(20), GL_QUADS);
  theBadBlend.SetBlendSrc(12345);
  theBadBlend.mColour = 0x00FFFF;
  theBadBlend.mPosition[1] = -80;

  RootNode3D theRoot;
  for (Node3D* n : std::initializer_list<Node3D*>{&theGrey, &theGreen, &theFront, &theBehind, &theOverlayFront,
                                                  &theOverlay, &theWire, &theIndexed, &theBadBlend})
    theRoot.AddChild(n);
  Draw(theRoot);
  EXPECT_EQ(0, int(glGetError())) << "the renderer issued an invalid OpenGL call";

  const uint32_t theGreyPixel = PixelAt(-120, 0);
  EXPECT_NEAR(128, int(theGreyPixel & 0xFF), 2) << "opacity 128 over black";
  EXPECT_EQ(0x00FF00u, PixelAt(-60, 0)) << "per-vertex colours";
  EXPECT_EQ(0xFF0000u, PixelAt(0, 0)) << "the square behind must stay hidden";
  EXPECT_EQ(0x0000FFu, PixelAt(60, 0)) << "a node that ignores depth shows through";
  EXPECT_EQ(0x000000u, PixelAt(120, 0)) << "inside a wireframe";
  EXPECT_EQ(0xFFFF00u, PixelAt(10, 70)) << "lower-right triangle of the indexed square";
  EXPECT_EQ(0x000000u, PixelAt(-10, 90)) << "upper-left triangle, whose index 999 is out of range";
  EXPECT_EQ(0x00FFFFu, PixelAt(0, -80)) << "a node with an invalid blend factor is still drawn";
}

// A blended text in front of a balloon drawn after it: the glyph hides the
// balloon, the empty part of the glyph box does not.
TEST_F(RendererGLTest, BlendedNodeHidesWhatLiesBehindOnlyWhereItIsSeen) {
  GLuint theName = 0;
  glGenTextures(1, &theName);
  PushTextureUsed(theName);
  const unsigned char theTexels[8] = {255, 0, 0, 255, 0, 0, 0, 0};  // opaque red, fully transparent
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, theTexels);
  PopTextureUsed();

  TestPoly theGlyph(Square(40), GL_QUADS);
  theGlyph.mTexture = theName;
  const int16_t k = int16_t(Poly3D::kDefaultTexCoordScale * 0.999f);
  theGlyph.mTexCoords = {0, 0, k, 0, k, k, 0, k};
  theGlyph.mPosition[2] = 10.0f;
  FlatOval3D theBalloon(60, 60, 15, 1.0f, 0xFF00FF00u);
  RootNode3D theRoot;
  theRoot.AddChild(&theGlyph);
  theRoot.AddChild(&theBalloon);
  Draw(theRoot);
  EXPECT_EQ(0xFF0000u, PixelAt(-20, 0)) << "the balloon drawn later covered the glyph in front of it";
  EXPECT_EQ(0x00FF00u, PixelAt(20, 0)) << "the transparent part of the glyph box hid the balloon";
  glDeleteTextures(1, &theName);
}

// Everything the tracker shadows equals what OpenGL reports after a frame,
// and the states it does not track are back at OpenGL's defaults.
TEST_F(RendererGLTest, TrackerShadowStaysTrueAfterAFrame) {
  const uint32_t theTexture = MakeTexture();
  TestPoly theQuad(Square(40), GL_QUADS);
  theQuad.mTexture = theTexture;
  theQuad.mTexCoords = {0, 0, 100, 0, 100, 100, 0, 100};
  theQuad.SetBlendSrc(GL_ONE);
  theQuad.SetBlendDst(GL_ONE);
  theQuad.mWireframe = true;
  TestPoly thePoints(Square(40), GL_POINTS);
  thePoints.mVertexColours.assign(16, 200);
  FlatOval3D theOval(30, 30, 15, 0.8f, 0x80FFFFFFu);
  AxisNode3D theAxis(1, 2, 3);
  RootNode3D theRoot;
  theRoot.AddChild(&theQuad);
  theRoot.AddChild(&thePoints);
  theRoot.AddChild(&theOval);
  theRoot.AddChild(&theAxis);

  GLdouble theProjectionBefore[16];
  glGetDoublev(GL_PROJECTION_MATRIX, theProjectionBefore);
  Draw(theRoot);
  mRenderer->Clear(true, false, 0xFF336699u);

  auto Integer = [](GLenum inName) {
    GLint v = -1;
    glGetIntegerv(inName, &v);
    return v;
  };
  EXPECT_EQ(GetState(STATE_BLEND) != 0, glIsEnabled(GL_BLEND) == GL_TRUE);
  EXPECT_EQ(GetState(STATE_BLEND_SRC), Integer(GL_BLEND_SRC));
  EXPECT_EQ(GetState(STATE_BLEND_DST), Integer(GL_BLEND_DST));
  EXPECT_EQ(GetState(STATE_DEPTH_TEST) != 0, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE);
  GLboolean theDepthMask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &theDepthMask);
  EXPECT_EQ(GetState(STATE_DEPTH_MASK) != 0, theDepthMask == GL_TRUE);
  EXPECT_EQ(GetTexture2D(), glIsEnabled(GL_TEXTURE_2D) == GL_TRUE);
  EXPECT_EQ(GetTextureUsed(), unsigned(Integer(GL_TEXTURE_BINDING_2D)));
  EXPECT_EQ(GetMatrixMode(), Integer(GL_MATRIX_MODE));
  GLfloat theColour[4];
  glGetFloatv(GL_CURRENT_COLOR, theColour);
  const uint32_t theTracked = uint32_t(GetState(STATE_COLOR));
  EXPECT_NEAR(((theTracked >> 16) & 0xFF) / 255.0, theColour[0], 1e-3) << "current colour red";
  EXPECT_NEAR((theTracked >> 24) / 255.0, theColour[3], 1e-3) << "current colour alpha";
  GLfloat theClear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, theClear);
  EXPECT_NEAR((uint32_t(GetState(STATE_CLEAR_COLOR)) & 0xFF) / 255.0, theClear[2], 1e-3);
  GLint theViewport[4];
  glGetIntegerv(GL_VIEWPORT, theViewport);
  int x, y;
  unsigned w, h;
  GetViewport(x, y, w, h);
  EXPECT_EQ(int(w), theViewport[2]);
  EXPECT_EQ(int(h), theViewport[3]);
  GLdouble theProjectionAfter[16];
  glGetDoublev(GL_PROJECTION_MATRIX, theProjectionAfter);
  for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(theProjectionBefore[i], theProjectionAfter[i]) << "projection " << i;

  for (int k = 0; k < STATE_COUNT; ++k) EXPECT_EQ(0, mState->mTop[k]) << "state " << k << " left pushed";
  EXPECT_EQ(0, mState->mTexture2DTop);
  EXPECT_EQ(0, mState->mTextureUsedTop);
  EXPECT_EQ(0, mState->mMatrixModeTop);
  EXPECT_EQ(0u, mState->mProjectionTop);
  GLint thePolygonMode[2];
  glGetIntegerv(GL_POLYGON_MODE, thePolygonMode);
  EXPECT_EQ(GL_FILL, thePolygonMode[0]);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_EQ(0, int(glGetError()));

  GLuint theName = theTexture;
  glDeleteTextures(1, &theName);
}

TEST_F(RendererGLTest, ClearTouchesOnlyTheViewport) {
  mRenderer->Clear(true, true, 0xFF000000u);
  SetViewport(0, 40, kWidth, kHeight - 80);  // letterbox: 40-pixel bars above and below
  mRenderer->Clear(true, false, 0xFFFFFFFFu);
  unsigned char theBar[4], theInside[4];
  glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, theBar);
  glReadPixels(10, 120, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, theInside);
  EXPECT_EQ(0, theBar[0]) << "the clear reached the letterbox bar";
  EXPECT_EQ(255, theInside[0]) << "the viewport was not cleared";
  SetViewport(0, 0, kWidth, kHeight);
}

}  // namespace

// Another plug-in may leave its vertex array object and buffers bound: an
// indexed mesh (with a bad index among its own) is still drawn from its own
// vertices, and the plug-in finds its bindings as it left them.
TEST_F(RendererGLTest, IndexedMeshIgnoresAndKeepsOtherBuffersBound) {
  GLuint theArray = 0, theBuffers[2] = {0, 0};
  glGenVertexArrays(1, &theArray);
  glBindVertexArray(theArray);
  glGenBuffers(2, theBuffers);
  const float theJunk[64] = {};
  glBindBuffer(GL_ARRAY_BUFFER, theBuffers[0]);
  glBufferData(GL_ARRAY_BUFFER, sizeof theJunk, theJunk, GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, theBuffers[1]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof theJunk, theJunk, GL_STATIC_DRAW);

  TestPoly theQuad(Square(40), GL_QUADS);
  theQuad.mColour = 0x00FF00;
  theQuad.mIndices = {0, 1, 2, 3, 99, -1};
  theQuad.mIndexCount = int32_t(theQuad.mIndices.size());
  RootNode3D theRoot;
  theRoot.AddChild(&theQuad);
  Draw(theRoot);

  EXPECT_EQ(0x00FF00u, PixelAt(0, 0)) << "the quad's centre";
  EXPECT_EQ(0x000000u, PixelAt(60, 0)) << "beside the quad";
  GLint theBound = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &theBound);
  EXPECT_EQ(GLint(theArray), theBound);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &theBound);
  EXPECT_EQ(GLint(theBuffers[0]), theBound);
  glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &theBound);
  EXPECT_EQ(GLint(theBuffers[1]), theBound);
  EXPECT_EQ(0, int(glGetError()));

  glBindVertexArray(0);
  glDeleteBuffers(2, theBuffers);
  glDeleteVertexArrays(1, &theArray);
}
