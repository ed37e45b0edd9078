// Parameter animation: one small function per kind of description.
#include "paramanim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "segmentindex.h"

namespace {

UseResourceFunction gUseResource = nullptr;

// Combinations in hand-built records could nest without end; deeper operands
// give 0 instead of exhausting the stack. The loader rejects such documents.
const int kMaxCombiDepth = 256;

const double kQuatScale = 100000.0;  // quaternion keys are stored times 100000

// Two's-complement wrapping on 32 bits, without C++ signed overflow.
int32_t WrapToInt32(uint32_t inBits) {
  int32_t theValue;
  memcpy(&theValue, &inBits, sizeof theValue);
  return theValue;
}

int32_t Difference(int32_t inA, int32_t inB) {
  return WrapToInt32(static_cast<uint32_t>(inA) - static_cast<uint32_t>(inB));
}

double Lerp(const MultiParam& inMulti, uint32_t inI, uint32_t inTime, uint32_t inAcc) {
  const uint32_t theElapsed = inTime - inAcc;
  return inMulti.values[inI] +
         double(theElapsed) * double(Difference(inMulti.values[inI + 1], inMulti.values[inI])) /
             double(inMulti.times[inI]);
}

// The control points of one smoothed segment, from its keys and those of its
// neighbours. Shared by "bez" curves and smooth beats: inKey(k) is the key
// at the start of segment k, inDuration(k) the length of segment k.
struct BezierSegment {
  double p[4];
  double d;  // segment duration, 1 when it is 0
};

template <typename KeyAt, typename DurationAt>
BezierSegment MakeBezierSegment(KeyAt inKey, DurationAt inDuration, uint32_t inI, uint32_t inCount) {
  const double theP0 = inKey(inI);
  const double theP3 = inKey(inI + 1);
  BezierSegment theSeg{{theP0, theP0 + (theP3 - theP0) / 3, theP3 - (theP3 - theP0) / 3, theP3}, 1.0};
  const double theD = inDuration(inI);
  theSeg.d = theD == 0 ? 1.0 : theD;
  const double theSlope = (theP3 - theP0) / theSeg.d;
  if (inI > 0) {
    const double theDp = inDuration(inI - 1) == 0 ? 1.0 : inDuration(inI - 1);
    const double theRise = inKey(inI) - inKey(inI - 1);
    const double theSp = theRise / theDp;
    if (theSp * theSlope <= 0) {
      theSeg.p[1] = theP0;  // the slope turns at this key: leave it flat
    } else if (std::fabs(theSlope) > std::fabs(theSp)) {
      theSeg.p[1] = theP0 + theRise / 3;
    }
  }
  if (inI + 1 < inCount) {
    const double theDn = inDuration(inI + 1) == 0 ? 1.0 : inDuration(inI + 1);
    const double theRise = inKey(inI + 2) - inKey(inI + 1);
    const double theSn = theRise / theDn;
    if (theSn * theSlope <= 0) {
      theSeg.p[2] = theP3;  // the slope turns at the next key: arrive flat
    } else if (std::fabs(theSlope) > std::fabs(theSn)) {
      theSeg.p[2] = theP3 - theRise / 3;
    }
  }
  return theSeg;
}

// Segment i of a "bez" curve. Keys are taken as doubles, so differences of
// neighbouring keys cannot overflow.
__attribute__((noinline)) double BezierAt(const MultiParam& inMulti, uint32_t inI, uint32_t inTime, uint32_t inAcc) {
  const int32_t* theValues = inMulti.values;
  if (theValues[inI] == theValues[inI + 1]) return theValues[inI];
  const uint32_t* theTimes = inMulti.times;
  const BezierSegment theSeg = MakeBezierSegment([theValues](uint32_t inK) { return double(theValues[inK]); },
                                                 [theTimes](uint32_t inK) { return double(theTimes[inK]); }, inI,
                                                 inMulti.segmentCount);
  return BezierValue(theSeg.p, 3, double(inTime - inAcc) / theSeg.d);
}

bool IsSqdGroup(const int32_t* inKinds, ParamFunction* const* inParams, uint32_t inAvailable, uint32_t inRoom) {
  if (inAvailable < 4 || inRoom < 4) return false;
  const MultiParam* theHead = static_cast<const MultiParam*>(inParams[0]);
  for (int theC = 1; theC < 4; ++theC) {
    if (inKinds[theC] != PARAM_MULTI || inParams[theC] == nullptr) return false;
    if (static_cast<const MultiParam*>(inParams[theC])->segmentCount != theHead->segmentCount) return false;
  }
  return true;
}

Quat QuatKey(const MultiParam* const* inGroup, uint32_t inKey) {
  Quat theQ;
  for (int theC = 0; theC < 4; ++theC) theQ.c[theC] = inGroup[theC]->values[inKey] / kQuatScale;
  return theQ;
}

// Four components of a "sqd" group at segment i.
void EvaluateSquad(const MultiParam* const* inGroup, uint32_t inI, uint32_t inTime, uint32_t inAcc,
                   int32_t* outValues) {
  const uint32_t theCount = inGroup[0]->segmentCount;
  Quat theQ0 = QuatKey(inGroup, inI);
  Quat theQ1 = QuatKey(inGroup, inI + 1);
  const Quat thePrev = inI == 0 ? theQ0 : QuatKey(inGroup, inI - 1);
  const Quat theNext = inI + 2 < theCount ? QuatKey(inGroup, inI + 2) : theQ1;
  const double theD01 = Dot(theQ0, theQ1);
  const double theD0p = Dot(theQ0, thePrev);
  const double theD1n = Dot(theQ1, theNext);
  // The logarithms need positive dot products; keys that face away from a
  // neighbour keep their own orientation as the inner control point, which
  // turns the segment into a plain slerp.
  Quat theS0 = theQ0;
  Quat theS1 = theQ1;
  if (theD01 > 0 && theD0p > 0 && theD1n > 0) {
    const double theA0 = std::exp(-(std::log(theD01) + std::log(theD0p)) / 4);
    const double theA1 = std::exp(-(std::log(theD1n) + std::log(theD01)) / 4);
    theS0 = Scale(theQ0, theA0);
    theS1 = Scale(theQ1, theA1);
  }
  theS0 = Normalize(theS0);
  theQ0 = Normalize(theQ0);
  theQ1 = Normalize(theQ1);
  theS1 = Normalize(theS1);
  const double theU = double(inTime - inAcc) / double(inGroup[0]->times[inI]);
  const Quat theR = Squad(theQ0, theQ1, theS0, theS1, theU);
  for (int theC = 0; theC < 4; ++theC) outValues[theC] = ToInt32(theR.c[theC] * kQuatScale);
}

int32_t EvaluateSine(const SineParam& inSine, uint32_t inTime, uint32_t inStart) {
  // A wave of period 0 has collapsed onto its axis.
  if (inSine.period == 0) return inSine.height;
  const int32_t theD = WrapToInt32(inTime - inStart + static_cast<uint32_t>(inSine.offset));
  return ToInt32(std::sin(theD * 6.28318 / inSine.period) * inSine.ampli + inSine.height);
}

int32_t EvaluateBeat(const BeatParam& inBeat, uint32_t inTime) {
  if (gUseResource == nullptr) return inBeat.min;
  bool theStatic = false;
  const BeatRecord* theRecord = static_cast<const BeatRecord*>(
      gUseResource(KIND_BEAT, inBeat.id, nullptr, false, "ZorbitEdit", "Beat", &theStatic));
  if (theRecord == nullptr) return inBeat.min;
  return ToInt32(BeatValue(inTime, *theRecord) * inBeat.max + inBeat.min);
}

uint32_t EvaluateAt(uint32_t inTime, uint32_t inStart, const int32_t* inKinds, ParamFunction* const* inParams,
                    uint32_t inAvailable, bool& outConstant, int32_t* outValues, uint32_t inValueRoom, int inDepth);

int32_t EvaluateCombi(const CombiParam& inCombi, uint32_t inTime, uint32_t inStart, bool& outConstant, int inDepth) {
  if (inDepth >= kMaxCombiDepth) return 0;
  int32_t theA = 0;
  int32_t theB = 0;
  bool theFirstConstant = true;
  bool theSecondConstant = true;
  EvaluateAt(inTime, inStart, &inCombi.firstKind, &inCombi.first, 1, theFirstConstant, &theA, 1, inDepth + 1);
  EvaluateAt(inTime, inStart, &inCombi.secondKind, &inCombi.second, 1, theSecondConstant, &theB, 1, inDepth + 1);
  outConstant = theFirstConstant && theSecondConstant;
  switch (inCombi.op) {
    case COMBI_ADD:
      return WrapToInt32(static_cast<uint32_t>(theA) + static_cast<uint32_t>(theB));
    case COMBI_MUL: {
      // The product wraps on 32 bits before the division.
      const int32_t theProduct = WrapToInt32(static_cast<uint32_t>(theA) * static_cast<uint32_t>(theB));
      return theProduct / 10000;
    }
    default:
      return 0;  // the loader refuses other operators
  }
}

// Four components of a "sqd" group at inTime. Kept out of line, as is the
// Bezier segment, so that the frequent "lin" and constant cases run in a
// small frame.
__attribute__((noinline)) void EvaluateSquadGroup(uint32_t inTime, uint32_t inStart, ParamFunction* const* inParams,
                                                  bool& outConstant, int32_t* outValues) {
  const MultiParam* theGroup[4];
  for (int theC = 0; theC < 4; ++theC) theGroup[theC] = static_cast<const MultiParam*>(inParams[theC]);
  const uint32_t theCount = theGroup[0]->segmentCount;
  if (theCount != 0) outConstant = false;
  uint32_t theAcc = 0;
  const uint32_t theI = theCount == 0 ? 0 : FindSegment(*theGroup[0], inTime, inStart, theAcc);
  if (theI == theCount) {
    for (int theC = 0; theC < 4; ++theC) outValues[theC] = theGroup[theC]->values[theCount];
  } else {
    EvaluateSquad(theGroup, theI, inTime, theAcc, outValues);
  }
}

uint32_t EvaluateMulti(uint32_t inTime, uint32_t inStart, const int32_t* inKinds, ParamFunction* const* inParams,
                       uint32_t inAvailable, bool& outConstant, int32_t* outValues, uint32_t inValueRoom) {
  const MultiParam& theMulti = *static_cast<const MultiParam*>(inParams[0]);
  if (theMulti.interpol == INTERP_SQD && IsSqdGroup(inKinds, inParams, inAvailable, inValueRoom)) {
    EvaluateSquadGroup(inTime, inStart, inParams, outConstant, outValues);
    return 4;
  }
  const uint32_t theCount = theMulti.segmentCount;
  if (theCount == 0) {
    outValues[0] = theMulti.values[0];
    return 1;
  }
  outConstant = false;
  uint32_t theAcc = 0;
  const uint32_t theI = FindSegment(theMulti, inTime, inStart, theAcc);
  if (theI == theCount) {
    outValues[0] = theMulti.values[theCount];
  } else if (theMulti.interpol == INTERP_BEZ) {
    outValues[0] = ToInt32(BezierAt(theMulti, theI, inTime, theAcc));
  } else {
    // "lin", and "sqd" parameters that do not form a group
    outValues[0] = ToInt32(Lerp(theMulti, theI, inTime, theAcc));
  }
  return 1;
}

uint32_t EvaluateAt(uint32_t inTime, uint32_t inStart, const int32_t* inKinds, ParamFunction* const* inParams,
                    uint32_t inAvailable, bool& outConstant, int32_t* outValues, uint32_t inValueRoom, int inDepth) {
  outConstant = true;
  const ParamFunction* theParam = inParams[0];
  if (theParam == nullptr) {
    outValues[0] = 0;
    return 1;
  }
  switch (inKinds[0]) {
    case PARAM_CONST:
      outValues[0] = static_cast<const ConstParam*>(theParam)->value;
      return 1;
    case PARAM_SINE:
      outConstant = false;
      outValues[0] = EvaluateSine(*static_cast<const SineParam*>(theParam), inTime, inStart);
      return 1;
    case PARAM_MULTI:
      return EvaluateMulti(inTime, inStart, inKinds, inParams, inAvailable, outConstant, outValues, inValueRoom);
    case PARAM_COMBI:
      outValues[0] = EvaluateCombi(*static_cast<const CombiParam*>(theParam), inTime, inStart, outConstant, inDepth);
      return 1;
    case PARAM_BEAT:
      outConstant = false;
      outValues[0] = EvaluateBeat(*static_cast<const BeatParam*>(theParam), inTime);
      return 1;
    default:
      outValues[0] = 0;
      return 1;
  }
}

// Beat walk. A pattern repetition advances acc by a fixed number of whole ms
// when every interval is finite, non-negative, below 2^32 ms and not within
// 2^-20 of the next whole ms: adding such an interval to a whole-ms acc below
// 2^33 can never round up to that next ms, so the truncated step is exactly
// floor(interval) wherever acc stands. For such patterns the walk below skips
// the repetitions in which it cannot stop and then runs the described walk
// for at most two repetitions; the result is the same.
bool HasFixedSteps(const BeatRecord& inBeat) {
  for (int32_t theK = 0; theK < inBeat.count; ++theK) {
    const double theX = inBeat.intervals[theK];
    if (!(theX >= 0.0 && theX < 4294967296.0)) return false;
    if (1.0 - (theX - std::floor(theX)) <= 0x1p-20) return false;
  }
  return true;
}

}  // namespace

