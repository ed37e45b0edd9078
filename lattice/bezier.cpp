#include "bezier.h"

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
  for (int s = 0; s < inSampleCount; ++s) {
    const double theU = SampleParameter(s, inSampleCount);
    for (int d = 0; d < theWritten; ++d) {
      float theValue;
      // The ends are the control points themselves, bit for bit.
      if (s == 0)
        theValue = inControl[d];
      else if (s == inSampleCount - 1)
        theValue = inControl[(inControlCount - 1) * inDimension + d];
      else
        theValue = BezierAt(inControl + d, inControlCount, inDimension, theU);
      outPoints[s * inOutStride + d] = theValue;
    }
  }
}
