// OpenGL state tracker. See oglstate.h for the contracts.
#include "oglstate.h"

#include <cstdio>
#include <stdexcept>

#include "glcalls.h"
#include "zassert.h"

OGLState* gState = nullptr;

namespace {

constexpr int kDepth = OGLState::kDepth;

// Fixed-function precondition failures end the program through an
// exception that nothing may catch. The exception is thrown here and leaves
// StateFailure, which is noexcept, so std::terminate runs at once: no caller
// can catch it, and the default terminate handler prints the message.
[[noreturn]] __attribute__((noinline)) void ThrowStateError(const char* inOperation,
                                                            const char* inWhat, int inKind) {
  char theMessage[128];
  std::snprintf(theMessage, sizeof theMessage, "%s: %s (kind %d)", inOperation, inWhat, inKind);
  throw std::logic_error(theMessage);
}

[[noreturn]] void StateFailure(const char* inOperation, const char* inWhat, int inKind) noexcept {
  ThrowStateError(inOperation, inWhat, inKind);
}

// Common preconditions of the fixed-function operations; returns the tracker.
OGLState& CheckState(const char* inOperation, int inKind) {
  if (inKind < 0 || inKind >= STATE_COUNT) StateFailure(inOperation, "kind out of range", inKind);
  if (!gState) StateFailure(inOperation, "no current tracker", inKind);
  return *gState;
}

int32_t& InForce(OGLState& ioState, int inKind) {
  return ioState.mStates[inKind][ioState.mTop[inKind]];
}

double Channel(uint32_t inPacked, int inShift) {
  return static_cast<double>((inPacked >> inShift) & 0xFFu) / 255.0;
}

void EnableIf(GLenum inCap, bool inEnabled) {
  if (inEnabled)
    ZGL(Enable)(inCap);
  else
    ZGL(Disable)(inCap);
}

// The OpenGL call of each named stack, for the value given.
void ApplyTexture2D(bool inEnabled) { EnableIf(GL_TEXTURE_2D, inEnabled); }
void ApplyTextureUsed(uint32_t inTexture) { ZGL(BindTexture)(GL_TEXTURE_2D, inTexture); }
void ApplyMatrixMode(int32_t inMode) { ZGL(MatrixMode)(static_cast<GLenum>(inMode)); }

void ApplyViewport(const OGLState& inState, const OGLViewport& inViewport) {
  // Row conversion: top-left origin -> OpenGL's bottom-left origin, in
  // 32-bit integers (wrapping, never undefined).
  const int32_t theH = static_cast<int32_t>(inState.mHeight);
  const int32_t theRow = static_cast<int32_t>(static_cast<uint32_t>(theH) -
                                              static_cast<uint32_t>(inViewport.y) -
                                              inViewport.height);
  ZGL(Viewport)(inViewport.x, theRow, static_cast<GLsizei>(inViewport.width),
                static_cast<GLsizei>(inViewport.height));
}

void ApplyProjection(const OGLProjection& inP) {
  PushMatrixMode(GL_PROJECTION);
  ZGL(LoadIdentity)();
  if (inP.ortho)
    ZGL(Ortho)(inP.left, inP.right, inP.bottom, inP.top, inP.nearPlane, inP.farPlane);
  else
    ZGL(Frustum)(inP.left, inP.right, inP.bottom, inP.top, inP.nearPlane, inP.farPlane);
  PopMatrixMode();
}

bool operator==(const OGLViewport& inA, const OGLViewport& inB) {
  return inA.x == inB.x && inA.y == inB.y && inA.width == inB.width && inA.height == inB.height;
}
bool operator!=(const OGLViewport& inA, const OGLViewport& inB) { return !(inA == inB); }

bool operator==(const OGLProjection& inA, const OGLProjection& inB) {
  return inA.left == inB.left && inA.right == inB.right && inA.bottom == inB.bottom &&
         inA.top == inB.top && inA.nearPlane == inB.nearPlane && inA.farPlane == inB.farPlane &&
         inA.ortho == inB.ortho;
}
bool operator!=(const OGLProjection& inA, const OGLProjection& inB) { return !(inA == inB); }

}  // namespace

// ---- Construction ------------------------------------------------------------