void SetBeatResourceLookup(UseResourceFunction inUseResource) { gUseResource = inUseResource; }

uint32_t EvaluateParam(uint32_t inTime, uint32_t inStart, const int32_t* inKinds, ParamFunction* const* inParams,
                       uint32_t inAvailable, bool& outConstant, int32_t* outValues, uint32_t inValueRoom) {
  return EvaluateAt(inTime, inStart, inKinds, inParams, inAvailable, outConstant, outValues, inValueRoom, 0);
}

void EvaluateEventParams(uint32_t inTime, const Event& inEvent, int32_t* outValues, uint32_t inValueCapacity,
                         bool& outParamsConstant) {
  outParamsConstant = true;
  if (inEvent.params == nullptr || inEvent.paramKinds == nullptr) return;
  const uint32_t theCount = inEvent.paramCount < inValueCapacity ? inEvent.paramCount : inValueCapacity;
  uint32_t theI = 0;
  while (theI < theCount) {
    bool theConstant = true;
    const uint32_t theRoom = theCount - theI;
    if (theRoom >= 4) {
      theI += EvaluateAt(inTime, inEvent.startTime, inEvent.paramKinds + theI, inEvent.params + theI,
                         inEvent.paramCount - theI, theConstant, outValues + theI, theRoom, 0);
    } else {
      // A "sqd" group may straddle the end of the buffer: keep what fits.
      int32_t theGroup[4];
      const uint32_t theUsed = EvaluateAt(inTime, inEvent.startTime, inEvent.paramKinds + theI,
                                          inEvent.params + theI, inEvent.paramCount - theI, theConstant, theGroup, 4, 0);
      for (uint32_t theK = 0; theK < theUsed && theK < theRoom; ++theK) outValues[theI + theK] = theGroup[theK];
      theI += theUsed;
    }
    outParamsConstant = outParamsConstant && theConstant;
  }
}

