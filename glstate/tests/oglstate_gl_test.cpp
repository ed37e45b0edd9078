// The tracker against real OpenGL (Xvfb, Mesa llvmpipe): after a sequence of
// tracker operations, glGet* reports the states the tracker says are in force.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <cmath>
#include <string>

#include <zorbit/oglstate.h>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
bool gGlewReady = false;

// Opens the 320x240 OpenGL window once for the whole program. It is never
// closed: SDL_Quit closes the X display, which unloads Mesa's driver, and
// LeakSanitizer then reports the driver's allocations from an "<unknown
// module>" that no suppression can name. The X server of xvfb-run may still
// be starting (or racing another xvfb-run -a for its display number): retry.
::testing::AssertionResult EnsureWindow() {
  static bool theOpen = false;
  if (theOpen) return ::testing::AssertionSuccess();
  for (int theTry = 0; theTry < 50; ++theTry) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
      if (SDL_SetVideoMode(kWidth, kHeight, 0, SDL_OPENGL)) {
        theOpen = true;
        return ::testing::AssertionSuccess();
      }
      SDL_Quit();
    }
    SDL_Delay(100);
  }
  return ::testing::AssertionFailure() << "no OpenGL window: " << SDL_GetError();
}

class OGLStateGLTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureWindow()); }

  static void EnsureGlew() {
    if (gGlewReady) return;
    glewExperimental = GL_TRUE;
    const GLenum theResult = glewInit();
    ASSERT_EQ(theResult, static_cast<GLenum>(GLEW_OK))
        << reinterpret_cast<const char*>(glewGetErrorString(theResult));
    ASSERT_NE(glBlendEquation, nullptr);
    gGlewReady = true;
  }

  void SetUp() override {
    EnsureGlew();
    ASSERT_EQ(GetCurrentState(), nullptr);
  }
};

double Channel(int inPacked, int inShift) {
  return static_cast<double>((static_cast<uint32_t>(inPacked) >> inShift) & 0xFF) / 255.0;
}

void ExpectNear(const double* inActual, const double* inExpected, int inCount,
                const std::string& inWhat) {
  for (int i = 0; i < inCount; ++i)
    EXPECT_NEAR(inActual[i], inExpected[i], 1e-5 * (1.0 + std::fabs(inExpected[i])))
        << inWhat << " [" << i << "]";
}

GLint Integer(GLenum inName) {
  GLint theValue = -1;
  glGetIntegerv(inName, &theValue);
  return theValue;
}

