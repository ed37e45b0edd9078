// swarm.so: the producer of particle swarms (kind SWRM) and the effect
// Swarm that makes one from its parameters.
//
// A swarm lives from its Swarm event's first call to its last. Its record
// (SwarmRecord) never moves. A swarm whose motion speed is 0 answers static:
// consumers then keep the record they got first and read its colours every
// frame. Consumers may outlive the Swarm event, so an ended swarm's record
// and arrays are kept (no longer findable by name) until Zorbit_Quit.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "swarmshape.h"
#include <zorbit/zorbit.h>
#include <zorbit/zorbitplugin.h>

namespace {

zorbit::Host gHost;  // the host's slots, copied in Zorbit_Init
constexpr int32_t kMaxParticles = 65536;

struct SwarmEntry {
  std::string mName;
  SwarmRecord mRecord;
  std::vector<float> mPositions;
  std::vector<uint8_t> mColours;
  int32_t mShape;
  int32_t mSpeed;  // 1/1000 turn per second; 0: static
};

std::map<std::string, SwarmEntry*> gSwarms;  // findable by name
zorbit::EventStates<SwarmEntry> gLive;        // owned by their events' slots
std::vector<SwarmEntry*> gRetired;            // ended, kept for late readers

void* ProduceSwarm(const char* inName, void*, bool& outIsStatic) {
  if (inName == nullptr) return nullptr;
  auto theFound = gSwarms.find(inName);
  if (theFound == gSwarms.end()) return nullptr;
  outIsStatic = theFound->second->mSpeed == 0;
  return &theFound->second->mRecord;
}

bool ReleaseSwarm(const char* inName, void*) {
  // Consumers release after every use and once more at their end; the swarm
  // belongs to its Swarm event, so a release only says whether it is ours.
  return inName != nullptr && gSwarms.count(inName) != 0;
}

uint32_t PackColour(int32_t inAlpha, int32_t inRed, int32_t inGreen, int32_t inBlue) {
  return (uint32_t(inAlpha & 0xFF) << 24) | (uint32_t(inRed & 0xFF) << 16) | (uint32_t(inGreen & 0xFF) << 8) |
         uint32_t(inBlue & 0xFF);
}

// Writes positions and colours for the parameters and the time of this call.
void Update(SwarmEntry& ioSwarm, const int32_t* p, int32_t inElapsedMs) {
  ioSwarm.mSpeed = p[4];
  const double theTurns = double(p[4]) / 1000.0 * double(inElapsedMs) / 1000.0;
  const double theTurn = (theTurns - std::floor(theTurns)) * 6.283185307179586;
  PlaceParticles(ioSwarm.mShape, ioSwarm.mRecord.particleCount, float(p[3] / 1000.0), theTurn, p[14],
                 ioSwarm.mPositions.data());
  const uint32_t theFirst = PackColour(p[6], p[7], p[8], p[9]);
  SwarmRecord& theRecord = ioSwarm.mRecord;
  theRecord.alpha = uint8_t(theFirst >> 24);
  theRecord.red = uint8_t(theFirst >> 16);
  theRecord.green = uint8_t(theFirst >> 8);
  theRecord.blue = uint8_t(theFirst);
  if (p[5] == 1) {
    ioSwarm.mColours.resize(ioSwarm.mPositions.size() / 3 * 4);
    GradeColours(theRecord.particleCount, theFirst, PackColour(p[10], p[11], p[12], p[13]), ioSwarm.mColours.data());
    theRecord.colours = ioSwarm.mColours.data();
  } else {
    theRecord.colours = nullptr;
  }
}

void EndSwarm(SwarmEntry* inSwarm) {
  auto theFound = gSwarms.find(inSwarm->mName);
  if (theFound != gSwarms.end() && theFound->second == inSwarm) gSwarms.erase(theFound);
  gLive.Forget(inSwarm);
  gRetired.push_back(inSwarm);
}

bool RunSwarm(FrameInfo* inInfo, void** ioSlot, const int32_t* p) {
  if (inInfo->phase == PHASE_DESTROY) {
    if (SwarmEntry* theSwarm = gLive.Of(ioSlot)) EndSwarm(theSwarm);
    *ioSlot = nullptr;
    return true;
  }
  inInfo->status = STATUS_UNCHANGED;
  if (inInfo->phase == PHASE_MAKE) {
    inInfo->status = STATUS_BUILT;
    if (*ioSlot != nullptr) return true;
    const char* theName = gHost.Text(p[0]);
    if (theName == nullptr) {
      gHost.Warn("Swarm: no name for the swarm nr %d\n", p[0]);
      inInfo->status = STATUS_FAILED;
      return true;
    }
    if (gSwarms.count(theName) != 0) {
      gHost.Warn("Swarm: swarm %s already exists\n", theName);
      inInfo->status = STATUS_FAILED;
      return true;
    }
    SwarmEntry* theSwarm = gLive.Make(ioSlot);
    theSwarm->mName = theName;
    // Count and shape are fixed for the event: a consumer keeps geometry
    // built from the first record it saw.
    const int32_t theCount = p[1] < 0 ? 0 : (p[1] > kMaxParticles ? kMaxParticles : p[1]);
    if (p[1] > kMaxParticles) gHost.Warn("Swarm: swarm %s limited to %d particles\n", theName, int(kMaxParticles));
    theSwarm->mShape = p[2];
    if (p[2] < 0 || p[2] >= SWARM_SHAPE_COUNT) {
      gHost.Warn("Swarm: unknown shape %d for swarm %s, made a ring\n", p[2], theName);
      theSwarm->mShape = SWARM_RING;
    }
    theSwarm->mPositions.assign(size_t(theCount > 0 ? theCount : 1) * 3, 0.0f);
    theSwarm->mRecord = SwarmRecord{};
    theSwarm->mRecord.particleCount = theCount;
    theSwarm->mRecord.positions = theSwarm->mPositions.data();
    Update(*theSwarm, p, 0);
    gSwarms[theSwarm->mName] = theSwarm;
    return true;
  }
  if (SwarmEntry* theSwarm = gLive.Of(ioSlot)) Update(*theSwarm, p, inInfo->elapsed);
  return true;
}

}  // namespace

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface**, SDL_Surface**, void** inHostTable) {
  if (inHostTable == nullptr) return false;
  gHost.Attach(inHostTable);
  if (!gHost.Register(KIND_SWRM, &ProduceSwarm, &ReleaseSwarm)) return false;
  return true;
}

ZORBIT_EXPORT bool Zorbit_Quit() {
  gLive.DestroyAll([](SwarmEntry* inSwarm) {
    gLive.Forget(inSwarm);
    delete inSwarm;
  });
  for (SwarmEntry* theSwarm : gRetired) delete theSwarm;
  gRetired.clear();
  gSwarms.clear();
  return true;
}

ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t) { return true; }

ZORBIT_EXPORT bool Swarm(FrameInfo* inInfo, void** ioSlot, int32_t p0, int32_t p1, int32_t p2, int32_t p3, int32_t p4,
                         int32_t p5, int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10, int32_t p11,
                         int32_t p12, int32_t p13, int32_t p14) {
  const int32_t theParams[15] = {p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14};
  return RunSwarm(inInfo, ioSlot, theParams);
}
