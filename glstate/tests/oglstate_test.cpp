// Unit tests of the tracker, built against the recording seam
// (zorbit_glstate_recording): every OpenGL call it issues is observed.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>
#include <vector>

#include "glrecorder.h"
#include <zorbit/oglstate.h>

namespace {

using Texts = std::vector<std::string>;

class OGLStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    glrec::Reset();
    mState = new OGLState(640, 480);
    AttachState(mState);
    ASSERT_TRUE(glrec::Calls().empty());
  }
  void TearDown() override {
    AttachState(nullptr);
    delete mState;
  }
  OGLState* mState = nullptr;
};

const int kDefaults[STATE_COUNT] = {0,  0, 0, 0x8006, -1,   0, 15, 0,
                                    1, 0x1D01, 0, 1000, 0, 700, 0};

// The calls of MakeCurrent for the fifteen default states (each twice).
Texts DefaultStateCalls() {
  return {
      "glEnable(0xBE2)",  "glDisable(0xBE2)",                      // blend
      "glBlendFunc(0x1, 0x0)", "glBlendFunc(0x0, 0x0)",            // src
      "glBlendFunc(0x0, 0x1)", "glBlendFunc(0x0, 0x0)",            // dst
      "glBlendEquation(0x0)", "glBlendEquation(0x8006)",           // equation
      "glColor4d(0, 0, 0, 0)", "glColor4d(1, 1, 1, 1)",            // colour
      "glClearColor(0, 0, 0.00392157, 0)", "glClearColor(0, 0, 0, 0)",
      "glColorMask(0, 0, 0, 0)", "glColorMask(1, 1, 1, 1)",
      "glEnable(0xB71)", "glDisable(0xB71)",                       // depth test
      "glDepthMask(0)", "glDepthMask(1)",
      "glShadeModel(0x0)", "glShadeModel(0x1D01)",
      "glEnable(0x3000)", "glEnable(0x3001)", "glEnable(0x3002)", "glEnable(0x3003)",
      "glDisable(0x3000)", "glDisable(0x3001)", "glDisable(0x3002)", "glDisable(0x3003)",
      "glClipPlane(0x3000, -1, 0, 0, 0)", "glClipPlane(0x3000, -1, 0, 0, 1000)",
      "glClipPlane(0x3001, 1, 0, 0, -1)", "glClipPlane(0x3001, 1, 0, 0, 0)",
      "glClipPlane(0x3002, 0, -1, 0, 0)", "glClipPlane(0x3002, 0, -1, 0, 700)",
      "glClipPlane(0x3003, 0, 1, 0, -1)", "glClipPlane(0x3003, 0, 1, 0, 0)",
  };
}

Texts Concat(Texts inA, const Texts& inB) {
  inA.insert(inA.end(), inB.begin(), inB.end());
  return inA;
}

// ---- Construction and the current tracker ----------------------------------

TEST_F(OGLStateTest, ConstructionSetsDefaultsAndIssuesNothing) {
  OGLState* theOther = new OGLState(800, 600);
  EXPECT_TRUE(glrec::Calls().empty());
  EXPECT_EQ(GetCurrentState(), mState);
  for (int k = 0; k < STATE_COUNT; ++k) EXPECT_EQ(GetState(k), kDefaults[k]) << "kind " << k;
  int x, y;
  unsigned w, h;
  GetViewport(x, y, w, h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 640u);
  EXPECT_EQ(h, 480u);
  double l, r, b, t, n, f;
  bool o;
  GetProjection(l, r, b, t, n, f, o);
  EXPECT_EQ(l, -320.0);
  EXPECT_EQ(r, 320.0);
  EXPECT_EQ(b, 240.0);
  EXPECT_EQ(t, -240.0);
  EXPECT_EQ(n, 1.0);
  EXPECT_EQ(f, 1000.0);
  EXPECT_FALSE(o);
  EXPECT_FALSE(GetTexture2D());
  EXPECT_EQ(GetTextureUsed(), 0u);
  EXPECT_EQ(GetMatrixMode(), GL_MODELVIEW);
  delete theOther;
  EXPECT_TRUE(glrec::Calls().empty());
}

TEST_F(OGLStateTest, AttachStateIssuesNothing) {
  OGLState theOther(100, 100);
  AttachState(&theOther);
  EXPECT_EQ(GetCurrentState(), &theOther);
  AttachState(nullptr);
  EXPECT_EQ(GetCurrentState(), nullptr);
  AttachState(mState);
  EXPECT_TRUE(glrec::Calls().empty());
}

