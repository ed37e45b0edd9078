// The segment search of MultiParam curves.
//
// The described search walks the segments from the event's start, adding
// durations in unsigned 32-bit arithmetic, and stops at the first segment
// whose end lies after t. Long curves get private derived data (prefix sums
// of the durations and the segment found last time), registered by the loader
// and keyed by the record's address, so that a curve played forward costs the
// same as a short one and random access costs O(log n). The result is always
// the described one: when the sums would wrap past 2^32 ms, or the record was
// changed after indexing, the plain walk runs instead.
#pragma once

#include <cstdint>

#include "demo.h"

// Curves with at least this many segments are indexed.
enum { ZORBIT_INDEXED_SEGMENTS = 16 };

// Builds the index of inMulti (a no-op for short curves). Allocates; call it
// when the record is complete, before evaluation starts.
void BuildSegmentIndex(const MultiParam* inMulti);
// Drops the index of inMulti, if any; DestroyParam calls it.
void ForgetSegmentIndex(const MultiParam* inMulti);
// True while inMulti has an index.
bool HasSegmentIndex(const MultiParam* inMulti);

// The described walk: returns the segment index i (segmentCount when t is at
// or after the end of the last segment) and sets outAcc to its start (ms).
inline uint32_t FindSegmentLinear(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc) {
  uint32_t theI = 0;
  uint32_t theAcc = inStart;
  while (theI < inMulti.segmentCount && theAcc + inMulti.times[theI] <= inTime) {
    theAcc += inMulti.times[theI];
    ++theI;
  }
  outAcc = theAcc;
  return theI;
}

uint32_t FindSegmentIndexed(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc);

inline uint32_t FindSegment(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc) {
  if (inMulti.segmentCount < ZORBIT_INDEXED_SEGMENTS) return FindSegmentLinear(inMulti, inTime, inStart, outAcc);
  return FindSegmentIndexed(inMulti, inTime, inStart, outAcc);
}