double BeatValue(uint32_t inTime, const BeatRecord& inBeat) {
  const int32_t theCount = inBeat.count;
  // levels[count] must exist: the record holds 129 intervals and 130 levels.
  if (theCount <= 0 || theCount > 129) return 0.0;
  if (inTime < inBeat.startTime || uint64_t(inTime) > uint64_t(inBeat.startTime) + inBeat.duration) return 0.0;
  const double* theIntervals = inBeat.intervals;
  const double theT = inTime;
  double theAcc = inBeat.startTime;
  int32_t theI = 0;
  if (HasFixedSteps(inBeat)) {
    // c_k: whole ms from a repetition's start to the end of step k, rounded
    // down; period: whole ms one repetition advances acc.
    double thePeriod = 0;
    double theReach = 0;  // largest c_k
    for (int32_t theK = 0; theK < theCount; ++theK) {
      theReach = std::max(theReach, thePeriod + std::floor(theIntervals[theK]));
      thePeriod += std::floor(theIntervals[theK]);
    }
    // A repetition r whose acc + reach lies before t cannot stop the walk.
    const double theAhead = theT - theAcc - theReach;
    if (thePeriod > 0 && theAhead > 0) theAcc += std::ceil(theAhead / thePeriod) * thePeriod;
    // From here the walk ends within two repetitions, or never when the
    // period is 0 and every step stays at or before t.
    for (int32_t theSteps = 0;; ++theSteps) {
      if (!(theT >= theAcc + theIntervals[theI])) break;
      if (theSteps >= 2 * theCount) return 0.0;  // sub-millisecond pattern: the walk never ends
      theAcc = std::trunc(theAcc + theIntervals[theI]);
      theI = (theI + 1) % theCount;
    }
  } else {
    // Intervals that are negative, not finite, huge or a hair below a whole
    // ms (the beat plug-in makes none of these): the steps are not fixed, so
    // nothing can be skipped. Walk at most four repetitions and give 0.0 when
    // t is still not reached.
    for (int32_t theSteps = 0;; ++theSteps) {
      if (!(theT >= theAcc + theIntervals[theI])) break;
      if (theSteps >= 4 * theCount) return 0.0;
      theAcc = std::trunc(theAcc + theIntervals[theI]);
      theI = (theI + 1) % theCount;
    }
  }
  const double theLevel0 = inBeat.levels[theI];
  const double theLevel1 = inBeat.levels[theI + 1];
  if (!inBeat.smooth) return theLevel0 + (theT - theAcc) * (theLevel1 - theLevel0) / theIntervals[theI];
  if (theLevel0 == theLevel1) return theLevel0;
  const double* theLevels = inBeat.levels;
  const BezierSegment theSeg = MakeBezierSegment([theLevels](uint32_t inK) { return theLevels[inK]; },
                                                 [theIntervals](uint32_t inK) { return theIntervals[inK]; },
                                                 static_cast<uint32_t>(theI), static_cast<uint32_t>(theCount));
  return BezierValue(theSeg.p, 3, (theT - theAcc) / theSeg.d);
}