TEST_F(OGLStateTest, MakeCurrentWithoutPreviousIssuesEverything) {
  AttachState(nullptr);
  MakeCurrent(mState);
  EXPECT_EQ(GetCurrentState(), mState);
  const Texts theNamed = {
      "glDisable(0xDE1)",          "glBindTexture(0xDE1, 0)",
      "glMatrixMode(0x1700)",      "glViewport(0, 0, 640, 480)",
      "glMatrixMode(0x1701)",      "glLoadIdentity()",
      "glFrustum(-320, 320, 240, -240, 1, 1000)", "glMatrixMode(0x1700)",
  };
  EXPECT_EQ(glrec::Texts(), Concat(DefaultStateCalls(), theNamed));
  // The tracker's values are unchanged by the double application.
  for (int k = 0; k < STATE_COUNT; ++k) EXPECT_EQ(GetState(k), kDefaults[k]);
  EXPECT_EQ(GetMatrixMode(), GL_MODELVIEW);
}

TEST_F(OGLStateTest, MakeCurrentAppliesNonDefaultStatesTwice) {
  SetState(STATE_BLEND, 1);
  SetState(STATE_COLOR, static_cast<int>(0x80FF0000u));
  AttachState(nullptr);
  glrec::Clear();
  MakeCurrent(mState);
  Texts theTexts = glrec::Texts();
  ASSERT_GE(theTexts.size(), 10u);
  EXPECT_EQ(theTexts[0], "glDisable(0xBE2)");
  EXPECT_EQ(theTexts[1], "glEnable(0xBE2)");
  EXPECT_EQ(theTexts[8], "glColor4d(0, 0, 0, 0)");
  EXPECT_EQ(theTexts[9], "glColor4d(1, 0, 0, 0.501961)");
  EXPECT_EQ(GetState(STATE_BLEND), 1);
  SetState(STATE_BLEND, 0);
  SetState(STATE_COLOR, -1);
}

TEST_F(OGLStateTest, MakeCurrentWithIdenticalPreviousIssuesOnlyTheFifteenStates) {
  OGLState* theB = new OGLState(640, 480);
  MakeCurrent(theB);
  EXPECT_EQ(GetCurrentState(), theB);
  EXPECT_EQ(glrec::Texts(), DefaultStateCalls());
  MakeCurrent(nullptr);
  EXPECT_EQ(GetCurrentState(), nullptr);
  delete theB;
}

TEST_F(OGLStateTest, MakeCurrentIssuesOnlyTheNamedStacksThatDiffer) {
  OGLState* theB = new OGLState(640, 480);
  AttachState(theB);
  SetTextureUsed(7);
  SetViewport(10, 20, 100, 100);
  AttachState(mState);
  glrec::Clear();
  MakeCurrent(theB);
  EXPECT_EQ(glrec::Texts(), Concat(DefaultStateCalls(), {"glBindTexture(0xDE1, 7)",
                                                          "glViewport(10, 360, 100, 100)"}));
  glrec::Clear();
  MakeCurrent(mState);  // back: the same two differ
  EXPECT_EQ(glrec::Texts(), Concat(DefaultStateCalls(), {"glBindTexture(0xDE1, 0)",
                                                          "glViewport(0, 0, 640, 480)"}));
  AttachState(nullptr);
  delete theB;
  AttachState(mState);
}

TEST_F(OGLStateTest, MakeCurrentNullOnlyClears) {
  MakeCurrent(nullptr);
  EXPECT_EQ(GetCurrentState(), nullptr);
  EXPECT_TRUE(glrec::Calls().empty());
}

// ---- Fixed-function states --------------------------------------------------

TEST_F(OGLStateTest, PushOfValueInForceAndPopIssueNothing) {
  for (int k = 0; k < STATE_COUNT; ++k) {
    PushState(k, GetState(k));
    PopState(k);
  }
  PushViewport(0, 0, 640, 480);
  PopViewport();
  PushProjection(-320, 320, 240, -240, 1, 1000, false);
  PopProjection();
  PushTexture2D(false);
  PopTexture2D();
  PushTextureUsed(0);
  PopTextureUsed();
  PushMatrixMode(GL_MODELVIEW);
  PopMatrixMode();
  EXPECT_TRUE(glrec::Calls().empty()) << ::testing::PrintToString(glrec::Texts());
}

