#include "gamma.h"

#include <SDL.h>

#include <cmath>

void ComputeGammaRamp(double inGamma, uint16_t outRamp[kGammaRampSize]) {
  // A gamma of 0 or below (or not a number, from a stray command line) has no
  // meaning as a correction: no correction, the straight ramp.
  if (!(inGamma > 0.0)) inGamma = 1.0;
  for (int i = 0; i < kGammaRampSize; ++i) {
    double theX = i / 256.0;
    double theV = std::pow(theX, 1.0 / inGamma);
    double theE = theV * 65535.0;
    if (theE > 65535.0) theE = 65535.0;
    outRamp[i] = theE > 0.0 ? static_cast<uint16_t>(theE) : 0;
  }
}

void SetGamma(double inGamma) {
  uint16_t theRamp[kGammaRampSize];
  ComputeGammaRamp(inGamma, theRamp);
  // Refusal (no video, a driver without gamma) changes nothing; the demo plays on.
  (void)SDL_SetGammaRamp(theRamp, theRamp, theRamp);
}
