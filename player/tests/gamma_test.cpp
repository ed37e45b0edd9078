#include "gamma.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(GammaRamp, KnownEntries) {
  struct Case {
    double gamma;
    int index;
    uint16_t value;
  };
  const Case theCases[] = {
      {1.0, 0, 0},     {1.0, 128, 32767}, {1.0, 255, 65279},  // 256 as divisor: the top stays below full scale
      {2.0, 64, 32767},                                        // sqrt(0.25) * 65535 truncated
      {2.0, 0, 0},     {0.5, 0, 0},       {3.0, 0, 0},
      {0.5, 128, 16383},                                       // 0.25 * 65535 truncated
  };
  for (const Case& theCase : theCases) {
    uint16_t theRamp[kGammaRampSize];
    ComputeGammaRamp(theCase.gamma, theRamp);
    EXPECT_EQ(theCase.value, theRamp[theCase.index]) << "gamma " << theCase.gamma << " entry " << theCase.index;
  }
}

TEST(GammaRamp, RisesAndBrightensTheMiddleAboveGammaOne) {
  uint16_t theLinear[kGammaRampSize], theBright[kGammaRampSize];
  ComputeGammaRamp(1.0, theLinear);
  ComputeGammaRamp(2.2, theBright);
  for (int i = 1; i < kGammaRampSize; ++i) {
    EXPECT_GT(theLinear[i], theLinear[i - 1]) << i;
    EXPECT_GE(theBright[i], theBright[i - 1]) << i;
    EXPECT_GT(theBright[i], theLinear[i]) << i;
  }
}

TEST(GammaRamp, OutOfRangeGammaStaysWithinSixteenBits) {
  for (double theGamma : {0.0, -1.0, 1e-9, 1e9, double(NAN)}) {
    uint16_t theRamp[kGammaRampSize];
    ComputeGammaRamp(theGamma, theRamp);  // UBSan flags an out-of-range conversion here
    EXPECT_EQ(0, theRamp[0]) << theGamma;
  }
  uint16_t theFlat[kGammaRampSize];
  ComputeGammaRamp(1e9, theFlat);
  EXPECT_GE(theFlat[1], 65534) << "a huge gamma lifts everything but black to the top";
  uint16_t theLinear[kGammaRampSize];
  ComputeGammaRamp(1.0, theLinear);
  ComputeGammaRamp(-1.0, theFlat);
  EXPECT_EQ(theLinear[200], theFlat[200]) << "a gamma of 0 or below means no correction";
}

}  // namespace