TEST_F(OGLStateTest, SetOfValueInForceIssuesNothing) {
  for (int k = 0; k < STATE_COUNT; ++k) SetState(k, GetState(k));
  SetViewport(0, 0, 640, 480);
  SetProjection(-320, 320, 240, -240, 1, 1000, false);
  SetTexture2D(false);
  SetTextureUsed(0);
  SetMatrixMode(GL_MODELVIEW);
  EXPECT_TRUE(glrec::Calls().empty());
}

TEST_F(OGLStateTest, PushStateAndPopStateRestore) {
  PushState(STATE_BLEND, 1);
  EXPECT_EQ(GetState(STATE_BLEND), 1);
  PushState(STATE_BLEND, 1);  // same value: nothing
  PopState(STATE_BLEND);      // back to 1: nothing
  PopState(STATE_BLEND);
  EXPECT_EQ(GetState(STATE_BLEND), 0);
  EXPECT_EQ(glrec::Texts(), (Texts{"glEnable(0xBE2)", "glDisable(0xBE2)"}));
  EXPECT_EQ(mState->mTop[STATE_BLEND], 0);
}

TEST_F(OGLStateTest, ThirtyOnePushesFitInAFixedFunctionStack) {
  for (int i = 1; i <= 31; ++i) PushState(STATE_COLOR, i);
  EXPECT_EQ(GetState(STATE_COLOR), 31);
  for (int i = 30; i >= 0; --i) {
    PopState(STATE_COLOR);
    EXPECT_EQ(GetState(STATE_COLOR), i == 0 ? -1 : i);
  }
}

TEST_F(OGLStateTest, BlendFactorsReissueThePair) {
  SetState(STATE_BLEND_SRC, GL_SRC_ALPHA);
  SetState(STATE_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA);
  PushState(STATE_BLEND_SRC, GL_ONE);
  PopState(STATE_BLEND_SRC);
  EXPECT_EQ(glrec::Texts(), (Texts{"glBlendFunc(0x302, 0x0)", "glBlendFunc(0x302, 0x303)",
                                   "glBlendFunc(0x1, 0x303)", "glBlendFunc(0x302, 0x303)"}));
  SetState(STATE_BLEND_SRC, 0);
  SetState(STATE_BLEND_DST, 0);
}

TEST_F(OGLStateTest, BlendEquationGoesThroughTheEntryPoint) {
  SetState(STATE_BLEND_EQUATION, GL_FUNC_SUBTRACT);
  EXPECT_EQ(glrec::Texts(), (Texts{"glBlendEquation(0x800A)"}));
}

TEST_F(OGLStateTest, BlendEquationWithoutEntryPointIsRecordedButNotCalled) {
  glrec::RemoveBlendEquation();
  SetState(STATE_BLEND_EQUATION, GL_FUNC_SUBTRACT);
  EXPECT_EQ(GetState(STATE_BLEND_EQUATION), GL_FUNC_SUBTRACT);
  PushState(STATE_BLEND_EQUATION, GL_MAX);
  PopState(STATE_BLEND_EQUATION);
  SetState(STATE_BLEND_EQUATION, GL_FUNC_ADD);
  AttachState(nullptr);
  MakeCurrent(mState);  // all other states still reach OpenGL
  Texts theExpected = DefaultStateCalls();
  theExpected.erase(theExpected.begin() + 6, theExpected.begin() + 8);
  Texts theTexts = glrec::Texts();
  theTexts.resize(theExpected.size());
  EXPECT_EQ(theTexts, theExpected);
}

TEST_F(OGLStateTest, PackedColourToColor4d) {
  SetState(STATE_COLOR, static_cast<int>(0x80FF0000u));
  ASSERT_EQ(glrec::Calls().size(), 1u);
  const glrec::Call& c = glrec::Calls()[0];
  EXPECT_EQ(c.name, "glColor4d");
  EXPECT_EQ(c.args, (std::vector<double>{1.0, 0.0, 0.0, 128.0 / 255.0}));
  glrec::Clear();
  SetState(STATE_COLOR, 0x11223344);
  EXPECT_EQ(glrec::Calls()[0].args,
            (std::vector<double>{0x22 / 255.0, 0x33 / 255.0, 0x44 / 255.0, 0x11 / 255.0}));
  SetState(STATE_COLOR, -1);
}