double BezierValue(const double* inPoints, int inDegree, double inU) {
  double theSum = 0;
  for (int theK = 0; theK <= inDegree; ++theK) {
    // C(n, k) as the integer n (n - 1) ... (n - k + 1) / k!
    long long theFalling = 1;
    long long theFactorial = 1;
    for (int theJ = 0; theJ < theK; ++theJ) {
      theFalling *= inDegree - theJ;
      theFactorial *= theJ + 1;
    }
    double theA = 1;
    for (int theJ = 0; theJ < inDegree - theK; ++theJ) theA *= 1 - inU;
    double theB = 1;
    for (int theJ = 0; theJ < theK; ++theJ) theB *= inU;
    theSum += double(theFalling / theFactorial) * theA * theB * inPoints[theK];
  }
  return theSum;
}

double Dot(const Quat& inP, const Quat& inQ) {
  return inP.c[0] * inQ.c[0] + inP.c[1] * inQ.c[1] + inP.c[2] * inQ.c[2] + inP.c[3] * inQ.c[3];
}

double Length(const Quat& inQ) { return std::sqrt(Dot(inQ, inQ)); }

Quat Normalize(const Quat& inQ) {
  const double theLength = Length(inQ);
  if (theLength == 0) return inQ;
  return Quat{{inQ.c[0] / theLength, inQ.c[1] / theLength, inQ.c[2] / theLength, inQ.c[3] / theLength}};
}

