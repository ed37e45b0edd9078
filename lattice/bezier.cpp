#include <zorbit/lattice/bezier.h>

#include <algorithm>

namespace {

// Curve parameter of sample inIndex of inCount: 0 for the first, 1 for the last.
double SampleParameter(int inIndex, int inCount) {
  return inCount > 1 ? double(inIndex) / double(inCount - 1) : 0.0;
}

// Value at u of the Bezier curve through inCount control values that lie
// inStride floats apart, by de Casteljau's construction on the fly in
// Bernstein form: sum over i of C(n, i) u^i (1 - u)^(n - i) P_i.
float BezierAt(const float* inControl, int inCount, int inStride, double inU) {
  const int theDegree = inCount - 1;
  const double theV = 1.0 - inU;
  double theSum = 0.0;
  double theBinomial = 1.0;  // C(n, i)
  for (int i = 0; i <= theDegree; ++i) {
    double theWeight = theBinomial;
    for (int k = 0; k < i; ++k) theWeight *= inU;
    for (int k = i; k < theDegree; ++k) theWeight *= theV;
    theSum += theWeight * inControl[i * inStride];
    theBinomial = theBinomial * (theDegree - i) / (i + 1);
  }
  return float(theSum);
}

}  // namespace

void Get_Bezier(const float* inControl, int inControlCount, int inSampleCount, float* outSamples) {
  Get_Bezier3D(inControl, 1, inControlCount, inSampleCount, outSamples, 1);
}

void Get_Bezier3D(const float* inControl, int inDimension, int inControlCount, int inSampleCount,
                  float* outPoints, int inOutStride) {
  if (inControlCount <= 0 || inSampleCount <= 0 || inDimension <= 0 || inOutStride <= 0) return;
  const int theWritten = std::min(inDimension, inOutStride);
  const int theDegree = inControlCount - 1;
  // Bernstein weights of one sample, shared by all its coordinates; curves
  // of a higher degree than fits here are summed one coordinate at a time.
  constexpr int kMaxWeights = 64;
  double theWeights[kMaxWeights];
  double theBinomials[kMaxWeights];
  const bool theShared = inControlCount <= kMaxWeights;
  if (theShared) {
    theBinomials[0] = 1.0;
    for (int i = 0; i < theDegree; ++i) theBinomials[i + 1] = theBinomials[i] * (theDegree - i) / (i + 1);
  }
  for (int s = 0; s < inSampleCount; ++s) {
    float* thePoint = outPoints + s * inOutStride;
    // The ends are the control points themselves, bit for bit.
    if (s == 0 || s == inSampleCount - 1) {
      const float* theEnd = inControl + (s == 0 ? 0 : theDegree * inDimension);
      for (int d = 0; d < theWritten; ++d) thePoint[d] = theEnd[d];
      continue;
    }
    const double theU = SampleParameter(s, inSampleCount);
    if (!theShared) {
      for (int d = 0; d < theWritten; ++d) thePoint[d] = BezierAt(inControl + d, inControlCount, inDimension, theU);
      continue;
    }
    // u^i rising, then (1 - u)^(n - i) falling.
    double thePower = 1.0;
    for (int i = 0; i <= theDegree; ++i) {
      theWeights[i] = theBinomials[i] * thePower;
      thePower *= theU;
    }
    thePower = 1.0;
    for (int i = theDegree; i >= 0; --i) {
      theWeights[i] *= thePower;
      thePower *= 1.0 - theU;
    }
    for (int d = 0; d < theWritten; ++d) {
      double theSum = 0.0;
      for (int i = 0; i <= theDegree; ++i) theSum += theWeights[i] * inControl[i * inDimension + d];
      thePoint[d] = float(theSum);
    }
  }
}