TEST_F(OGLStateTest, PackedColourToClearColor) {
  SetState(STATE_CLEAR_COLOR, static_cast<int>(0x80FF0000u));
  SetState(STATE_CLEAR_COLOR, 0x11223344);
  ASSERT_EQ(glrec::Calls().size(), 2u);
  EXPECT_EQ(glrec::Calls()[0].name, "glClearColor");
  EXPECT_EQ(glrec::Calls()[0].args,
            (std::vector<double>{1.0f, 0.0f, 0.0f, static_cast<float>(128.0 / 255.0)}));
  EXPECT_EQ(glrec::Calls()[1].args,
            (std::vector<double>{static_cast<float>(0x22 / 255.0), static_cast<float>(0x33 / 255.0),
                                 static_cast<float>(0x44 / 255.0),
                                 static_cast<float>(0x11 / 255.0)}));
  SetState(STATE_CLEAR_COLOR, 0);
}

TEST_F(OGLStateTest, ColourMaskBitOrder) {
  SetState(STATE_COLOR_MASK, 4);  // red only
  SetState(STATE_COLOR_MASK, 2);  // green only
  SetState(STATE_COLOR_MASK, 1);  // blue only
  SetState(STATE_COLOR_MASK, 8);  // alpha only
  SetState(STATE_COLOR_MASK, 15);
  EXPECT_EQ(glrec::Texts(), (Texts{"glColorMask(1, 0, 0, 0)", "glColorMask(0, 1, 0, 0)",
                                   "glColorMask(0, 0, 1, 0)", "glColorMask(0, 0, 0, 1)",
                                   "glColorMask(1, 1, 1, 1)"}));
}

TEST_F(OGLStateTest, DepthAndShadeModel) {
  SetState(STATE_DEPTH_TEST, 5);
  SetState(STATE_DEPTH_MASK, 0);
  SetState(STATE_SHADE_MODEL, GL_FLAT);
  SetState(STATE_DEPTH_TEST, 0);
  SetState(STATE_DEPTH_MASK, 3);
  SetState(STATE_SHADE_MODEL, GL_SMOOTH);
  EXPECT_EQ(glrec::Texts(), (Texts{"glEnable(0xB71)", "glDepthMask(0)", "glShadeModel(0x1D00)",
                                   "glDisable(0xB71)", "glDepthMask(1)", "glShadeModel(0x1D01)"}));
}

TEST_F(OGLStateTest, ClippingEnablesFourPlanes) {
  PushState(STATE_CLIPPING, 1);
  PopState(STATE_CLIPPING);
  EXPECT_EQ(glrec::Texts(),
            (Texts{"glEnable(0x3000)", "glEnable(0x3001)", "glEnable(0x3002)", "glEnable(0x3003)",
                   "glDisable(0x3000)", "glDisable(0x3001)", "glDisable(0x3002)",
                   "glDisable(0x3003)"}));
}

TEST_F(OGLStateTest, ClipPlaneEquationsForAllFourPlanes) {
  SetState(STATE_CLIP_MAX_X, 50);
  SetState(STATE_CLIP_MIN_X, 10);
  SetState(STATE_CLIP_MAX_Y, 20);
  SetState(STATE_CLIP_MIN_Y, 5);
  EXPECT_EQ(glrec::Texts(),
            (Texts{"glClipPlane(0x3000, -1, 0, 0, 50)", "glClipPlane(0x3001, 1, 0, 0, -10)",
                   "glClipPlane(0x3002, 0, -1, 0, 20)", "glClipPlane(0x3003, 0, 1, 0, -5)"}));
  glrec::Clear();
  PushState(STATE_CLIP_MIN_Y, -7);
  PopState(STATE_CLIP_MIN_Y);
  EXPECT_EQ(glrec::Texts(), (Texts{"glClipPlane(0x3003, 0, 1, 0, 7)",
                                   "glClipPlane(0x3003, 0, 1, 0, -5)"}));
  SetState(STATE_CLIP_MAX_X, 1000);
  SetState(STATE_CLIP_MIN_X, 0);
  SetState(STATE_CLIP_MAX_Y, 700);
  SetState(STATE_CLIP_MIN_Y, 0);
}

