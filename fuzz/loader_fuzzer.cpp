// Feeds arbitrary bytes to the demo loader and evaluates every parameter of
// whatever it accepts at a few times. Beat parameters see a BeatRecord made
// of the input's first bytes, so the beat walk meets arbitrary records too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "basicexception.h"
#include "paramanim.h"
#include "zorbitloader.h"

namespace {

BeatRecord gBeat;

void* UseFuzzBeat(int32_t, int32_t inId, void*, bool, const char*, const char*, bool*) {
  return inId % 2 == 0 ? &gBeat : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
  memset(&gBeat, 0, sizeof gBeat);
  memcpy(&gBeat, inData, inSize < sizeof gBeat ? inSize : sizeof gBeat);
  SetBeatResourceLookup(UseFuzzBeat);

  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  bool theLoaded = true;
  try {
    LoadDemoFromMemory(reinterpret_cast<const char*>(inData), inSize, "fuzz.xml", theDemo, theNames);
  } catch (const BasicException&) {
    theLoaded = false;  // a rejected document is only ever destroyed
  }
  for (uint32_t theT = 0; theLoaded && theT < theDemo.trackCount; ++theT) {
    const Track& theTrack = theDemo.tracks[theT];
    for (uint32_t theE = 0; theE < theTrack.eventCount; ++theE) {
      const Event& theEvent = theTrack.events[theE];
      const uint32_t theTimes[] = {0, theEvent.startTime, theEvent.startTime + 5, (theEvent.startTime + theEvent.endTime) / 2,
                                   theEvent.endTime, theEvent.endTime + 1, UINT32_MAX};
      // exactly as many slots as allowed, so ASan sees any write past them
      for (uint32_t theCapacity : {128u, 3u}) {
        std::vector<int32_t> theValues(theCapacity);
        for (uint32_t theTime : theTimes) {
          bool theConstant = false;
          EvaluateEventParams(theTime, theEvent, theValues.data(), theCapacity, theConstant);
        }
      }
    }
  }
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  return 0;
}
