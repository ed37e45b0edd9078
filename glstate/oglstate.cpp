// OpenGL state tracker. See oglstate.h for the contracts.
#include <zorbit/oglstate.h>

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

// ---- The five named stacks -------------------------------------------------------
//
// Each named stack is an entries array and a top index in OGLState (their
// layout is fixed), described by a small traits struct: where the fields
// are, which OpenGL call applies a value, and the texts of its failed
// checks. The checks report the same condition text Z_ASSERT would print
// for the check written out by hand, e.g. gState && "SetViewport: No state!\n".

struct StackTexts {
  const char* mSetNoState;
  const char* mGetNoState;
  const char* mPushNoState;
  const char* mPopNoState;
  const char* mOverflow;
  const char* mUnderflow;
};

#define ZORBIT_STACK_TEXTS(Name)                                   \
  StackTexts {                                                     \
    "gState && \"Set" #Name ": No state!\\n\"",                    \
        "gState && \"Get" #Name ": No state!\\n\"",                \
        "gState && \"Push" #Name ": No state!\\n\"",               \
        "gState && \"Pop" #Name ": No state!\\n\"",                \
        "\"Push" #Name " stack overflow!\" == 0",                  \
        "\"Pop" #Name " stack underflow!\" == 0"                   \
  }

struct ViewportStack {
  using Value = OGLViewport;
  static constexpr StackTexts kTexts = ZORBIT_STACK_TEXTS(Viewport);
  static Value* Entries(OGLState& ioState) { return ioState.mViewport; }
  static const Value* Entries(const OGLState& inState) { return inState.mViewport; }
  static int32_t& Top(OGLState& ioState) { return ioState.mViewportTop; }
  static int32_t Top(const OGLState& inState) { return inState.mViewportTop; }
  static void Apply(const OGLState& inState, const Value& inValue) {
    ApplyViewport(inState, inValue);
  }
};

struct ProjectionStack {
  using Value = OGLProjection;
  static constexpr StackTexts kTexts = ZORBIT_STACK_TEXTS(Projection);
  static Value* Entries(OGLState& ioState) { return ioState.mProjection; }
  static const Value* Entries(const OGLState& inState) { return inState.mProjection; }
  static uint32_t& Top(OGLState& ioState) { return ioState.mProjectionTop; }
  static uint32_t Top(const OGLState& inState) { return inState.mProjectionTop; }
  static void Apply(const OGLState&, const Value& inValue) { ApplyProjection(inValue); }
};

struct Texture2DStack {
  using Value = bool;
  static constexpr StackTexts kTexts = ZORBIT_STACK_TEXTS(Texture2D);
  static Value* Entries(OGLState& ioState) { return ioState.mTexture2D; }
  static const Value* Entries(const OGLState& inState) { return inState.mTexture2D; }
  static int32_t& Top(OGLState& ioState) { return ioState.mTexture2DTop; }
  static int32_t Top(const OGLState& inState) { return inState.mTexture2DTop; }
  static void Apply(const OGLState&, Value inValue) { ApplyTexture2D(inValue); }
};

struct TextureUsedStack {
  using Value = uint32_t;
  static constexpr StackTexts kTexts = ZORBIT_STACK_TEXTS(TextureUsed);
  static Value* Entries(OGLState& ioState) { return ioState.mTextureUsed; }
  static const Value* Entries(const OGLState& inState) { return inState.mTextureUsed; }
  static int32_t& Top(OGLState& ioState) { return ioState.mTextureUsedTop; }
  static int32_t Top(const OGLState& inState) { return inState.mTextureUsedTop; }
  static void Apply(const OGLState&, Value inValue) { ApplyTextureUsed(inValue); }
};

struct MatrixModeStack {
  using Value = int32_t;
  static constexpr StackTexts kTexts = ZORBIT_STACK_TEXTS(MatrixMode);
  static Value* Entries(OGLState& ioState) { return ioState.mMatrixMode; }
  static const Value* Entries(const OGLState& inState) { return inState.mMatrixMode; }
  static int32_t& Top(OGLState& ioState) { return ioState.mMatrixModeTop; }
  static int32_t Top(const OGLState& inState) { return inState.mMatrixModeTop; }
  static void Apply(const OGLState&, Value inValue) { ApplyMatrixMode(inValue); }
};

#undef ZORBIT_STACK_TEXTS

// The current tracker, or the end of the program with inCondition.
OGLState& RequireState(const char* inCondition) {
  if (!gState) ::basic::AssertionFailed(inCondition, __FILE__, __LINE__);
  return *gState;
}

template <class S>
typename S::Value& TopEntry(OGLState& ioState) {
  return S::Entries(ioState)[S::Top(ioState)];
}

template <class S>
void StackSet(const typename S::Value& inNew) {
  OGLState& s = RequireState(S::kTexts.mSetNoState);
  typename S::Value& theTop = TopEntry<S>(s);
  if (theTop == inNew) return;
  theTop = inNew;
  S::Apply(s, inNew);
}

