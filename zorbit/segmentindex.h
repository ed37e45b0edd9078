// The segment search of MultiParam curves.
//
// The described search walks the segments from the event's start, adding
// durations in unsigned 32-bit arithmetic, and stops at the first segment
// whose end lies after t. Long curves get private derived data (prefix sums
// of the durations and the segment found last time), which the loader hangs
// on the record itself, so that a curve played forward costs the same as a
// short one and random access costs O(log n), with no lookup per evaluation.
// The result is always the described one: when the sums would wrap past
// 2^32 ms, or the record was changed (or copied) after indexing, the plain
// walk runs instead. An index belongs to the record it was built for: a copy
// of the record neither uses it nor frees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "demo.h"

// Curves with at least this many segments are indexed; a shorter walk costs
// less than looking at an index.
enum { ZORBIT_INDEXED_SEGMENTS = 16 };

// Search data of one curve.
struct SegmentIndex {
  const MultiParam* owner;  // the record it was built for; a copy of the record does not match
  const uint32_t* times;    // the record's array when indexed; a change makes the index stale
  uint32_t count;           // the record's segmentCount when indexed
  // The segment found last and the demo times it holds for an event that
  // starts at hintStart: [hintFrom, hintFrom + hintLength). Forward play
  // usually stays in it or moves to the next one.
  uint32_t hint;
  uint32_t hintStart;
  uint32_t hintFrom;
  uint64_t hintLength;  // 0 while there is no hint
  std::vector<uint64_t> ends;  // ends[k]: ms from the event start to the end of segment k, without wrapping
};

// Builds the index of inMulti (a no-op for short curves), replacing one it
// had. Allocates; call it when the record is complete, before evaluation.
void BuildSegmentIndex(MultiParam* inMulti);
// Frees the index of inMulti, if it owns one, and clears the slot;
// DestroyParam calls it.
void ForgetSegmentIndex(MultiParam* inMulti);
// True while inMulti has an index of its own.
bool HasSegmentIndex(const MultiParam* inMulti);
// Indexes built and not yet forgotten, in the whole process.
size_t LiveSegmentIndexCount();

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

// The index inMulti may use: its own, built for its current arrays; or null.
inline SegmentIndex* UsableSegmentIndex(const MultiParam& inMulti) {
  SegmentIndex* theIndex = inMulti.index;
  if (theIndex == nullptr || theIndex->owner != &inMulti) return nullptr;
  if (theIndex->times != inMulti.times || theIndex->count != inMulti.segmentCount) return nullptr;
  return theIndex;
}

// The same answer through the index (the walk when the record has no usable
// index); updates the hint.
uint32_t FindSegmentIndexed(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc);

inline uint32_t FindSegment(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc) {
  if (inMulti.segmentCount < ZORBIT_INDEXED_SEGMENTS) return FindSegmentLinear(inMulti, inTime, inStart, outAcc);
  const SegmentIndex* theIndex = UsableSegmentIndex(inMulti);
  if (theIndex != nullptr && theIndex->hintStart == inStart && inTime - theIndex->hintFrom < theIndex->hintLength) {
    outAcc = theIndex->hintFrom;
    return theIndex->hint;
  }
  return FindSegmentIndexed(inMulti, inTime, inStart, outAcc);
}
