#include "segmentindex.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "zassert.h"

namespace {

struct SegmentIndex {
  const uint32_t* times;  // the record's array when indexed; a change makes the index stale
  uint32_t count;         // the record's segmentCount when indexed
  uint32_t hint;          // segment found by the last search: forward play usually stays or moves by one
  std::vector<uint64_t> ends;  // ends[k]: ms from the event start to the end of segment k, without wrapping
};

// Open addressing with linear probing, keyed by record address; deletion
// shifts the following entries back, so there are no tombstones.
struct Slot {
  const MultiParam* key;
  SegmentIndex* index;
};

std::vector<Slot> gSlots;  // size is a power of two, or 0
size_t gUsed = 0;

size_t HashOf(const MultiParam* inKey, size_t inMask) {
  uint64_t theBits = reinterpret_cast<uintptr_t>(inKey);
  return static_cast<size_t>((theBits * 0x9E3779B97F4A7C15ull) >> 32) & inMask;
}

void InsertSlot(std::vector<Slot>& ioSlots, const MultiParam* inKey, SegmentIndex* inIndex) {
  size_t theMask = ioSlots.size() - 1;
  size_t theH = HashOf(inKey, theMask);
  while (ioSlots[theH].key != nullptr && ioSlots[theH].key != inKey) theH = (theH + 1) & theMask;
  if (ioSlots[theH].key == inKey) {
    delete ioSlots[theH].index;
  }
  ioSlots[theH] = Slot{inKey, inIndex};
}

SegmentIndex* Lookup(const MultiParam* inKey) {
  if (gSlots.empty()) return nullptr;
  size_t theMask = gSlots.size() - 1;
  size_t theH = HashOf(inKey, theMask);
  while (gSlots[theH].key != nullptr) {
    if (gSlots[theH].key == inKey) return gSlots[theH].index;
    theH = (theH + 1) & theMask;
  }
  return nullptr;
}

}  // namespace

void BuildSegmentIndex(const MultiParam* inMulti) {
  if (inMulti == nullptr || inMulti->segmentCount < ZORBIT_INDEXED_SEGMENTS || inMulti->times == nullptr) return;
  SegmentIndex* theIndex = new SegmentIndex{inMulti->times, inMulti->segmentCount, 0, {}};
  theIndex->ends.resize(inMulti->segmentCount);
  uint64_t theSum = 0;
  for (uint32_t theK = 0; theK < inMulti->segmentCount; ++theK) {
    theSum += inMulti->times[theK];
    theIndex->ends[theK] = theSum;
  }
  if ((gUsed + 1) * 2 > gSlots.size()) {
    std::vector<Slot> theSlots(std::max<size_t>(64, gSlots.size() * 2), Slot{nullptr, nullptr});
    for (const Slot& theSlot : gSlots) {
      if (theSlot.key != nullptr) InsertSlot(theSlots, theSlot.key, theSlot.index);
    }
    gSlots.swap(theSlots);
  }
  if (Lookup(inMulti) == nullptr) ++gUsed;
  InsertSlot(gSlots, inMulti, theIndex);
}

void ForgetSegmentIndex(const MultiParam* inMulti) {
  if (gSlots.empty()) return;
  size_t theMask = gSlots.size() - 1;
  size_t theH = HashOf(inMulti, theMask);
  while (gSlots[theH].key != inMulti) {
    if (gSlots[theH].key == nullptr) return;
    theH = (theH + 1) & theMask;
  }
  delete gSlots[theH].index;
  gSlots[theH] = Slot{nullptr, nullptr};
  --gUsed;
  // Move back every following entry whose probe sequence passes the hole.
  size_t theHole = theH;
  for (size_t theNext = (theH + 1) & theMask; gSlots[theNext].key != nullptr; theNext = (theNext + 1) & theMask) {
    size_t theHome = HashOf(gSlots[theNext].key, theMask);
    bool theMovable = theHole <= theNext ? (theHome <= theHole || theHome > theNext)
                                         : (theHome <= theHole && theHome > theNext);
    if (theMovable) {
      gSlots[theHole] = gSlots[theNext];
      gSlots[theNext] = Slot{nullptr, nullptr};
      theHole = theNext;
    }
  }
}

bool HasSegmentIndex(const MultiParam* inMulti) { return Lookup(inMulti) != nullptr; }

uint32_t FindSegmentIndexed(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc) {
  SegmentIndex* theIndex = Lookup(&inMulti);
  const uint32_t theCount = inMulti.segmentCount;
  if (theIndex == nullptr || theIndex->times != inMulti.times || theIndex->count != theCount) {
    return FindSegmentLinear(inMulti, inTime, inStart, outAcc);
  }
  const uint64_t* theEnds = theIndex->ends.data();
  // Past 2^32 the described sums wrap and stop being ordered: walk instead.
  if (uint64_t(inStart) + theEnds[theCount - 1] > UINT32_MAX) return FindSegmentLinear(inMulti, inTime, inStart, outAcc);
  if (inTime < inStart) {
    outAcc = inStart;
    return 0;
  }
  // Segment i holds r when ends[i - 1] <= r < ends[i]; the first such i is
  // the number of ends not after r.
  const uint64_t theR = inTime - inStart;
  auto theHolds = [&](uint32_t inI) {
    uint64_t theLow = inI == 0 ? 0 : theEnds[inI - 1];
    return theLow <= theR && (inI == theCount || theR < theEnds[inI]);
  };
  uint32_t theI = theIndex->hint;
  if (!theHolds(theI)) {
    if (theI < theCount && theHolds(theI + 1)) {
      ++theI;
    } else {
      theI = static_cast<uint32_t>(std::upper_bound(theEnds, theEnds + theCount, theR) - theEnds);
    }
    theIndex->hint = theI;
  }
  outAcc = inStart + static_cast<uint32_t>(theI == 0 ? 0 : theEnds[theI - 1]);
  return theI;
}