template <class S>
const typename S::Value& StackGet() {
  OGLState& s = RequireState(S::kTexts.mGetNoState);
  return TopEntry<S>(s);
}

template <class S>
void StackPush(const typename S::Value& inNew) {
  OGLState& s = RequireState(S::kTexts.mPushNoState);
  auto& theTop = S::Top(s);
  if (static_cast<int64_t>(theTop) + 1 >= kDepth)
    ::basic::AssertionFailed(S::kTexts.mOverflow, __FILE__, __LINE__);
  ++theTop;
  // Stored before applying: no Apply reads its own stack (the projection
  // pushes the matrix mode, another stack), so the order is not observable.
  S::Entries(s)[theTop] = inNew;
  if (inNew != S::Entries(s)[theTop - 1]) S::Apply(s, inNew);
}

template <class S>
void StackPop() {
  OGLState& s = RequireState(S::kTexts.mPopNoState);
  auto& theTop = S::Top(s);
  // The projection's top index is unsigned; it is never lowered below 0.
  if (static_cast<int64_t>(theTop) <= 0)
    ::basic::AssertionFailed(S::kTexts.mUnderflow, __FILE__, __LINE__);
  --theTop;
  const typename S::Value& theNew = S::Entries(s)[theTop];
  if (theNew != S::Entries(s)[theTop + 1]) S::Apply(s, theNew);
}

// MakeCurrent: issue the stack's value if there was no previous tracker or
// its value differs.
template <class S>
void ReissueIfChanged(const OGLState* inPrevious, const OGLState& inState) {
  const typename S::Value& theValue = S::Entries(inState)[S::Top(inState)];
  if (!inPrevious || S::Entries(*inPrevious)[S::Top(*inPrevious)] != theValue)
    S::Apply(inState, theValue);
}

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

  ReissueIfChanged<Texture2DStack>(thePrevious, s);
  ReissueIfChanged<TextureUsedStack>(thePrevious, s);
  ReissueIfChanged<MatrixModeStack>(thePrevious, s);
  ReissueIfChanged<ViewportStack>(thePrevious, s);
  ReissueIfChanged<ProjectionStack>(thePrevious, s);
}

void AttachState(OGLState* inState) { gState = inState; }

OGLState* GetCurrentState() { return gState; }

// ---- Named stacks --------------------------------------------------------------

void SetViewport(int inX, int inY, unsigned inWidth, unsigned inHeight) {
  StackSet<ViewportStack>(OGLViewport{inX, inY, inWidth, inHeight});
}

void GetViewport(int& outX, int& outY, unsigned& outWidth, unsigned& outHeight) {
  const OGLViewport& theTop = StackGet<ViewportStack>();
  outX = theTop.x;
  outY = theTop.y;
  outWidth = theTop.width;
  outHeight = theTop.height;
}

void PushViewport(int inX, int inY, unsigned inWidth, unsigned inHeight) {
  StackPush<ViewportStack>(OGLViewport{inX, inY, inWidth, inHeight});
}

void PopViewport() { StackPop<ViewportStack>(); }

void SetProjection(double inLeft, double inRight, double inBottom, double inTop, double inNear,
                   double inFar, bool inOrtho) {
  StackSet<ProjectionStack>(
      OGLProjection{inLeft, inRight, inBottom, inTop, inNear, inFar, inOrtho});
}

void GetProjection(double& outLeft, double& outRight, double& outBottom, double& outTop,
                   double& outNear, double& outFar, bool& outOrtho) {
  const OGLProjection& theTop = StackGet<ProjectionStack>();
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
  StackPush<ProjectionStack>(
      OGLProjection{inLeft, inRight, inBottom, inTop, inNear, inFar, inOrtho});
}

void PopProjection() { StackPop<ProjectionStack>(); }

void SetTexture2D(bool inEnabled) { StackSet<Texture2DStack>(inEnabled); }
bool GetTexture2D() { return StackGet<Texture2DStack>(); }
void PushTexture2D(bool inEnabled) { StackPush<Texture2DStack>(inEnabled); }
void PopTexture2D() { StackPop<Texture2DStack>(); }

void SetTextureUsed(unsigned inTexture) { StackSet<TextureUsedStack>(inTexture); }
unsigned GetTextureUsed() { return StackGet<TextureUsedStack>(); }
void PushTextureUsed(unsigned inTexture) { StackPush<TextureUsedStack>(inTexture); }
void PopTextureUsed() { StackPop<TextureUsedStack>(); }

void SetMatrixMode(int inMode) { StackSet<MatrixModeStack>(inMode); }
int GetMatrixMode() { return StackGet<MatrixModeStack>(); }
void PushMatrixMode(int inMode) { StackPush<MatrixModeStack>(inMode); }
void PopMatrixMode() { StackPop<MatrixModeStack>(); }

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
