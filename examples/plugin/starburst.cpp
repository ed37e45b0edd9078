// starburst.so: an example effect plug-in, built outside the player's tree
// against the installed zorbit-dev (see README.md beside this file).
//
//   Backdrop(top, bottom)
//       fills the picture with a vertical gradient from colour top to
//       colour bottom (0xAARRGGBB; alpha is ignored, the backdrop is opaque).
//   Starburst(x, y, radius, inner, points, colour, spin)
//       a star of `points` points (3 to 64) in one colour, alpha-blended.
//       x, y: its centre, in thousandths of the picture's height from the
//       middle of the picture, y upwards (500 is the top edge); radius: its
//       points' distance from the centre, thousandths of the height; inner:
//       the notches' distance, percent of radius (0 to 100); spin: turns
//       per second, in thousandths (1000 turns once a second, counter-
//       clockwise), counted from the event's start.
//   StarNode(group, x, y, z, radius, inner, points, colour, spin)
//       the same star as a scene node in the 3D group named by text number
//       `group` (kind 3DWR, made by the Scene3D effect of scene.so, which
//       draws it with its camera). x, y, z and radius in thousandths of a
//       scene unit; spin turns the star about its upright axis.
//
// Backdrop and Starburst draw with OpenGL in immediate mode through the
// player's state tracker (zorbit/oglstate.h): every state they change is
// pushed before and popped after, so the next effect finds OpenGL as it was.
// StarNode leaves the drawing to the group's renderer and only says what
// its node looks like (zorbit/lattice/poly3d.h). The tracks are drawn from
// the highest number down, so a Backdrop goes on a track above the stars it
// is behind, and a StarNode on a track above the Scene3D that draws it.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include <zorbit/lattice/nodeplacement.h>
#include <zorbit/lattice/poly3d.h>
#include <zorbit/oglstate.h>
#include <zorbit/zorbitplugin.h>

namespace {

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init

// A star as a scene node: a fan of triangles around its centre, in one
// colour. The renderer asks the virtual queries of Poly3D for what to draw.
class StarPoly3D : public Poly3D {
 public:
  int GetPrimitive() const override { return GL_TRIANGLES; }
  const float* GetVertices() const override { return mVertices.data(); }
  int32_t& GetVertexCount() override { return mVertexCount; }
  int32_t& GetIndexCount() override { return mIndexCount; }
  const int32_t* GetIndices() const override { return mIndices.data(); }
  uint32_t GetColour() const override { return mColour; }

  // The centre, then the outline's corners (x, y pairs) at inRadius.
  void Build(const std::vector<float>& inOutline, float inRadius) {
    const int32_t theCorners = int32_t(inOutline.size() / 2);
    mVertices.assign({0.0f, 0.0f, 0.0f});
    mIndices.clear();
    for (int32_t i = 0; i < theCorners; ++i) {
      mVertices.insert(mVertices.end(), {inRadius * inOutline[2 * i], inRadius * inOutline[2 * i + 1], 0.0f});
      mIndices.insert(mIndices.end(), {0, 1 + i, 1 + (i + 1) % theCorners});
    }
    mVertexCount = 1 + theCorners;
    mIndexCount = int32_t(mIndices.size());
  }
  void SetColour(uint32_t inColour) { mColour = inColour; }