Quat Scale(const Quat& inQ, double inFactor) {
  return Quat{{inQ.c[0] * inFactor, inQ.c[1] * inFactor, inQ.c[2] * inFactor, inQ.c[3] * inFactor}};
}

Quat Slerp(const Quat& inP, const Quat& inQ, double inU) {
  const double theC = Dot(inP, inQ);
  // The integer part of c taken as an absolute value: c >= 1 or c <= -1.
  // A NaN dot product is treated the same way.
  if (!(theC > -1.0 && theC < 1.0)) return inP;
  const double theTheta = std::acos(theC);
  const double theSin = std::sqrt(1 - theC * theC);
  Quat theR;
  if (std::fabs(theSin) < 0.001) {
    for (int theK = 0; theK < 4; ++theK) theR.c[theK] = (inP.c[theK] + inQ.c[theK]) / 2;
    return theR;
  }
  for (int theK = 0; theK < 4; ++theK) {
    theR.c[theK] = inP.c[theK] * std::sin((1 - inU) * theTheta) / theSin + inQ.c[theK] * std::sin(inU * theTheta) / theSin;
  }
  return theR;
}

Quat Squad(const Quat& inQ0, const Quat& inQ1, const Quat& inS0, const Quat& inS1, double inU) {
  return Slerp(Slerp(inQ0, inQ1, inU), Slerp(inS0, inS1, inU), 2 * inU * (1 - inU));
}