// Compares everything OpenGL reports with what the current tracker says.
// Clip planes are compared in eye coordinates: the tests keep the modelview
// matrix at identity.
void ExpectGLMatchesTracker(const std::string& inWhere) {
  SCOPED_TRACE(inWhere);
  while (glGetError() != GL_NO_ERROR) {
  }  // MakeCurrent's negated enumerants raise GL_INVALID_ENUM: expected

  EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, GetState(STATE_BLEND) != 0);
  EXPECT_EQ(Integer(GL_BLEND_SRC), GetState(STATE_BLEND_SRC));
  EXPECT_EQ(Integer(GL_BLEND_DST), GetState(STATE_BLEND_DST));
  EXPECT_EQ(Integer(GL_BLEND_EQUATION), GetState(STATE_BLEND_EQUATION));

  const int theColor = GetState(STATE_COLOR);
  double theActual[16];
  glGetDoublev(GL_CURRENT_COLOR, theActual);
  const double theRGBA[4] = {Channel(theColor, 16), Channel(theColor, 8), Channel(theColor, 0),
                             Channel(theColor, 24)};
  ExpectNear(theActual, theRGBA, 4, "current colour");

  const int theClear = GetState(STATE_CLEAR_COLOR);
  glGetDoublev(GL_COLOR_CLEAR_VALUE, theActual);
  const double theClearRGBA[4] = {Channel(theClear, 16), Channel(theClear, 8),
                                  Channel(theClear, 0), Channel(theClear, 24)};
  ExpectNear(theActual, theClearRGBA, 4, "clear colour");

  GLboolean theMask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, theMask);
  const int theBits = GetState(STATE_COLOR_MASK);
  EXPECT_EQ(theMask[0] == GL_TRUE, (theBits & 4) != 0) << "red";
  EXPECT_EQ(theMask[1] == GL_TRUE, (theBits & 2) != 0) << "green";
  EXPECT_EQ(theMask[2] == GL_TRUE, (theBits & 1) != 0) << "blue";
  EXPECT_EQ(theMask[3] == GL_TRUE, (theBits & 8) != 0) << "alpha";

  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, GetState(STATE_DEPTH_TEST) != 0);
  GLboolean theDepthMask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &theDepthMask);
  EXPECT_EQ(theDepthMask == GL_TRUE, GetState(STATE_DEPTH_MASK) != 0);
  EXPECT_EQ(Integer(GL_SHADE_MODEL), GetState(STATE_SHADE_MODEL));

  for (int thePlane = 0; thePlane < 4; ++thePlane) {
    EXPECT_EQ(glIsEnabled(GL_CLIP_PLANE0 + thePlane) == GL_TRUE, GetState(STATE_CLIPPING) != 0)
        << "plane " << thePlane;
    const int theSign = 2 * (thePlane % 2) - 1;
    double theEquation[4] = {0, 0, 0, 0};
    theEquation[thePlane / 2] = theSign;
    theEquation[3] = -theSign * GetState(STATE_CLIP_MAX_X + thePlane);
    glGetClipPlane(GL_CLIP_PLANE0 + thePlane, theActual);
    ExpectNear(theActual, theEquation, 4, "clip plane " + std::to_string(thePlane));
  }

  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, GetTexture2D());
  EXPECT_EQ(static_cast<unsigned>(Integer(GL_TEXTURE_BINDING_2D)), GetTextureUsed());
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GetMatrixMode());

  int x, y;
  unsigned w, h;
  GetViewport(x, y, w, h);
  GLint theViewport[4];
  glGetIntegerv(GL_VIEWPORT, theViewport);
  EXPECT_EQ(theViewport[0], x);
  EXPECT_EQ(theViewport[1], static_cast<int>(GetCurrentState()->mHeight) - y - static_cast<int>(h));
  EXPECT_EQ(theViewport[2], static_cast<GLint>(w));
  EXPECT_EQ(theViewport[3], static_cast<GLint>(h));

  double l, r, b, t, n, f;
  bool theOrtho;
  GetProjection(l, r, b, t, n, f, theOrtho);
  double theMatrix[16] = {0};
  if (theOrtho) {
    theMatrix[0] = 2 / (r - l);
    theMatrix[5] = 2 / (t - b);
    theMatrix[10] = -2 / (f - n);
    theMatrix[12] = -(r + l) / (r - l);
    theMatrix[13] = -(t + b) / (t - b);
    theMatrix[14] = -(f + n) / (f - n);
    theMatrix[15] = 1;
  } else {
    theMatrix[0] = 2 * n / (r - l);
    theMatrix[5] = 2 * n / (t - b);
    theMatrix[8] = (r + l) / (r - l);
    theMatrix[9] = (t + b) / (t - b);
    theMatrix[10] = -(f + n) / (f - n);
    theMatrix[11] = -1;
    theMatrix[14] = -2 * f * n / (f - n);
  }
  glGetDoublev(GL_PROJECTION_MATRIX, theActual);
  ExpectNear(theActual, theMatrix, 16, "projection matrix");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Puts OpenGL into a state unlike every default of the tracker.
void ScrambleGL() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glBlendEquation(GL_MAX);
  glColor4d(0.25, 0.5, 0.75, 0.5);
  glClearColor(1, 1, 1, 1);
  glColorMask(GL_FALSE, GL_TRUE, GL_FALSE, GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glShadeModel(GL_FLAT);
  for (int i = 0; i < 4; ++i) {
    glEnable(GL_CLIP_PLANE0 + i);
    const double theEquation[4] = {1, 2, 3, 4};
    glClipPlane(GL_CLIP_PLANE0 + i, theEquation);
  }
  glEnable(GL_TEXTURE_2D);
  glViewport(1, 2, 3, 4);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
}

// Runs first (declaration order): before glewInit the GLEW entry point is
// null; the tracker records the blend equation without calling through it.
TEST(OGLStateGLWithoutGlew, BlendEquationIsRecordedWithoutEntryPoint) {
  if (gGlewReady) GTEST_SKIP() << "glewInit already ran";
  ASSERT_TRUE(EnsureWindow());
  ASSERT_EQ(glBlendEquation, nullptr);
  OGLState theState(kWidth, kHeight);
  MakeCurrent(&theState);  // issues everything else, skips glBlendEquation
  SetState(STATE_BLEND_EQUATION, GL_FUNC_SUBTRACT);
  EXPECT_EQ(GetState(STATE_BLEND_EQUATION), GL_FUNC_SUBTRACT);
  PushState(STATE_BLEND_EQUATION, GL_MAX);
  PopState(STATE_BLEND_EQUATION);
  SetState(STATE_BLEND_EQUATION, GL_FUNC_ADD);
  GLint theViewport[4];
  glGetIntegerv(GL_VIEWPORT, theViewport);
  EXPECT_EQ(theViewport[2], kWidth);
  MakeCurrent(nullptr);
}