TEST_F(OGLStateTest, ClipPlaneProductWrapsIn32Bits) {
  SetState(STATE_CLIP_MIN_X, INT32_MIN);  // -(+1) * INT32_MIN wraps to INT32_MIN
  ASSERT_EQ(glrec::Calls().size(), 1u);
  EXPECT_EQ(glrec::Calls()[0].args[4], static_cast<double>(INT32_MIN));
  SetState(STATE_CLIP_MIN_X, 0);
}

// ---- Named stacks ----------------------------------------------------------------

TEST_F(OGLStateTest, ViewportRowConversionOnSetPushAndPop) {
  SetViewport(0, 0, 100, 100);
  PushViewport(10, 20, 30, 40);
  PopViewport();
  EXPECT_EQ(glrec::Texts(), (Texts{"glViewport(0, 380, 100, 100)", "glViewport(10, 420, 30, 40)",
                                   "glViewport(0, 380, 100, 100)"}));
  int x, y;
  unsigned w, h;
  GetViewport(x, y, w, h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 100u);
  EXPECT_EQ(h, 100u);
}

TEST_F(OGLStateTest, ViewportCentredVerticallyIsUnchanged) {
  SetViewport(0, 60, 640, 360);
  SetViewport(0, 0, 640, 480);
  EXPECT_EQ(glrec::Texts(), (Texts{"glViewport(0, 60, 640, 360)", "glViewport(0, 0, 640, 480)"}));
}

TEST_F(OGLStateTest, ViewportHeightIsTruncatedTrackerHeight) {
  AttachState(nullptr);
  OGLState theOdd(101, 101);
  AttachState(&theOdd);
  SetViewport(5, 1, 10, 50);
  EXPECT_EQ(glrec::Texts(), (Texts{"glViewport(5, 50, 10, 50)"}));
  AttachState(mState);
}

TEST_F(OGLStateTest, ProjectionSequence) {
  PushProjection(0, 640, 480, 0, -1, 1, true);
  EXPECT_EQ(glrec::Texts(), (Texts{"glMatrixMode(0x1701)", "glLoadIdentity()",
                                   "glOrtho(0, 640, 480, 0, -1, 1)", "glMatrixMode(0x1700)"}));
  double l, r, b, t, n, f;
  bool o;
  GetProjection(l, r, b, t, n, f, o);
  EXPECT_EQ(r, 640.0);
  EXPECT_EQ(b, 480.0);
  EXPECT_EQ(n, -1.0);
  EXPECT_TRUE(o);
  glrec::Clear();
  // Only the ortho flag differs: still a change.
  SetMatrixMode(GL_PROJECTION);
  SetProjection(0, 640, 480, 0, -1, 1, false);
  EXPECT_EQ(glrec::Texts(), (Texts{"glMatrixMode(0x1701)", "glLoadIdentity()",
                                   "glFrustum(0, 640, 480, 0, -1, 1)"}));
  EXPECT_EQ(GetMatrixMode(), GL_PROJECTION);
  glrec::Clear();
  SetMatrixMode(GL_MODELVIEW);
  PopProjection();
  EXPECT_EQ(glrec::Texts(), (Texts{"glMatrixMode(0x1700)", "glMatrixMode(0x1701)",
                                   "glLoadIdentity()", "glFrustum(-320, 320, 240, -240, 1, 1000)",
                                   "glMatrixMode(0x1700)"}));
  EXPECT_EQ(mState->mMatrixModeTop, 0);
}

TEST_F(OGLStateTest, TextureStacks) {
  PushTexture2D(true);
  PushTextureUsed(3);
  PushTextureUsed(4);
  EXPECT_TRUE(GetTexture2D());
  EXPECT_EQ(GetTextureUsed(), 4u);
  PopTextureUsed();
  PopTextureUsed();
  PopTexture2D();
  SetTexture2D(true);
  SetTexture2D(false);
  SetTextureUsed(9);
  SetTextureUsed(0);
  EXPECT_EQ(glrec::Texts(),
            (Texts{"glEnable(0xDE1)", "glBindTexture(0xDE1, 3)", "glBindTexture(0xDE1, 4)",
                   "glBindTexture(0xDE1, 3)", "glBindTexture(0xDE1, 0)", "glDisable(0xDE1)",
                   "glEnable(0xDE1)", "glDisable(0xDE1)", "glBindTexture(0xDE1, 9)",
                   "glBindTexture(0xDE1, 0)"}));
}

