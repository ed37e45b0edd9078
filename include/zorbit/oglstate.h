// OpenGL state tracker.
//
// A shadow copy of the fixed-function OpenGL state that the system changes
// often, kept as small stacks: push a value, draw, pop back. No OpenGL call is
// issued when the requested value equals the value already in force.
//
// Ownership and the current tracker
//   * One OGLState describes one OpenGL context (one window). It is owned by
//     whoever created it: start-up for the demo window, the setup window for
//     its own 320x240 window. Plug-ins only borrow it (HOST_STATE slot).
//   * Every free function below works on the current tracker, `gState`.
//     `gState` never owns: set it with MakeCurrent / AttachState, and call
//     MakeCurrent(nullptr) before deleting the tracker it points to.
//   * Pushes and pops must balance; the destructor checks that every
//     fixed-function stack is back at its base.
//
// One gState per module (player, fonts.so, ...)
//   This library is STATIC (target zorbit_glstate) and is linked again into
//   every module that needs it, so each module holds its own copy of the
//   code and of `gState`. `gState` is declared with hidden visibility below,
//   and the whole library is compiled with hidden visibility (CMake
//   property), so no symbol of the tracker is ever exported from, or
//   interposed between, modules: even when `player` exports its symbols
//   (-rdynamic) the `gState` of fonts.so stays fonts.so's own. The modules
//   share the one OGLState object (a plain data block with no virtual
//   functions, identical layout in every module) only by passing its
//   pointer: the player MakeCurrent()s it and hands it over in the
//   HostTable, fonts adopts it with AttachState().
//
// Units
//   Viewports are in window pixels with the origin at the TOP-LEFT corner of
//   the window and y growing downwards; the tracker converts the row for
//   OpenGL (glViewport gets y' = H - y - h, H = tracker height as integer).
//   Colours are packed 0xAARRGGBB (each channel / 255 when given to OpenGL).
//
// Failures (all end the program; nothing is thrown to or returned to callers)
//   * Named stacks: Z_ASSERT with these messages, e.g.
//     gState && "SetViewport: No state!\n", "PushViewport stack overflow!" == 0,
//     "PopViewport stack underflow!" == 0. PopProjection at the base reports
//     "PopProjection stack underflow!" == 0 in the same way.
//   * Fixed-function states: a kind outside 0..14, no current tracker, a
//     push on a full stack or a pop at the base ends the program through an
//     exception that cannot be caught (it leaves a noexcept function, so
//     std::terminate runs and prints e.g. "PushState: kind 15 out of range").
//   * No operation ever reads or writes outside a stack.
//
// Threads: main thread only (the thread owning the OpenGL context); no locks.
#pragma once

#include <cstdint>

// Kinds of the fifteen fixed-function state stacks (value held; default).
enum OGLStateKind : int {
  STATE_BLEND = 0,            // non-zero: GL_BLEND enabled; 0
  STATE_BLEND_SRC = 1,        // glBlendFunc source factor; 0 (GL_ZERO)
  STATE_BLEND_DST = 2,        // glBlendFunc destination factor; 0 (GL_ZERO)
  STATE_BLEND_EQUATION = 3,   // glBlendEquation mode; 0x8006 (GL_FUNC_ADD)
  STATE_COLOR = 4,            // glColor4d, packed 0xAARRGGBB; 0xFFFFFFFF
  STATE_CLEAR_COLOR = 5,      // glClearColor, packed 0xAARRGGBB; 0
  STATE_COLOR_MASK = 6,       // bit 0 blue, 1 green, 2 red, 3 alpha; 15
  STATE_DEPTH_TEST = 7,       // non-zero: GL_DEPTH_TEST enabled; 0
  STATE_DEPTH_MASK = 8,       // non-zero: depth writes enabled; 1
  STATE_SHADE_MODEL = 9,      // glShadeModel mode; 0x1D01 (GL_SMOOTH)
  STATE_CLIPPING = 10,        // non-zero: user clip planes 0..3 enabled; 0
  STATE_CLIP_MAX_X = 11,      // clip plane 0 keeps x <= value; 1000
  STATE_CLIP_MIN_X = 12,      // clip plane 1 keeps x >= value; 0
  STATE_CLIP_MAX_Y = 13,      // clip plane 2 keeps y <= value; 700
  STATE_CLIP_MIN_Y = 14,      // clip plane 3 keeps y >= value; 0
  STATE_COUNT = 15
};

// Viewport record: window pixels, top-left origin, y downwards.
struct OGLViewport {
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
};

// Projection record: glOrtho (ortho) or glFrustum arguments.
struct OGLProjection {
  double left, right, bottom, top, nearPlane, farPlane;
  bool ortho;
};

