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
//
// Both draw with OpenGL in immediate mode through the player's state tracker
// (zorbit/oglstate.h): every state they change is pushed before and popped
// after, so the next effect finds OpenGL as it was. The tracks are drawn
// from the highest number down, so a Backdrop goes on a track above the
// stars it is behind.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include <zorbit/oglstate.h>
#include <zorbit/zorbitplugin.h>

namespace {

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init

// What a Starburst event keeps behind its slot: the outline it built, for
// the shape it was built for.
struct StarState {
  int32_t mPoints = 0;
  int32_t mInner = -1;
  int32_t mWarnedPoints = 0;  // the point count last warned about, so a bad value warns once
  std::vector<float> mOutline;  // x, y of 2 * points corners, unit radius
};
zorbit::EventStates<StarState> gStars;

void EndStar(StarState* inState) {
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

ZORBIT_EXPORT bool Starburst(FrameInfo* inInfo, void** ioSlot, int32_t inX, int32_t inY, int32_t inRadius,
                             int32_t inInner, int32_t inPoints, int32_t inColour, int32_t inSpin) {
  inInfo->status = STATUS_UNCHANGED;
  StarState* theState = gStars.Of(ioSlot);
  if (inInfo->phase == PHASE_DESTROY) {
    if (theState != nullptr) EndStar(theState);
    return true;
  }
  if (theState == nullptr) theState = gStars.Make(ioSlot);
  if (inPoints < 3 || inPoints > 64) {
    if (theState->mWarnedPoints != inPoints) {
      gHost.Warn("Starburst: %d points; a star has 3 to 64\n", inPoints);
      theState->mWarnedPoints = inPoints;
    }
    inInfo->status = STATUS_FAILED;
    return true;
  }
  const int32_t theInner = inInner < 0 ? 0 : inInner > 100 ? 100 : inInner;
  if (theState->mPoints != inPoints || theState->mInner != theInner) {
    BuildOutline(*theState, inPoints, theInner);
    inInfo->status = STATUS_BUILT;
  }
  if (inInfo->phase != PHASE_RUN) return true;
  const double theTurns = double(inSpin) / 1000.0 * double(inInfo->elapsed) / 1000.0;
  DrawStar(*theState, inX, inY, inRadius, inColour, theTurns);
  return true;
}