TEST_F(OGLStateTest, MatrixModeStack) {
  PushMatrixMode(GL_PROJECTION);
  PushMatrixMode(GL_TEXTURE);
  EXPECT_EQ(GetMatrixMode(), GL_TEXTURE);
  PopMatrixMode();
  PopMatrixMode();
  EXPECT_EQ(glrec::Texts(), (Texts{"glMatrixMode(0x1701)", "glMatrixMode(0x1702)",
                                   "glMatrixMode(0x1701)", "glMatrixMode(0x1700)"}));
}

TEST_F(OGLStateTest, ThirtyOnePushesFitInEveryNamedStack) {
  for (int i = 1; i <= 31; ++i) {
    PushViewport(i, 0, 1, 1);
    PushProjection(i, 1, 1, 1, 1, 1, true);
    PushTexture2D(i % 2);
    PushTextureUsed(i);
    PushMatrixMode(GL_MODELVIEW);
  }
  EXPECT_EQ(GetTextureUsed(), 31u);
  for (int i = 1; i <= 31; ++i) {
    // The matrix mode first: a projection change pushes the matrix mode.
    PopMatrixMode();
    PopViewport();
    PopProjection();
    PopTexture2D();
    PopTextureUsed();
  }
  EXPECT_EQ(GetTextureUsed(), 0u);
  EXPECT_EQ(mState->mViewportTop, 0);
  EXPECT_EQ(mState->mProjectionTop, 0u);
}

// ---- Failures ----------------------------------------------------------------

using OGLStateDeathTest = OGLStateTest;

TEST_F(OGLStateDeathTest, NamedPushOverflow) {
  for (int i = 0; i < 31; ++i) {
    PushViewport(0, 0, 1, 1);
    PushProjection(0, 1, 1, 0, -1, 1, true);
    PushTexture2D(true);
    PushTextureUsed(1);
    PushMatrixMode(GL_PROJECTION);
  }
  EXPECT_DEATH(PushViewport(0, 0, 1, 1), "\"PushViewport stack overflow!\" == 0");
  EXPECT_DEATH(PushProjection(0, 1, 1, 0, -1, 1, true), "\"PushProjection stack overflow!\" == 0");
  EXPECT_DEATH(PushTexture2D(true), "\"PushTexture2D stack overflow!\" == 0");
  EXPECT_DEATH(PushTextureUsed(1), "\"PushTextureUsed stack overflow!\" == 0");
  EXPECT_DEATH(PushMatrixMode(GL_PROJECTION), "\"PushMatrixMode stack overflow!\" == 0");
  EXPECT_DEATH(PushViewport(0, 0, 1, 1), "oglstate\\.cpp, line [0-9]+");
  for (int i = 0; i < 31; ++i) {
    PopViewport();
    PopProjection();
    PopTexture2D();
    PopTextureUsed();
    PopMatrixMode();
  }
}

TEST_F(OGLStateDeathTest, ProjectionOverflowThroughTheMatrixModeStack) {
  // The projection sequence pushes the matrix mode: with that stack full,
  // a projection change reports the matrix-mode overflow.
  for (int i = 0; i < 31; ++i) PushMatrixMode(GL_MODELVIEW);
  EXPECT_DEATH(SetProjection(0, 1, 1, 0, -1, 1, true), "\"PushMatrixMode stack overflow!\" == 0");
  for (int i = 0; i < 31; ++i) PopMatrixMode();
}

TEST_F(OGLStateDeathTest, NamedPopUnderflow) {
  EXPECT_DEATH(PopViewport(), "\"PopViewport stack underflow!\" == 0");
  EXPECT_DEATH(PopTexture2D(), "\"PopTexture2D stack underflow!\" == 0");
  EXPECT_DEATH(PopTextureUsed(), "\"PopTextureUsed stack underflow!\" == 0");
  EXPECT_DEATH(PopMatrixMode(), "\"PopMatrixMode stack underflow!\" == 0");
  EXPECT_DEATH(PopProjection(), "\"PopProjection stack underflow!\" == 0");
}

