#include "swarmshape.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Turn between neighbours on a Fibonacci sphere: pi * (3 - sqrt(5)).
constexpr double kGoldenAngle = 2.399963229728653;

}  // namespace

void PlaceParticles(int32_t inShape, int32_t inCount, float inSize, double inTurnRadians, int32_t inHelixTurns,
                    float* outPositions) {
  const double theSize = inSize;
  for (int32_t i = 0; i < inCount; ++i) {
    double x, y, z;
    switch (inShape) {
      case SWARM_SPHERE: {
        const double theHeight = 1.0 - 2.0 * (i + 0.5) / inCount;
        const double theRadius = std::sqrt(1.0 - theHeight * theHeight);
        const double theAngle = i * kGoldenAngle + inTurnRadians;
        x = theSize * theRadius * std::cos(theAngle);
        y = theSize * theHeight;
        z = theSize * theRadius * std::sin(theAngle);
        break;
      }
      case SWARM_HELIX: {
        const double theAlong = inCount > 1 ? double(i) / (inCount - 1) : 0.0;
        const double theAngle = kTwoPi * (inHelixTurns < 1 ? 1 : inHelixTurns) * theAlong + inTurnRadians;
        x = theSize * std::cos(theAngle);
        y = theSize * (2.0 * theAlong - 1.0);
        z = theSize * std::sin(theAngle);
        break;
      }
      default: {  // SWARM_RING
        // Clockwise from the left, so that text carried over the top of the
        // ring reads from left to right.
        const double theAngle = kTwoPi * 0.5 - kTwoPi * i / inCount - inTurnRadians;
        x = theSize * std::cos(theAngle);
        y = theSize * std::sin(theAngle);
        z = 0.0;
        break;
      }
    }
    outPositions[i * 3] = float(x);
    outPositions[i * 3 + 1] = float(y);
    outPositions[i * 3 + 2] = float(z);
  }
}

void GradeColours(int32_t inCount, uint32_t inFirst, uint32_t inLast, uint8_t* outColours) {
  for (int32_t i = 0; i < inCount; ++i) {
    const double theAlong = inCount > 1 ? double(i) / (inCount - 1) : 0.0;
    for (int theByte = 0; theByte < 4; ++theByte) {
      const int theShift = 24 - 8 * theByte;  // alpha, red, green, blue
      const double a = (inFirst >> theShift) & 0xFF, b = (inLast >> theShift) & 0xFF;
      outColours[i * 4 + theByte] = uint8_t(std::lround(a + (b - a) * theAlong));
    }
  }
}
