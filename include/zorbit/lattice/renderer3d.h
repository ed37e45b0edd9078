// GLRenderer3D: draws scene nodes with OpenGL immediate mode.
//
// A visitor: Render() walks a group and draws every polygon as its virtual
// queries report it (Poly3D, see poly3d.h) and every axis cross as three
// lines, each with its node's matrix and position.
//
// Every state change that the OpenGL state tracker (zorbit/oglstate.h)
// knows goes through it, pushed before a node and popped after it, so after
// Render() the tracker's shadow copy is true and everything it tracks is as
// it was. States the tracker does not know (polygon mode, line width, point
// size, alpha test, scissor) are set directly and put back to OpenGL's
// defaults after each use.
//
// Needs the OpenGL context current and GLEW initialised (the player does
// both) on the calling thread.
#pragma once

#include <cstdint>

#include "camera3d.h"
#include "visitor3d.h"

class OGLState;
class GroupNode3D;

class GLRenderer3D : public Visitor3D {
 public:
  // inState: the tracker of the window drawn into (the player's HOST_STATE);
  // it is adopted by this library before every Render and Clear. Not owned.
  explicit GLRenderer3D(OGLState* inState);
  ~GLRenderer3D() override;

  // Draws the children of inScene seen through inCamera into the tracker's
  // current viewport.
  void Render(GroupNode3D& inScene, const Camera3D& inCamera);

  // Clears the tracker's current viewport only (the letterbox bars stay):
  // colour to inColour (0xAARRGGBB) and/or depth to the far plane.
  void Clear(bool inColour, bool inDepth, uint32_t inColour32);

  void VisitPoly(Poly3D& inPoly) override;
  void VisitAxis(AxisNode3D& inAxis) override;

  // Nodes drawn by the last Render (polygons with vertices and axis crosses).
  int GetDrawnCount() const { return mDrawnCount; }

 private:
  void Adopt();

  OGLState* mState;
  int mDrawnCount;
  float mEye[3];  // camera position of the running Render, for point sizes
};
