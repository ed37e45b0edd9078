#include "beat.h"

#include <cstdarg>
#include <cstdio>

#include "buffer.h"
#include <zorbit/zorbitplugin.h>

namespace {

// Names keep their 32-byte storage from library load to unload; Zorbit_Quit
// only forgets the beats.
struct BeatName {
  Buffer mText{32u};
};

BeatName gNames[kMaxBeats];
BeatRecord gBeats[kMaxBeats];
// gOwners[i] identifies the MakeBeat event that made beat i (never 0).
uint64_t gOwners[kMaxBeats];
int32_t gBeatCount = 0;
uint64_t gLastOwner = 0;

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init

// First slot whose name equals inName (same length, same bytes), or -1.
int32_t FindBeat(const Buffer& inName) {
  for (int32_t i = 0; i < gBeatCount; ++i)
    if (gNames[i].mText == inName) return i;
  return -1;
}

// Fills slot gBeatCount from the event's parameters; the caller checked room and name.
void FillBeat(int32_t inSlot, const Buffer& inName, const FrameInfo& inInfo, const int32_t* inParams) {
  BeatRecord& theBeat = gBeats[inSlot];
  theBeat = BeatRecord{};
  gNames[inSlot].mText = inName;
  theBeat.startTime = inInfo.startTime;
  theBeat.duration = inInfo.duration;
  theBeat.smooth = inParams[1] != 0 ? 1 : 0;
  theBeat.levels[0] = 0.0;
  for (int k = 0; k < kBeatSegments; ++k) {
    theBeat.intervals[k] = inParams[2 + 2 * k] * 0.1;
    theBeat.levels[k + 1] = inParams[3 + 2 * k] * 0.001;
  }
  theBeat.count = kBeatSegments;
  for (int k = 0; k < kBeatSegments; ++k) {
    if (theBeat.intervals[k] < 0.0) {
      theBeat.count = k;
      break;
    }
  }
}

// A reader walks the pattern in whole milliseconds and drops the fraction at
// every step, so a pattern whose segments are all shorter than 1 ms never
// advances and would hold the reader forever.
bool PatternAdvances(const BeatRecord& inBeat) {
  if (inBeat.count == 0) return true;
  for (int32_t k = 0; k < inBeat.count; ++k)
    if (inBeat.intervals[k] >= 1.0) return true;
  return false;
}

// Removes slot inSlot by moving the last beat in use into it; order is not kept.
void RemoveBeat(int32_t inSlot) {
  const int32_t theLast = gBeatCount - 1;
  if (inSlot != theLast) {
    gNames[inSlot].mText = gNames[theLast].mText;
    gBeats[inSlot] = gBeats[theLast];
    gOwners[inSlot] = gOwners[theLast];
  }
  gOwners[theLast] = 0;
  gBeatCount = theLast;
}

// Removes the beat that the event of ioSlot made, if it made one.
void RemoveOwnBeat(void** ioSlot) {
  const uint64_t theOwner = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(*ioSlot));
  *ioSlot = nullptr;
  if (theOwner == 0) return;
  for (int32_t i = 0; i < gBeatCount; ++i) {
    if (gOwners[i] == theOwner) {
      RemoveBeat(i);
      return;
    }
  }
}

bool MakeBeatWithParams(FrameInfo* inInfo, void** ioSlot, const int32_t* inParams) {
  inInfo->status = STATUS_UNCHANGED;
  const char* theText = gHost.Text(inParams[0]);
  if (!theText) {
    gHost.Warn("MakeBeat: Couldn't get the name for the beat nr %d\n", inParams[0]);
    inInfo->status = STATUS_FAILED;
    // The name parameter may be animated: a beat made under a name that has
    // gone by the end must still end with its event.
    if (inInfo->phase == PHASE_DESTROY) RemoveOwnBeat(ioSlot);
    return false;
  }
  const Buffer theName(theText);

  if (inInfo->phase == PHASE_MAKE) {
    if (FindBeat(theName) >= 0) {
      gHost.Warn("MakeBeat: beat %s already exists\n", theText);
      inInfo->status = STATUS_FAILED;
      return false;
    }
    if (gBeatCount >= kMaxBeats) {
      gHost.Warn("MakeBeat: beat %s not made, all %d beats are in use\n", theText, int(kMaxBeats));
      inInfo->status = STATUS_FAILED;
      return false;
    }
    FillBeat(gBeatCount, theName, *inInfo, inParams);
    if (!PatternAdvances(gBeats[gBeatCount])) {
      gHost.Warn("MakeBeat: beat %s not made, its segments are all shorter than 1 ms\n", theText);
      inInfo->status = STATUS_FAILED;
      return false;
    }
    gOwners[gBeatCount] = ++gLastOwner;
    // The token only identifies the beat; the slot holds no allocation.
    *ioSlot = reinterpret_cast<void*>(static_cast<uintptr_t>(gLastOwner));
    ++gBeatCount;
    return true;
  }

  if (inInfo->phase == PHASE_DESTROY) {
    RemoveOwnBeat(ioSlot);
    return true;
  }

  return true;
}

}  // namespace

bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  if (!inHostTable || !inHostTable[HOST_REGISTER_KIND]) return false;
  gHost.Attach(inHostTable);
  gHost.Register(KIND_BEAT, ProduceBeat, ReleaseBeat);
  gBeatCount = 0;
  return true;
}

bool Zorbit_Quit() {
  for (int32_t i = 0; i < gBeatCount; ++i) gOwners[i] = 0;
  gBeatCount = 0;
  return true;
}

bool Zorbit_BeginNewFrame(int32_t) { return true; }

void* ProduceBeat(const char* inName, void*, bool& outIsStatic) {
  outIsStatic = true;
  if (!inName) return nullptr;
  const int32_t theSlot = FindBeat(Buffer(inName));
  return theSlot >= 0 ? &gBeats[theSlot] : nullptr;
}

bool ReleaseBeat(const char* inName, void*) {
  return inName && FindBeat(Buffer(inName)) >= 0;
}

bool MakeBeat(FrameInfo* inInfo, void** ioSlot,
              int32_t inP0, int32_t inP1, int32_t inP2, int32_t inP3, int32_t inP4,
              int32_t inP5, int32_t inP6, int32_t inP7, int32_t inP8, int32_t inP9,
              int32_t inP10, int32_t inP11, int32_t inP12, int32_t inP13, int32_t inP14,
              int32_t inP15, int32_t inP16, int32_t inP17, int32_t inP18, int32_t inP19,
              int32_t inP20, int32_t inP21, int32_t inP22, int32_t inP23, int32_t inP24,
              int32_t inP25, int32_t inP26, int32_t inP27, int32_t inP28, int32_t inP29,
              int32_t inP30, int32_t inP31, int32_t inP32, int32_t inP33, int32_t inP34,
              int32_t inP35, int32_t inP36, int32_t inP37, int32_t inP38, int32_t inP39) {
  const int32_t theParams[ZORBIT_MAX_PARAMS] = {
      inP0,  inP1,  inP2,  inP3,  inP4,  inP5,  inP6,  inP7,  inP8,  inP9,
      inP10, inP11, inP12, inP13, inP14, inP15, inP16, inP17, inP18, inP19,
      inP20, inP21, inP22, inP23, inP24, inP25, inP26, inP27, inP28, inP29,
      inP30, inP31, inP32, inP33, inP34, inP35, inP36, inP37, inP38, inP39};
  return MakeBeatWithParams(inInfo, ioSlot, theParams);
}