 private:
  std::vector<float> mVertices;
  std::vector<int32_t> mIndices;
  int32_t mVertexCount = 0;
  int32_t mIndexCount = 0;
  uint32_t mColour = 0xFFFFFFFFu;
};

// What a Starburst or StarNode event keeps behind its slot: the outline it
// built, for the shape it was built for, and a StarNode's node.
struct StarState {
  int32_t mPoints = 0;
  int32_t mInner = -1;
  int32_t mRadius = 0;
  int32_t mWarnedPoints = 0;  // the point count last warned about, so a bad value warns once
  std::vector<float> mOutline;  // x, y of 2 * points corners, unit radius
  StarPoly3D* mNode = nullptr;  // StarNode only; owned: a group holds it for one frame
};
zorbit::EventStates<StarState> gStars;

void EndStar(StarState* inState) {
  delete inState->mNode;
  gStars.Forget(inState);
  delete inState;
}

// Corners alternate between the points (radius 1) and the notches.
void BuildOutline(StarState& ioState, int32_t inPoints, int32_t inInner) {
  const double kPi = 3.14159265358979323846;
  const float theInner = float(inInner) / 100.0f;
  ioState.mOutline.clear();
  for (int32_t i = 0; i < 2 * inPoints; ++i) {
    const double theAngle = kPi / 2 + kPi * i / inPoints;  // the first point straight up
    const float theRadius = i % 2 == 0 ? 1.0f : theInner;
    ioState.mOutline.push_back(theRadius * float(std::cos(theAngle)));
    ioState.mOutline.push_back(theRadius * float(std::sin(theAngle)));
  }
  ioState.mPoints = inPoints;
  ioState.mInner = inInner;
}

// Units across the picture when its height is 1000: the viewport's shape.
double PictureWidth() {
  int theX = 0, theY = 0;
  unsigned theWidth = 0, theHeight = 0;
  GetViewport(theX, theY, theWidth, theHeight);
  return theHeight > 0 ? 1000.0 * theWidth / theHeight : 1000.0;
}

// Brings OpenGL into the effects' drawing space (x and y in thousandths of
// the picture's height, the origin in its middle) with everything a plain
// coloured polygon needs; EndFlat puts it all back.
void BeginFlat() {
  const double theHalfWidth = PictureWidth() / 2;
  PushProjection(-theHalfWidth, theHalfWidth, -500.0, 500.0, -1.0, 1.0, true);
  PushMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  PushTexture2D(false);
  PushState(STATE_DEPTH_TEST, 0);
  PushState(STATE_CLIPPING, 0);
}

void EndFlat() {
  PopState(STATE_CLIPPING);
  PopState(STATE_DEPTH_TEST);
  PopTexture2D();
  glPopMatrix();
  PopMatrixMode();
  PopProjection();
}

void DrawStar(const StarState& inState, int32_t inX, int32_t inY, int32_t inRadius, int32_t inColour, double inTurns) {
  const double kPi = 3.14159265358979323846;
  const float theCos = float(std::cos(2 * kPi * inTurns)), theSin = float(std::sin(2 * kPi * inTurns));
  BeginFlat();
  PushState(STATE_BLEND, 1);
  PushState(STATE_BLEND_SRC, GL_SRC_ALPHA);
  PushState(STATE_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA);
  PushState(STATE_COLOR, inColour);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(float(inX), float(inY));
  const size_t theCorners = inState.mOutline.size() / 2;
  for (size_t i = 0; i <= theCorners; ++i) {  // back to the first corner to close the fan
    const float u = inState.mOutline[2 * (i % theCorners)], v = inState.mOutline[2 * (i % theCorners) + 1];
    glVertex2f(float(inX) + inRadius * (theCos * u - theSin * v), float(inY) + inRadius * (theSin * u + theCos * v));
  }
  glEnd();
  PopState(STATE_COLOR);
  PopState(STATE_BLEND_DST);
  PopState(STATE_BLEND_SRC);
  PopState(STATE_BLEND);
  EndFlat();
}

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  gHost.Attach(inHostTable);
  if (gHost.state == nullptr) {
    gHost.Warn("starburst: the player gave no OpenGL state tracker; the demo must use OpenGL\n");
    return false;
  }
  // This module's own gState, pointing at the player's tracker.
  AttachState(static_cast<OGLState*>(gHost.state));
  gStars.DestroyAll(EndStar);  // nothing from an earlier run
  return true;
}

