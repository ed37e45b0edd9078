// Parameter animation: turns an event's parameter descriptions into the
// signed 32-bit values an effect receives at a demo time.
//
// All arithmetic on values is done in double precision; a final value is
// converted to int32_t by truncation toward zero, saturating at INT32_MIN and
// INT32_MAX, with NaN giving 0 (ToInt32). Time differences are unsigned 32-bit.
// Evaluation allocates nothing and runs on the main thread only.
//
// Where a description has no meaningful value:
// - a sine of period 0 gives its height (the wave has collapsed onto its axis);
// - a combination with an operator other than 0 or 1 gives 0 (the loader
//   refuses such documents); 32-bit sums and products wrap;
// - a "sqd" segment whose keys face away from a neighbour (a dot product of
//   0 or less, where the logarithms are undefined) is a plain Slerp;
// - a Slerp whose dot product is NaN returns its first key.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "demo.h"
#include <zorbit/zorbit.h>

// Beat parameters find their BeatRecord through this lookup (the registry's
// UseResource). Called with KIND_BEAT, the beat's text number, nullptr, false,
// "ZorbitEdit", "Beat" and a flag that is not read. Until a lookup is set,
// every beat is missing and beat parameters give their min.
void SetBeatResourceLookup(UseResourceFunction inUseResource);

// Evaluates the parameters of inEvent at demo time inTime (ms) into
// outValues[0 .. paramCount - 1]. Never writes past inValueCapacity values:
// parameters beyond it are not evaluated. outParamsConstant is true when no
// evaluated parameter depends on time.
void EvaluateEventParams(uint32_t inTime, const Event& inEvent, int32_t* outValues, uint32_t inValueCapacity,
                         bool& outParamsConstant);

// Evaluates the parameter whose kind is inKinds[0] and description inParams[0]
// for an event starting at inStart (ms), writing outValues[0] (four values for
// an INTERP_SQD group). inAvailable is how many descriptions (and kinds)
// follow from inParams on, inParams[0] included; inValueRoom how many values
// may be written. Returns the number of parameters consumed, 1 or 4.
//
// An INTERP_SQD parameter that is not followed by three PARAM_MULTI
// descriptions with the same segment count, or that has no room for four
// values, is evaluated as a linear curve and consumes 1.
uint32_t EvaluateParam(uint32_t inTime, uint32_t inStart, const int32_t* inKinds, ParamFunction* const* inParams,
                       uint32_t inAvailable, bool& outConstant, int32_t* outValues, uint32_t inValueRoom);

// The beat's level at demo time inTime (ms); 0.0 outside the beat's span,
// for count 0, for a count above 129 (the record's arrays hold no more), and
// for patterns the walk could never leave (see paramanim.cpp).
double BeatValue(uint32_t inTime, const BeatRecord& inBeat);

// The Bernstein form of the curve with control points inPoints[0 .. inDegree] at u.
double BezierValue(const double* inPoints, int inDegree, double inU);

// Quaternions as 4-vectors of doubles.
struct Quat {
  double c[4];
};
double Dot(const Quat& inP, const Quat& inQ);
double Length(const Quat& inQ);
Quat Normalize(const Quat& inQ);  // unchanged when the length is exactly 0
Quat Scale(const Quat& inQ, double inFactor);
Quat Slerp(const Quat& inP, const Quat& inQ, double inU);
Quat Squad(const Quat& inQ0, const Quat& inQ1, const Quat& inS0, const Quat& inS1, double inU);

// Truncation toward zero with saturation; NaN gives 0. Inline, since every
// evaluation ends in it: the processor's conversion gives INT32_MIN for every
// value it cannot convert, so only that result needs a second look.
inline int32_t ToInt32(double inValue) {
#if defined(__SSE2__)
  const int32_t theTruncated = _mm_cvttsd_si32(_mm_set_sd(inValue));
  if (theTruncated != INT32_MIN) return theTruncated;
#endif
  if (inValue != inValue) return 0;
  if (inValue >= 2147483647.0) return INT32_MAX;
  if (inValue <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(inValue);
}
