#include <zorbit/lattice/flatoval3d.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// sign(inValue) * |inValue|^inPower
float SignedPower(double inValue, double inPower) {
  const double theMagnitude = std::pow(std::fabs(inValue), inPower);
  return float(inValue < 0.0 ? -theMagnitude : theMagnitude);
}

}  // namespace

FlatOval3D::FlatOval3D(int inHalfWidth, int inHalfHeight, int inSegments, float inRoundness,
                       unsigned long inColour)
    : mVertexCount(0), mVertices(nullptr), mColour(uint32_t(inColour)) {
  const double theWidth = std::max(inHalfWidth, 0);
  const double theHeight = std::max(inHalfHeight, 0);
  const int theQuarter = std::clamp(inSegments, 1, 1024);
  const double theRoundness = std::isnan(inRoundness) ? 1.0 : std::clamp(double(inRoundness), 0.05, 4.0);
  const int theRim = 4 * theQuarter;
  mVertexCount = theRim + 2;
  mVertices = new float[size_t(mVertexCount) * 3];
  mVertices[0] = mVertices[1] = mVertices[2] = 0.0f;
  for (int i = 0; i <= theRim; ++i) {
    // The closing point repeats the first exactly, so the fan has no gap.
    const int theStep = i % theRim;
    const double theAngle = 2.0 * M_PI * theStep / theRim;
    // Quarter points land exactly on the axes, whatever the rounding.
    double theCos = std::cos(theAngle), theSin = std::sin(theAngle);
    if (theStep % theQuarter == 0) {
      const int theQuadrant = theStep / theQuarter;
      theCos = theQuadrant == 0 ? 1.0 : (theQuadrant == 2 ? -1.0 : 0.0);
      theSin = theQuadrant == 1 ? 1.0 : (theQuadrant == 3 ? -1.0 : 0.0);
    }
    float* theVertex = mVertices + (i + 1) * 3;
    theVertex[0] = float(theWidth) * SignedPower(theCos, theRoundness);
    theVertex[1] = float(theHeight) * SignedPower(theSin, theRoundness);
    theVertex[2] = 0.0f;
  }
}

FlatOval3D::~FlatOval3D() { delete[] mVertices; }

int FlatOval3D::GetPrimitive() const { return GL_TRIANGLE_FAN; }
const float* FlatOval3D::GetVertices() const { return mVertices; }
int32_t& FlatOval3D::GetVertexCount() { return mVertexCount; }

uint32_t FlatOval3D::GetColour() const {
  const uint32_t theAlpha = (mColour >> 24) * uint32_t(mOpacity) / 255u;
  return (theAlpha << 24) | (mColour & 0xFFFFFFu);
}

void FlatOval3D::SetColour(unsigned long inColour) { mColour = uint32_t(inColour); }