OGLState::OGLState(unsigned inWidth, unsigned inHeight)
    : mWidth(static_cast<double>(inWidth)), mHeight(static_cast<double>(inHeight)) {
  for (int i = 0; i < kDepth; ++i) {
    mTexture2D[i] = false;
    mTextureUsed[i] = 0;
    mMatrixMode[i] = GL_MODELVIEW;
    mViewport[i] = OGLViewport{0, 0, 0, 0};
    mProjection[i] = OGLProjection{0, 0, 0, 0, 0, 0, false};
  }
  mTexture2DTop = 0;
  mTextureUsedTop = 0;
  mMatrixModeTop = 0;
  mViewport[0] = OGLViewport{0, 0, inWidth, inHeight};
  mViewportTop = 0;
  mProjection[0] = OGLProjection{-mWidth / 2, mWidth / 2, mHeight / 2, -mHeight / 2, 1.0, 1000.0,
                                 false};
  mProjectionTop = 0;

  static const int32_t kDefaults[STATE_COUNT] = {
      0,                                       // STATE_BLEND
      GL_ZERO,                                 // STATE_BLEND_SRC
      GL_ZERO,                                 // STATE_BLEND_DST
      GL_FUNC_ADD,                             // STATE_BLEND_EQUATION
      static_cast<int32_t>(0xFFFFFFFFu),       // STATE_COLOR
      0,                                       // STATE_CLEAR_COLOR
      15,                                      // STATE_COLOR_MASK
      0,                                       // STATE_DEPTH_TEST
      1,                                       // STATE_DEPTH_MASK
      GL_SMOOTH,                               // STATE_SHADE_MODEL
      0,                                       // STATE_CLIPPING
      1000,                                    // STATE_CLIP_MAX_X
      0,                                       // STATE_CLIP_MIN_X
      700,                                     // STATE_CLIP_MAX_Y
      0,                                       // STATE_CLIP_MIN_Y
  };
  for (int k = 0; k < STATE_COUNT; ++k) {
    mTop[k] = 0;
    for (int i = 0; i < kDepth; ++i) mStates[k][i] = kDefaults[k];
  }
}

OGLState::~OGLState() {
  for (int i = 0; i < STATE_COUNT; ++i) Z_ASSERT(mTop[i] == 0);
}

// ---- Current tracker -----------------------------------------------------------

void MakeCurrent(OGLState* inState) {
  OGLState* thePrevious = gState;
  gState = inState;
  if (!inState) return;
  OGLState& s = *inState;

  for (int k = 0; k < STATE_COUNT; ++k) {
    const int32_t theValue = InForce(s, k);
    SetState(k, theValue == 0 ? 1 : 0);
    SetState(k, theValue);
  }

  const OGLState* p = thePrevious;
  if (!p || p->mTexture2D[p->mTexture2DTop] != s.mTexture2D[s.mTexture2DTop])
    ApplyTexture2D(s.mTexture2D[s.mTexture2DTop]);
  if (!p || p->mTextureUsed[p->mTextureUsedTop] != s.mTextureUsed[s.mTextureUsedTop])
    ApplyTextureUsed(s.mTextureUsed[s.mTextureUsedTop]);
  if (!p || p->mMatrixMode[p->mMatrixModeTop] != s.mMatrixMode[s.mMatrixModeTop])
    ApplyMatrixMode(s.mMatrixMode[s.mMatrixModeTop]);
  if (!p || p->mViewport[p->mViewportTop] != s.mViewport[s.mViewportTop])
    ApplyViewport(s, s.mViewport[s.mViewportTop]);
  if (!p || p->mProjection[p->mProjectionTop] != s.mProjection[s.mProjectionTop])
    ApplyProjection(s.mProjection[s.mProjectionTop]);
}

void AttachState(OGLState* inState) { gState = inState; }

OGLState* GetCurrentState() { return gState; }

// ---- Viewport ------------------------------------------------------------------

void SetViewport(int inX, int inY, unsigned inWidth, unsigned inHeight) {
  Z_ASSERT(gState && "SetViewport: No state!\n");
  OGLState& s = *gState;
  const OGLViewport theNew{inX, inY, inWidth, inHeight};
  OGLViewport& theTop = s.mViewport[s.mViewportTop];
  if (theTop == theNew) return;
  theTop = theNew;
  ApplyViewport(s, theNew);
}

