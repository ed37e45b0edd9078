// Camera3D: where a scene is seen from, and the matrices it gives.
#pragma once

struct Camera3D {
  float mPosition[3] = {0.0f, 0.0f, 1000.0f};  // eye, scene units
  float mTarget[3] = {0.0f, 0.0f, 0.0f};       // point looked at
  float mUp[3] = {0.0f, 1.0f, 0.0f};           // any length; parallel to the view it is replaced
  float mRollDegrees = 0.0f;                   // turns the picture counter-clockwise about the view axis
  float mFieldOfViewDegrees = 45.0f;           // vertical
  float mNear = 1.0f;                          // distance to the near plane, > 0
  float mFar = 10000.0f;                       // distance to the far plane, > mNear
};

// Writes the view matrix (world to eye) as 16 floats in OpenGL's
// column-major layout. A camera whose target equals its position looks
// along -z; an up vector of length 0 or along the view direction is
// replaced by +y (or +z when looking along y).
void MakeViewMatrix(const Camera3D& inCamera, float* outMatrix16);

// Frustum bounds at the near plane for a viewport of the given aspect
// (width / height): left, right, bottom, top, near, far. Out-of-range
// values are made usable: field of view into 1..179 degrees (0 or not a
// number: 45), near above 0 (default 1), far beyond near.
void MakeFrustum(const Camera3D& inCamera, double inAspect, double* outBounds6);