// One tracker = one OpenGL context. Plain fixed-size block, no allocation
// after construction. Fields are public only so that the layout stays the
// documented one; use the free functions below, never the fields.
class OGLState {
 public:
  static constexpr int kDepth = 32;  // entries per stack (base + 31 pushes)

  // Tracker for a window of inWidth x inHeight pixels with the
  // defaults (viewport = whole window, frustum projection, ...).
  // Issues no OpenGL call.
  OGLState(unsigned inWidth, unsigned inHeight);
  // Asserts "mTop[i] == 0" for every fixed-function kind. Does not touch
  // gState: the owner calls MakeCurrent(nullptr) first.
  ~OGLState();

  OGLState(const OGLState&) = delete;
  OGLState& operator=(const OGLState&) = delete;

  double mWidth;
  double mHeight;
  bool mTexture2D[kDepth];
  int32_t mTexture2DTop;
  uint32_t mTextureUsed[kDepth];
  int32_t mTextureUsedTop;
  int32_t mMatrixMode[kDepth];
  int32_t mMatrixModeTop;
  OGLViewport mViewport[kDepth];
  int32_t mViewportTop;
  OGLProjection mProjection[kDepth];
  uint32_t mProjectionTop;
  int32_t mTop[STATE_COUNT];
  int32_t mStates[STATE_COUNT][kDepth];
};

// The current tracker of THIS module. Never owns. Hidden: see above.
extern OGLState* gState __attribute__((visibility("hidden")));

// ---- Current tracker -------------------------------------------------------

// Makes inState current and brings OpenGL into line with it: all fifteen
// fixed-function states are issued (each twice, negated value first), then
// texture enable, bound texture, matrix mode, viewport and projection are
// issued if there was no previous tracker or its value differs.
// nullptr only clears gState.
void MakeCurrent(OGLState* inState);
// Sets gState to inState without any OpenGL call (plug-ins adopting the
// player's tracker).
void AttachState(OGLState* inState);
// Returns gState (may be null).
OGLState* GetCurrentState();

// ---- Named stacks ----------------------------------------------------------
// Set replaces the value in force, Push stacks a new one, Pop returns to the
// previous one; each issues its OpenGL call only when the value in force
// changes. All assert a current tracker; Push asserts room, Pop asserts an
// entry below.

// Viewport (pixels, top-left origin): glViewport(x, H - y - h, w, h).
void SetViewport(int inX, int inY, unsigned inWidth, unsigned inHeight);
void GetViewport(int& outX, int& outY, unsigned& outWidth, unsigned& outHeight);
void PushViewport(int inX, int inY, unsigned inWidth, unsigned inHeight);
void PopViewport();

// Projection: PushMatrixMode(GL_PROJECTION), glLoadIdentity, glOrtho (ortho)
// or glFrustum with the six values, PopMatrixMode. The matrix mode in force
// afterwards is the one before.
void SetProjection(double inLeft, double inRight, double inBottom, double inTop,
                   double inNear, double inFar, bool inOrtho);
void GetProjection(double& outLeft, double& outRight, double& outBottom, double& outTop,
                   double& outNear, double& outFar, bool& outOrtho);
void PushProjection(double inLeft, double inRight, double inBottom, double inTop,
                    double inNear, double inFar, bool inOrtho);
void PopProjection();

// GL_TEXTURE_2D enable: glEnable / glDisable(GL_TEXTURE_2D).
void SetTexture2D(bool inEnabled);
bool GetTexture2D();
void PushTexture2D(bool inEnabled);
void PopTexture2D();

// Texture bound to GL_TEXTURE_2D: glBindTexture(GL_TEXTURE_2D, name).
void SetTextureUsed(unsigned inTexture);
unsigned GetTextureUsed();
void PushTextureUsed(unsigned inTexture);
void PopTextureUsed();

// Matrix mode: glMatrixMode(mode).
void SetMatrixMode(int inMode);
int GetMatrixMode();
void PushMatrixMode(int inMode);
void PopMatrixMode();

// ---- Fixed-function states (kind = OGLStateKind, 0..14) ----------------------
// Precondition failures end the program (see Failures above).

// Replaces the value in force; issues the kind's OpenGL call if it changed
// (the blend factors always re-issue the pair glBlendFunc(src, dst);
// glBlendEquation is skipped when GLEW has no entry point, the value is still
// recorded).
void SetState(int inKind, int inValue);
// Value in force for the kind.
int GetState(int inKind);
// Pushes a copy of the value in force, then SetState(kind, value).
void PushState(int inKind, int inValue);
// SetState(kind, entry below the top), then lowers the top.
void PopState(int inKind);