void GetViewport(int& outX, int& outY, unsigned& outWidth, unsigned& outHeight) {
  Z_ASSERT(gState && "GetViewport: No state!\n");
  const OGLViewport& theTop = gState->mViewport[gState->mViewportTop];
  outX = theTop.x;
  outY = theTop.y;
  outWidth = theTop.width;
  outHeight = theTop.height;
}

void PushViewport(int inX, int inY, unsigned inWidth, unsigned inHeight) {
  Z_ASSERT(gState && "PushViewport: No state!\n");
  OGLState& s = *gState;
  if (s.mViewportTop + 1 >= kDepth) Z_ASSERT("PushViewport stack overflow!" == 0);
  const OGLViewport theNew{inX, inY, inWidth, inHeight};
  ++s.mViewportTop;
  if (theNew != s.mViewport[s.mViewportTop - 1]) ApplyViewport(s, theNew);
  s.mViewport[s.mViewportTop] = theNew;
}

void PopViewport() {
  Z_ASSERT(gState && "PopViewport: No state!\n");
  OGLState& s = *gState;
  if (s.mViewportTop <= 0) Z_ASSERT("PopViewport stack underflow!" == 0);
  --s.mViewportTop;
  const OGLViewport& theNew = s.mViewport[s.mViewportTop];
  if (theNew != s.mViewport[s.mViewportTop + 1]) ApplyViewport(s, theNew);
}

// ---- Projection ----------------------------------------------------------------

void SetProjection(double inLeft, double inRight, double inBottom, double inTop, double inNear,
                   double inFar, bool inOrtho) {
  Z_ASSERT(gState && "SetProjection: No state!\n");
  OGLState& s = *gState;
  const OGLProjection theNew{inLeft, inRight, inBottom, inTop, inNear, inFar, inOrtho};
  OGLProjection& theTop = s.mProjection[s.mProjectionTop];
  if (theTop == theNew) return;
  theTop = theNew;
  ApplyProjection(theNew);
}

void GetProjection(double& outLeft, double& outRight, double& outBottom, double& outTop,
                   double& outNear, double& outFar, bool& outOrtho) {
  Z_ASSERT(gState && "GetProjection: No state!\n");
  const OGLProjection& theTop = gState->mProjection[gState->mProjectionTop];
  outLeft = theTop.left;
  outRight = theTop.right;
  outBottom = theTop.bottom;
  outTop = theTop.top;
  outNear = theTop.nearPlane;
  outFar = theTop.farPlane;
  outOrtho = theTop.ortho;
}

void PushProjection(double inLeft, double inRight, double inBottom, double inTop, double inNear,
                    double inFar, bool inOrtho) {
  Z_ASSERT(gState && "PushProjection: No state!\n");
  OGLState& s = *gState;
  if (s.mProjectionTop + 1 >= static_cast<uint32_t>(kDepth))
    Z_ASSERT("PushProjection stack overflow!" == 0);
  const OGLProjection theNew{inLeft, inRight, inBottom, inTop, inNear, inFar, inOrtho};
  ++s.mProjectionTop;
  s.mProjection[s.mProjectionTop] = theNew;
  // Stored before applying: the projection sequence pushes the matrix mode,
  // which never touches this stack, so the order is not observable.
  if (theNew != s.mProjection[s.mProjectionTop - 1]) ApplyProjection(theNew);
}

void PopProjection() {
  Z_ASSERT(gState && "PopProjection: No state!\n");
  OGLState& s = *gState;
  // A pop at the base is reported like the other
  // underflows (the top index is unsigned and is never lowered below 0).
  if (s.mProjectionTop == 0) Z_ASSERT("PopProjection stack underflow!" == 0);
  --s.mProjectionTop;
  const OGLProjection& theNew = s.mProjection[s.mProjectionTop];
  if (theNew != s.mProjection[s.mProjectionTop + 1]) ApplyProjection(theNew);
}

// ---- Texture2D -----------------------------------------------------------------

void SetTexture2D(bool inEnabled) {
  Z_ASSERT(gState && "SetTexture2D: No state!\n");
  OGLState& s = *gState;
  bool& theTop = s.mTexture2D[s.mTexture2DTop];
  if (theTop == inEnabled) return;
  theTop = inEnabled;
  ApplyTexture2D(inEnabled);
}

