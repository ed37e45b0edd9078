#include <zorbit/lattice/camera3d.h>

#include <cmath>

namespace {

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double* a, const double* b, double* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Normalises v; false when it has no usable length.
bool Normalise(double* v) {
  const double theLength = std::sqrt(Dot(v, v));
  if (!(theLength > 1e-12) || !std::isfinite(theLength)) return false;
  for (int i = 0; i < 3; ++i) v[i] /= theLength;
  return true;
}

}  // namespace

void MakeViewMatrix(const Camera3D& inCamera, float* outMatrix16) {
  double theForward[3] = {double(inCamera.mTarget[0]) - inCamera.mPosition[0],
                          double(inCamera.mTarget[1]) - inCamera.mPosition[1],
                          double(inCamera.mTarget[2]) - inCamera.mPosition[2]};
  if (!Normalise(theForward)) {
    theForward[0] = 0.0;
    theForward[1] = 0.0;
    theForward[2] = -1.0;
  }
  double theUp[3] = {inCamera.mUp[0], inCamera.mUp[1], inCamera.mUp[2]};
  double theSide[3];
  Cross(theForward, theUp, theSide);
  if (!Normalise(theSide)) {
    // No up given, or up along the view: take +y, or +z when looking along y.
    const bool theAlongY = std::fabs(theForward[1]) > 0.99;
    const double theFallback[3] = {0.0, theAlongY ? 0.0 : 1.0, theAlongY ? 1.0 : 0.0};
    Cross(theForward, theFallback, theSide);
    Normalise(theSide);
  }
  Cross(theSide, theForward, theUp);

  // Roll: turn side and up about the view axis.
  const double theRoll = double(inCamera.mRollDegrees) * M_PI / 180.0;
  if (theRoll != 0.0 && std::isfinite(theRoll)) {
    const double c = std::cos(theRoll), s = std::sin(theRoll);
    double theNewSide[3], theNewUp[3];
    for (int i = 0; i < 3; ++i) {
      theNewSide[i] = c * theSide[i] - s * theUp[i];
      theNewUp[i] = s * theSide[i] + c * theUp[i];
    }
    for (int i = 0; i < 3; ++i) {
      theSide[i] = theNewSide[i];
      theUp[i] = theNewUp[i];
    }
  }

  const double theEye[3] = {inCamera.mPosition[0], inCamera.mPosition[1], inCamera.mPosition[2]};
  // Rows: side, up, -forward; column-major storage.
  for (int c = 0; c < 3; ++c) {
    outMatrix16[c * 4 + 0] = float(theSide[c]);
    outMatrix16[c * 4 + 1] = float(theUp[c]);
    outMatrix16[c * 4 + 2] = float(-theForward[c]);
    outMatrix16[c * 4 + 3] = 0.0f;
  }
  outMatrix16[12] = float(-Dot(theSide, theEye));
  outMatrix16[13] = float(-Dot(theUp, theEye));
  outMatrix16[14] = float(Dot(theForward, theEye));
  outMatrix16[15] = 1.0f;
}

void MakeFrustum(const Camera3D& inCamera, double inAspect, double* outBounds6) {
  double theFov = inCamera.mFieldOfViewDegrees;
  if (!(theFov > 0.0) || !std::isfinite(theFov)) theFov = 45.0;
  if (theFov < 1.0) theFov = 1.0;
  if (theFov > 179.0) theFov = 179.0;
  double theNear = inCamera.mNear;
  if (!(theNear > 0.0) || !std::isfinite(theNear)) theNear = 1.0;
  double theFar = inCamera.mFar;
  if (!(theFar > theNear) || !std::isfinite(theFar)) theFar = theNear * 10000.0;
  if (!(inAspect > 0.0) || !std::isfinite(inAspect)) inAspect = 1.0;
  const double theTop = theNear * std::tan(theFov * M_PI / 360.0);
  const double theRight = theTop * inAspect;
  outBounds6[0] = -theRight;
  outBounds6[1] = theRight;
  outBounds6[2] = -theTop;
  outBounds6[3] = theTop;
  outBounds6[4] = theNear;
  outBounds6[5] = theFar;
}
