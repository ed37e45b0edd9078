// Display gamma: one ramp for the whole screen.
#pragma once

#include <cstdint>

enum { kGammaRampSize = 256 };

// The ramp for inGamma (0 or below: 1.0): entry i = truncate((i / 256) ^ (1 / inGamma) * 65535),
// at most 65535, the same for red, green and blue. The divisor 256 keeps the
// top entry below full scale (65279 at gamma 1.0). Pure; no SDL needed.
void ComputeGammaRamp(double inGamma, uint16_t outRamp[kGammaRampSize]);

// Loads the ramp for inGamma into the display through SDL_SetGammaRamp.
// Needs an open video mode; a ramp the driver refuses is ignored silently.
void SetGamma(double inGamma);