bool GetTexture2D() {
  Z_ASSERT(gState && "GetTexture2D: No state!\n");
  return gState->mTexture2D[gState->mTexture2DTop];
}

void PushTexture2D(bool inEnabled) {
  Z_ASSERT(gState && "PushTexture2D: No state!\n");
  OGLState& s = *gState;
  if (s.mTexture2DTop + 1 >= kDepth) Z_ASSERT("PushTexture2D stack overflow!" == 0);
  ++s.mTexture2DTop;
  if (inEnabled != s.mTexture2D[s.mTexture2DTop - 1]) ApplyTexture2D(inEnabled);
  s.mTexture2D[s.mTexture2DTop] = inEnabled;
}

void PopTexture2D() {
  Z_ASSERT(gState && "PopTexture2D: No state!\n");
  OGLState& s = *gState;
  if (s.mTexture2DTop <= 0) Z_ASSERT("PopTexture2D stack underflow!" == 0);
  --s.mTexture2DTop;
  const bool theNew = s.mTexture2D[s.mTexture2DTop];
  if (theNew != s.mTexture2D[s.mTexture2DTop + 1]) ApplyTexture2D(theNew);
}

// ---- TextureUsed ---------------------------------------------------------------

void SetTextureUsed(unsigned inTexture) {
  Z_ASSERT(gState && "SetTextureUsed: No state!\n");
  OGLState& s = *gState;
  uint32_t& theTop = s.mTextureUsed[s.mTextureUsedTop];
  if (theTop == inTexture) return;
  theTop = inTexture;
  ApplyTextureUsed(inTexture);
}

unsigned GetTextureUsed() {
  Z_ASSERT(gState && "GetTextureUsed: No state!\n");
  return gState->mTextureUsed[gState->mTextureUsedTop];
}

void PushTextureUsed(unsigned inTexture) {
  Z_ASSERT(gState && "PushTextureUsed: No state!\n");
  OGLState& s = *gState;
  if (s.mTextureUsedTop + 1 >= kDepth) Z_ASSERT("PushTextureUsed stack overflow!" == 0);
  ++s.mTextureUsedTop;
  if (inTexture != s.mTextureUsed[s.mTextureUsedTop - 1]) ApplyTextureUsed(inTexture);
  s.mTextureUsed[s.mTextureUsedTop] = inTexture;
}

void PopTextureUsed() {
  Z_ASSERT(gState && "PopTextureUsed: No state!\n");
  OGLState& s = *gState;
  if (s.mTextureUsedTop <= 0) Z_ASSERT("PopTextureUsed stack underflow!" == 0);
  --s.mTextureUsedTop;
  const uint32_t theNew = s.mTextureUsed[s.mTextureUsedTop];
  if (theNew != s.mTextureUsed[s.mTextureUsedTop + 1]) ApplyTextureUsed(theNew);
}

// ---- MatrixMode ----------------------------------------------------------------

void SetMatrixMode(int inMode) {
  Z_ASSERT(gState && "SetMatrixMode: No state!\n");
  OGLState& s = *gState;
  int32_t& theTop = s.mMatrixMode[s.mMatrixModeTop];
  if (theTop == inMode) return;
  theTop = inMode;
  ApplyMatrixMode(inMode);
}

int GetMatrixMode() {
  Z_ASSERT(gState && "GetMatrixMode: No state!\n");
  return gState->mMatrixMode[gState->mMatrixModeTop];
}

void PushMatrixMode(int inMode) {
  Z_ASSERT(gState && "PushMatrixMode: No state!\n");
  OGLState& s = *gState;
  if (s.mMatrixModeTop + 1 >= kDepth) Z_ASSERT("PushMatrixMode stack overflow!" == 0);
  ++s.mMatrixModeTop;
  if (inMode != s.mMatrixMode[s.mMatrixModeTop - 1]) ApplyMatrixMode(inMode);
  s.mMatrixMode[s.mMatrixModeTop] = inMode;
}