ZORBIT_EXPORT bool Zorbit_Quit() {
  gStars.DestroyAll(EndStar);  // events still active get no PHASE_DESTROY
  AttachState(nullptr);
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool Backdrop(FrameInfo* inInfo, void**, int32_t inTop, int32_t inBottom) {
  inInfo->status = STATUS_UNCHANGED;
  if (inInfo->phase != PHASE_RUN) return true;
  const float theHalfWidth = float(PictureWidth() / 2);
  BeginFlat();
  // Between glBegin and glEnd the tracker may only issue glColor, which is
  // all STATE_COLOR does: the two colours stay known to it.
  PushState(STATE_COLOR, int32_t(uint32_t(inTop) | 0xFF000000u));
  glBegin(GL_QUADS);
  glVertex2f(-theHalfWidth, 500.0f);
  glVertex2f(theHalfWidth, 500.0f);
  SetState(STATE_COLOR, int32_t(uint32_t(inBottom) | 0xFF000000u));
  glVertex2f(theHalfWidth, -500.0f);
  glVertex2f(-theHalfWidth, -500.0f);
  glEnd();
  PopState(STATE_COLOR);
  EndFlat();
  return true;
}

// The event's state with its outline up to date, made on the first call;
// null at PHASE_DESTROY (the state is gone then) and while the point count is
// out of range (status STATUS_FAILED, warned once per bad value).
StarState* PreparedStar(const char* inEffect, FrameInfo* inInfo, void** ioSlot, int32_t inInner, int32_t inPoints) {
  inInfo->status = STATUS_UNCHANGED;
  StarState* theState = gStars.Of(ioSlot);
  if (inInfo->phase == PHASE_DESTROY) {
    if (theState != nullptr) EndStar(theState);
    return nullptr;
  }
  if (theState == nullptr) theState = gStars.Make(ioSlot);
  if (inPoints < 3 || inPoints > 64) {
    if (theState->mWarnedPoints != inPoints) {
      gHost.Warn("%s: %d points; a star has 3 to 64\n", inEffect, inPoints);
      theState->mWarnedPoints = inPoints;
    }
    inInfo->status = STATUS_FAILED;
    return nullptr;
  }
  const int32_t theInner = inInner < 0 ? 0 : inInner > 100 ? 100 : inInner;
  if (theState->mPoints != inPoints || theState->mInner != theInner) {
    BuildOutline(*theState, inPoints, theInner);
    theState->mRadius = -1;  // a node's vertices follow the outline
    inInfo->status = STATUS_BUILT;
  }
  return theState;
}

// Turns since the event started: inSpin thousandths of a turn per second.
double TurnsAt(const FrameInfo& inInfo, int32_t inSpin) {
  return double(inSpin) / 1000.0 * double(inInfo.elapsed) / 1000.0;
}

ZORBIT_EXPORT bool Starburst(FrameInfo* inInfo, void** ioSlot, int32_t inX, int32_t inY, int32_t inRadius,
                             int32_t inInner, int32_t inPoints, int32_t inColour, int32_t inSpin) {
  StarState* theState = PreparedStar("Starburst", inInfo, ioSlot, inInner, inPoints);
  if (theState == nullptr || inInfo->phase != PHASE_RUN) return true;
  DrawStar(*theState, inX, inY, inRadius, inColour, TurnsAt(*inInfo, inSpin));
  return true;
}

ZORBIT_EXPORT bool StarNode(FrameInfo* inInfo, void** ioSlot, int32_t inGroup, int32_t inX, int32_t inY, int32_t inZ,
                            int32_t inRadius, int32_t inInner, int32_t inPoints, int32_t inColour, int32_t inSpin) {
  StarState* theState = PreparedStar("StarNode", inInfo, ioSlot, inInner, inPoints);
  if (theState == nullptr) return true;
  if (theState->mNode == nullptr) theState->mNode = new StarPoly3D;
  if (theState->mRadius != inRadius) {
    theState->mNode->Build(theState->mOutline, float(inRadius) / 1000.0f);
    theState->mRadius = inRadius;
    inInfo->status = STATUS_BUILT;
  }
  if (inInfo->phase != PHASE_RUN) return true;
  // The group is asked for again every frame: its pointer is good for this call only.
  bool theStatic = false;
  auto* theGroup =
      static_cast<Node3D*>(gHost.Use(KIND_3DWR, inGroup, nullptr, false, "StarNode", "3D group", &theStatic));
  if (theGroup == nullptr) {  // the registry has said why in the log
    inInfo->status = STATUS_FAILED;
    return true;
  }
  // About the upright axis: the quaternion (0, sin(a/2), 0, cos(a/2)), in ten-thousandths.
  const double theHalfAngle = 3.14159265358979323846 * TurnsAt(*inInfo, inSpin);
  theState->mNode->SetColour(uint32_t(inColour));
  PlaceNode(*theState->mNode, inX, inY, inZ, 0, int32_t(std::lround(10000 * std::sin(theHalfAngle))), 0,
            int32_t(std::lround(10000 * std::cos(theHalfAngle))), 100000);
  theGroup->AddChild(theState->mNode);
  return true;
}