TEST_F(OGLStateDeathTest, NamedOperationsWithoutState) {
  AttachState(nullptr);
  int x, y;
  unsigned w, h;
  double d;
  bool b;
  EXPECT_DEATH(SetViewport(0, 0, 1, 1), "gState && \"SetViewport: No state!\\\\n\"");
  EXPECT_DEATH(GetViewport(x, y, w, h), "GetViewport: No state!");
  EXPECT_DEATH(PushViewport(0, 0, 1, 1), "PushViewport: No state!");
  EXPECT_DEATH(PopViewport(), "PopViewport: No state!");
  EXPECT_DEATH(SetProjection(0, 1, 1, 0, -1, 1, true), "SetProjection: No state!");
  EXPECT_DEATH(GetProjection(d, d, d, d, d, d, b), "GetProjection: No state!");
  EXPECT_DEATH(PushProjection(0, 1, 1, 0, -1, 1, true), "PushProjection: No state!");
  EXPECT_DEATH(PopProjection(), "PopProjection: No state!");
  EXPECT_DEATH(SetTexture2D(true), "SetTexture2D: No state!");
  EXPECT_DEATH(GetTexture2D(), "GetTexture2D: No state!");
  EXPECT_DEATH(PushTexture2D(true), "PushTexture2D: No state!");
  EXPECT_DEATH(PopTexture2D(), "PopTexture2D: No state!");
  EXPECT_DEATH(SetTextureUsed(1), "SetTextureUsed: No state!");
  EXPECT_DEATH(GetTextureUsed(), "GetTextureUsed: No state!");
  EXPECT_DEATH(PushTextureUsed(1), "PushTextureUsed: No state!");
  EXPECT_DEATH(PopTextureUsed(), "PopTextureUsed: No state!");
  EXPECT_DEATH(SetMatrixMode(1), "SetMatrixMode: No state!");
  EXPECT_DEATH(GetMatrixMode(), "GetMatrixMode: No state!");
  EXPECT_DEATH(PushMatrixMode(1), "PushMatrixMode: No state!");
  EXPECT_DEATH(PopMatrixMode(), "PopMatrixMode: No state!");
  AttachState(mState);
}

TEST_F(OGLStateDeathTest, FixedFunctionKindOutOfRange) {
  EXPECT_DEATH(PushState(15, 0), "PushState: kind out of range \\(kind 15\\)");
  EXPECT_DEATH(PushState(-1, 0), "PushState: kind out of range \\(kind -1\\)");
  EXPECT_DEATH(SetState(15, 0), "SetState: kind out of range");
  EXPECT_DEATH(SetState(-1, 0), "SetState: kind out of range");
  EXPECT_DEATH(GetState(15), "GetState: kind out of range");
  EXPECT_DEATH(PopState(-1), "PopState: kind out of range");
  EXPECT_DEATH(PopState(1000000), "PopState: kind out of range");
}

TEST_F(OGLStateDeathTest, FixedFunctionOverflowAndUnderflow) {
  EXPECT_DEATH(PopState(STATE_BLEND), "PopState: stack underflow \\(kind 0\\)");
  for (int i = 0; i < 31; ++i) PushState(STATE_CLIP_MIN_Y, i);
  EXPECT_DEATH(PushState(STATE_CLIP_MIN_Y, 1), "PushState: stack overflow \\(kind 14\\)");
  for (int i = 0; i < 31; ++i) PopState(STATE_CLIP_MIN_Y);
}

TEST_F(OGLStateDeathTest, FixedFunctionWithoutState) {
  AttachState(nullptr);
  EXPECT_DEATH(SetState(STATE_BLEND, 1), "SetState: no current tracker");
  EXPECT_DEATH(GetState(STATE_BLEND), "GetState: no current tracker");
  EXPECT_DEATH(PushState(STATE_BLEND, 1), "PushState: no current tracker");
  EXPECT_DEATH(PopState(STATE_BLEND), "PopState: no current tracker");
  AttachState(mState);
}

TEST_F(OGLStateDeathTest, FixedFunctionFailureCannotBeCaught) {
  EXPECT_DEATH(
      {
        try {
          PushState(15, 0);
        } catch (...) {
        }
      },
      "terminate called");
}

TEST_F(OGLStateDeathTest, DestructionAboveBase) {
  EXPECT_DEATH(
      {
        AttachState(nullptr);
        OGLState* theState = new OGLState(10, 10);
        AttachState(theState);
        PushState(STATE_DEPTH_TEST, 1);
        AttachState(nullptr);
        delete theState;
      },
      "mTop\\[i\\] == 0");
}

}  // namespace