void PopMatrixMode() {
  Z_ASSERT(gState && "PopMatrixMode: No state!\n");
  OGLState& s = *gState;
  if (s.mMatrixModeTop <= 0) Z_ASSERT("PopMatrixMode stack underflow!" == 0);
  --s.mMatrixModeTop;
  const int32_t theNew = s.mMatrixMode[s.mMatrixModeTop];
  if (theNew != s.mMatrixMode[s.mMatrixModeTop + 1]) ApplyMatrixMode(theNew);
}

// ---- Fixed-function states -----------------------------------------------------

void SetState(int inKind, int inValue) {
  OGLState& s = CheckState("SetState", inKind);
  int32_t& theTop = InForce(s, inKind);
  if (theTop == inValue) return;
  theTop = inValue;

  switch (inKind) {
    case STATE_BLEND:
      EnableIf(GL_BLEND, inValue != 0);
      break;
    case STATE_BLEND_SRC:
    case STATE_BLEND_DST:
      ZGL(BlendFunc)(static_cast<GLenum>(InForce(s, STATE_BLEND_SRC)),
                     static_cast<GLenum>(InForce(s, STATE_BLEND_DST)));
      break;
    case STATE_BLEND_EQUATION:
      // GLEW's entry point is null without a context or before glewInit:
      // the value stays recorded, the call is skipped.
      if (ZGL(BlendEquation)) ZGL(BlendEquation)(static_cast<GLenum>(inValue));
      break;
    case STATE_COLOR: {
      const uint32_t c = static_cast<uint32_t>(inValue);
      ZGL(Color4d)(Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
      break;
    }
    case STATE_CLEAR_COLOR: {
      const uint32_t c = static_cast<uint32_t>(inValue);
      ZGL(ClearColor)(static_cast<GLclampf>(Channel(c, 16)), static_cast<GLclampf>(Channel(c, 8)),
                      static_cast<GLclampf>(Channel(c, 0)), static_cast<GLclampf>(Channel(c, 24)));
      break;
    }
    case STATE_COLOR_MASK:
      ZGL(ColorMask)((inValue >> 2) & 1, (inValue >> 1) & 1, inValue & 1, (inValue >> 3) & 1);
      break;
    case STATE_DEPTH_TEST:
      EnableIf(GL_DEPTH_TEST, inValue != 0);
      break;
    case STATE_DEPTH_MASK:
      ZGL(DepthMask)(inValue != 0 ? GL_TRUE : GL_FALSE);
      break;
    case STATE_SHADE_MODEL:
      ZGL(ShadeModel)(static_cast<GLenum>(inValue));
      break;
    case STATE_CLIPPING:
      for (int thePlane = 0; thePlane < 4; ++thePlane)
        EnableIf(static_cast<GLenum>(GL_CLIP_PLANE0 + thePlane), inValue != 0);
      break;
    default: {  // STATE_CLIP_MAX_X .. STATE_CLIP_MIN_Y
      const int k = inKind - STATE_CLIP_MAX_X;
      const int theSign = 2 * (k % 2) - 1;
      // -s * value in 32-bit integers (wrapping, never undefined).
      const int32_t theOffset = static_cast<int32_t>(static_cast<uint32_t>(-theSign) *
                                                     static_cast<uint32_t>(inValue));
      GLdouble theEquation[4] = {0.0, 0.0, 0.0, 0.0};
      theEquation[k / 2] = theSign;
      theEquation[3] = theOffset;
      ZGL(ClipPlane)(static_cast<GLenum>(GL_CLIP_PLANE0 + k), theEquation);
      break;
    }
  }
}

int GetState(int inKind) {
  OGLState& s = CheckState("GetState", inKind);
  return InForce(s, inKind);
}

void PushState(int inKind, int inValue) {
  OGLState& s = CheckState("PushState", inKind);
  if (s.mTop[inKind] >= kDepth - 1) StateFailure("PushState", "stack overflow", inKind);
  s.mStates[inKind][s.mTop[inKind] + 1] = s.mStates[inKind][s.mTop[inKind]];
  ++s.mTop[inKind];
  SetState(inKind, inValue);
}

void PopState(int inKind) {
  OGLState& s = CheckState("PopState", inKind);
  if (s.mTop[inKind] <= 0) StateFailure("PopState", "stack underflow", inKind);
  SetState(inKind, s.mStates[inKind][s.mTop[inKind] - 1]);
  --s.mTop[inKind];
}
