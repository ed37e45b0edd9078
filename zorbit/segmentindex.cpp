#include "segmentindex.h"

#include <algorithm>
#include <vector>

namespace {

size_t gLive = 0;

}  // namespace

void BuildSegmentIndex(MultiParam* inMulti) {
  if (inMulti == nullptr) return;
  ForgetSegmentIndex(inMulti);
  if (inMulti->segmentCount < ZORBIT_INDEXED_SEGMENTS || inMulti->times == nullptr) return;
  SegmentIndex* theIndex = new SegmentIndex{inMulti, inMulti->times, inMulti->segmentCount, 0, 0, 0, 0, {}};
  theIndex->ends.resize(inMulti->segmentCount);
  uint64_t theSum = 0;
  for (uint32_t theK = 0; theK < inMulti->segmentCount; ++theK) {
    theSum += inMulti->times[theK];
    theIndex->ends[theK] = theSum;
  }
  inMulti->index = theIndex;
  ++gLive;
}

void ForgetSegmentIndex(MultiParam* inMulti) {
  if (inMulti == nullptr || inMulti->index == nullptr) return;
  if (inMulti->index->owner == inMulti) {
    delete inMulti->index;
    --gLive;
  }
  inMulti->index = nullptr;
}

bool HasSegmentIndex(const MultiParam* inMulti) {
  return inMulti != nullptr && inMulti->index != nullptr && inMulti->index->owner == inMulti;
}

size_t LiveSegmentIndexCount() { return gLive; }

uint32_t FindSegmentIndexed(const MultiParam& inMulti, uint32_t inTime, uint32_t inStart, uint32_t& outAcc) {
  SegmentIndex* theIndex = UsableSegmentIndex(inMulti);
  const uint32_t theCount = inMulti.segmentCount;
  if (theIndex == nullptr) return FindSegmentLinear(inMulti, inTime, inStart, outAcc);
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
  }
  const uint64_t theLow = theI == 0 ? 0 : theEnds[theI - 1];
  // The last "segment" (after the curve's end) reaches to 2^32 ms.
  const uint64_t theHigh = theI == theCount ? uint64_t(UINT32_MAX) + 1 - inStart : theEnds[theI];
  theIndex->hint = theI;
  theIndex->hintStart = inStart;
  theIndex->hintFrom = inStart + static_cast<uint32_t>(theLow);
  theIndex->hintLength = theHigh - theLow;
  outAcc = theIndex->hintFrom;
  return theI;
}
