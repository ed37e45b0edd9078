#include "gridshapes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <zorbit/lattice/bezier.h>

void FillFlatGrid(float* outVertices, int32_t inColumns, int32_t inRows, int32_t inWidth, int32_t inHeight) {
  float* theOut = outVertices;
  for (int32_t r = 0; r < inRows; ++r) {
    const double y = (double(r) * inHeight) / (inRows - 1) - inHeight * 0.5;
    for (int32_t c = 0; c < inColumns; ++c) {
      theOut[0] = static_cast<float>((double(c) * inWidth) / (inColumns - 1) - inWidth * 0.5);
      theOut[1] = static_cast<float>(y);
      theOut[2] = 0.0f;
      theOut += 3;
    }
  }
}

void FillWaveGrid(const float* inSource, float* outVertices, int32_t inColumns, int32_t inRows,
                  const WaveParams& inWave, std::vector<double>& ioColumnWaves) {
  // Divided by the counts, not counts - 1: whole cycles join seamlessly at the edges.
  if (ioColumnWaves.size() < size_t(inColumns)) ioColumnWaves.resize(inColumns);
  for (int32_t c = 0; c < inColumns; ++c)
    ioColumnWaves[c] = inWave.mColumnAmplitude * std::sin(6.283185308 * inWave.mColumnCycles * c / inColumns +
                                                          0.006283185308 * inWave.mColumnPhase);
  for (int32_t r = 0; r < inRows; ++r) {
    const float theRowWave = static_cast<float>(
        inWave.mRowAmplitude * std::sin(6.283185308 * inWave.mRowCycles * r / inRows + 0.006283185308 * inWave.mRowPhase));
    const size_t theRow = size_t(r) * inColumns * 3;
    const float* theIn = inSource + theRow;
    float* theOut = outVertices + theRow;
    for (int32_t c = 0; c < inColumns; ++c) {
      theOut[0] = theIn[0];
      theOut[1] = theIn[1];
      theOut[2] = static_cast<float>(theIn[2] + ioColumnWaves[c] + theRowWave);
      theIn += 3;
      theOut += 3;
    }
  }
}

void FillTurnedPage(const float* inSource, float* outVertices, int32_t inColumns, int32_t inRows, int32_t inTurn,
                    int32_t inLift, std::vector<float>& ioCurve) {
  const size_t theFloats = size_t(inColumns) * inRows * 3;
  if (theFloats == 0) return;
  const double theWidth = double(inSource[(inColumns - 1) * 3]) - inSource[0];
  if (theWidth == 0.0 || !std::isfinite(theWidth)) {
    if (outVertices != inSource) std::memcpy(outVertices, inSource, theFloats * sizeof(float));
    return;
  }
  const double theHalf = theWidth * 0.5;
  const double theBendLength = 0.2 * theWidth;
  const float theTurn = static_cast<float>(inTurn);

  // a1: the turned edge; a2: the flat part, rising in the last quarter;
  // a3: the direction in which the curve meets the turned edge.
  const double a1 = inTurn * 3.141592654 * 0.00001;
  const double a2 = theTurn > 75000.0f ? (inTurn - 75000) * 3.141592654 * 0.00004 : 0.0;
  const double a3 = theTurn < 25000.0f ? inTurn * 1.570796327 * 0.00004 - 1.570796327 : 0.0;
  const double theCos1 = std::cos(a1), theSin1 = std::sin(a1);
  const double theCos2 = std::cos(a2), theSin2 = std::sin(a2);

  double theFlatLength =
      theWidth - double(inTurn) * theWidth * 0.00001 - double(inLift) * inTurn * theWidth * 0.00000001;
  if (theFlatLength < 0.0) theFlatLength = 0.0;

  // Columns below theFlatColumns lie in the flat part; the others take the
  // curve's samples from 0 on. Both counts are clamped to the row so that a
  // negative turn (a flat part longer than the page) stays inside it.
  const double theFlatShare = inColumns * theFlatLength / theWidth;
  const double theFlatColumnsD = std::clamp(theFlatShare + 1.0, 0.0, double(inColumns));
  const double theSamplesD = std::clamp(inColumns - theFlatShare, 0.0, double(inColumns));
  const int32_t theFlatColumns = static_cast<int32_t>(theFlatColumnsD);
  const int32_t theSamples = static_cast<int32_t>(theSamplesD);
  if (ioCurve.size() < size_t(std::max(theSamples, 1)) * 3) ioCurve.resize(size_t(std::max(theSamples, 1)) * 3);

  float theControl[12];
  theControl[0] = static_cast<float>(theFlatLength * theCos2);
  theControl[1] = 0.0f;
  theControl[2] = static_cast<float>(theFlatLength * theSin2);
  theControl[3] = static_cast<float>((theFlatLength + theBendLength) * theCos2);
  theControl[4] = 0.0f;
  theControl[5] = static_cast<float>((theFlatLength + theBendLength) * theSin2);
  const double theCos3 = std::cos(a3), theSin3 = std::sin(a3);
  float theLastControl[12];
  bool theHaveCurve = false;

  for (int32_t r = 0; r < inRows; ++r) {
    const size_t theRow = size_t(r) * inColumns * 3;
    const float* theIn = inSource + theRow;
    float* theOut = outVertices + theRow;
    if (theSamples > 0 && theFlatColumns < inColumns) {
      const float* theLast = theIn + size_t(inColumns - 1) * 3;
      const double xl = theLast[0] + theHalf;
      const double zl = theLast[2];
      const float p3x = static_cast<float>(theCos1 * xl - theSin1 * zl);
      const float p3z = static_cast<float>(inLift * 0.001 * (theSin1 * xl + theCos1 * zl));
      theControl[9] = p3x;
      theControl[10] = 0.0f;
      theControl[11] = p3z;
      theControl[6] = static_cast<float>(p3x + theBendLength * theCos3);
      theControl[7] = 0.0f;
      theControl[8] = static_cast<float>(p3z + theBendLength * theSin3);
      // Rows whose turned edges coincide (every row of a flat page) share
      // one curve: sample it only when the control points change.
      if (!theHaveCurve || std::memcmp(theControl, theLastControl, sizeof theControl) != 0) {
        Get_Bezier3D(theControl, 3, 4, theSamples, ioCurve.data(), 3);
        std::memcpy(theLastControl, theControl, sizeof theControl);
        theHaveCurve = true;
      }
    }
    for (int32_t c = 0; c < inColumns; ++c) {
      const float* theVertex = theIn + size_t(c) * 3;
      float* theResult = theOut + size_t(c) * 3;
      if (c < theFlatColumns || theSamples == 0) {
        const double u = theVertex[0] + theHalf;
        const double z = theVertex[2];
        const float y = theVertex[1];
        theResult[0] = static_cast<float>(theCos2 * u - theSin2 * z);
        theResult[1] = y;
        theResult[2] = static_cast<float>(theSin2 * u + theCos2 * z);
      } else {
        // In exact arithmetic flat columns + samples >= columns; rounding may
        // leave the last column one sample short, which then takes the last sample.
        const int32_t theSample = std::min(c - theFlatColumns, theSamples - 1);
        theResult[0] = ioCurve[size_t(theSample) * 3];
        theResult[1] = theVertex[1];
        theResult[2] = ioCurve[size_t(theSample) * 3 + 2];
      }
    }
  }
}