TEST_F(OGLStateGLTest, MakeCurrentBringsOpenGLInLine) {
  ScrambleGL();
  OGLState theState(kWidth, kHeight);
  MakeCurrent(&theState);
  ExpectGLMatchesTracker("after MakeCurrent");
  MakeCurrent(nullptr);
}

TEST_F(OGLStateGLTest, SequenceOfOperations) {
  OGLState theState(kWidth, kHeight);
  MakeCurrent(&theState);
  ExpectGLMatchesTracker("start");

  PushState(STATE_BLEND, 1);
  PushState(STATE_BLEND_SRC, GL_SRC_ALPHA);
  PushState(STATE_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA);
  PushState(STATE_BLEND_EQUATION, GL_FUNC_REVERSE_SUBTRACT);
  PushState(STATE_COLOR, static_cast<int>(0x80FF0000u));
  PushState(STATE_CLEAR_COLOR, 0x11223344);
  PushState(STATE_COLOR_MASK, 4);
  PushState(STATE_DEPTH_TEST, 1);
  PushState(STATE_DEPTH_MASK, 0);
  PushState(STATE_SHADE_MODEL, GL_FLAT);
  ExpectGLMatchesTracker("states pushed");

  PushState(STATE_CLIPPING, 1);
  PushState(STATE_CLIP_MAX_X, 300);
  PushState(STATE_CLIP_MIN_X, 10);
  PushState(STATE_CLIP_MAX_Y, 20);
  PushState(STATE_CLIP_MIN_Y, -5);
  ExpectGLMatchesTracker("clip planes pushed");

  GLuint theTextures[2];
  glGenTextures(2, theTextures);
  PushTexture2D(true);
  PushTextureUsed(theTextures[0]);
  PushTextureUsed(theTextures[1]);
  ExpectGLMatchesTracker("textures pushed");
  PopTextureUsed();
  ExpectGLMatchesTracker("one texture popped");

  SetViewport(0, 0, 100, 100);
  ExpectGLMatchesTracker("viewport set");
  PushViewport(10, 20, 30, 40);
  ExpectGLMatchesTracker("viewport pushed");
  PopViewport();
  ExpectGLMatchesTracker("viewport popped");

  PushProjection(0, kWidth, kHeight, 0, -1, 1, true);
  ExpectGLMatchesTracker("ortho pushed");
  PushMatrixMode(GL_PROJECTION);
  SetProjection(-2, 2, -1.5, 1.5, 1, 50, false);
  ExpectGLMatchesTracker("frustum set in projection mode");
  PopMatrixMode();
  PopProjection();
  ExpectGLMatchesTracker("projection popped");

  for (int k = STATE_COUNT - 1; k >= 0; --k) PopState(k);
  PopTextureUsed();
  PopTexture2D();
  SetViewport(0, 0, kWidth, kHeight);
  ExpectGLMatchesTracker("all popped");
  for (int k = 0; k < STATE_COUNT; ++k) EXPECT_EQ(theState.mTop[k], 0);

  glDeleteTextures(2, theTextures);
  MakeCurrent(nullptr);
}

TEST_F(OGLStateGLTest, SwitchingTrackers) {
  OGLState theA(kWidth, kHeight);
  OGLState theB(kWidth, kHeight);
  MakeCurrent(&theA);
  SetState(STATE_BLEND, 1);
  SetState(STATE_COLOR, 0x7F102030);
  SetViewport(0, 60, kWidth, 120);
  PushProjection(0, kWidth, kHeight, 0, -1, 1, true);
  ExpectGLMatchesTracker("A");

  MakeCurrent(&theB);
  ExpectGLMatchesTracker("B after A");
  MakeCurrent(&theA);
  ExpectGLMatchesTracker("A after B");

  PopProjection();
  SetState(STATE_BLEND, 0);
  SetState(STATE_COLOR, -1);
  MakeCurrent(nullptr);
}

}  // namespace
