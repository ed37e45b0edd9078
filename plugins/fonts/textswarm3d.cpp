#include "textswarm3d.h"


#include <zorbit/lattice/axisnode3d.h>
#include "fontshost.h"
#include "heldfont.h"
#include <zorbit/lattice/nodeplacement.h>
#include "showingroup.h"
#include "swarmtext3d.h"
#include <zorbit/zorbitplugin.h>

namespace {

struct TextSwarm3DState {
  HeldFont font;         // from parameters 2 and 3 of the first call
  bool swarmStatic;      // true: the swarm never moves, its record stays put
  SwarmRecord* swarm;    // the last record looked up (the first call's while the swarm is static)
  SwarmText3D* node;
  AxisNode3D* axis;
  int32_t swarmName;  // parameter 1 of the first call
};

// Events still running when the player stops get no PHASE_DESTROY call:
// Zorbit_Quit ends them (EndAllTextSwarm3D).
zorbit::EventStates<TextSwarm3DState> gLiveStates;

void EndEvent(TextSwarm3DState* inState) {
  inState->font.Release();
  gHost.Release(KIND_SWRM, inState->swarmName, nullptr);
  delete inState->node;
  delete inState->axis;
  gLiveStates.Forget(inState);
  delete inState;
}

SwarmText3D* BuildNode(const ResourceFont& inFont, const SwarmRecord& inSwarm, int32_t inText) {
  return new SwarmText3D(inFont, gHost.Text(inText), inSwarm.particleCount, inSwarm.positions, inSwarm.colours,
                         inSwarm.red, inSwarm.green, inSwarm.blue, inSwarm.alpha);
}

}  // namespace

void EndAllTextSwarm3D() {
  gLiveStates.DestroyAll(&EndEvent);
}

bool TextSwarm3D(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inSwarm, int32_t inFontName,
                 int32_t inFontSize, int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy,
                 int32_t inQz, int32_t inQw, int32_t inOpacity, int32_t inBlendSrc, int32_t inBlendDst,
                 int32_t inScale, int32_t inGroup, int32_t inShowAxis) {
  ioInfo->status = STATUS_UNCHANGED;
  TextSwarm3DState* theState = static_cast<TextSwarm3DState*>(*ioSlot);

  if (ioInfo->phase == PHASE_MAKE) {
    if (theState) return true;  // already made: the slot is the event's
    ioInfo->status = STATUS_BUILT;
    theState = gLiveStates.Make(ioSlot);
    theState->swarmName = inSwarm;
    theState->font.Obtain(inFontName, inFontSize, "TextSwarm3D");
    theState->swarm = static_cast<SwarmRecord*>(
        gHost.Use(KIND_SWRM, inSwarm, nullptr, false, "TextSwarm3D", "swarm", &theState->swarmStatic));
    if (theState->font.mFont && theState->swarm)
      theState->node = BuildNode(*theState->font.mFont, *theState->swarm, inText);
    theState->axis = new AxisNode3D(0xFF8080FFul, 0xFF80FF80ul, 0xFFFF8080ul);
    return true;
  }

  if (!theState) return true;

  if (ioInfo->phase == PHASE_DESTROY) {
    EndEvent(theState);
    *ioSlot = nullptr;
    return true;
  }

  if (!theState->font.mFont || !theState->swarm) return true;
  if (theState->swarmStatic) {
    const SwarmRecord& theSwarm = *theState->swarm;
    if (theState->node) {
      theState->node->UpdateColours(theSwarm.colours, theSwarm.red, theSwarm.green, theSwarm.blue, theSwarm.alpha);
    }
  } else {
    ioInfo->status = STATUS_BUILT;
    SwarmRecord* theFresh = static_cast<SwarmRecord*>(
        gHost.Use(KIND_SWRM, inSwarm, nullptr, false, "TextSwarm3D", "swarm", &theState->swarmStatic));
    gHost.Release(KIND_SWRM, inSwarm, nullptr);
    delete theState->node;
    theState->node = nullptr;
    if (!theFresh) return true;
    // A moving swarm may move its record; a swarm that turns static
    // promises only the record of this lookup.
    theState->swarm = theFresh;
    theState->node = BuildNode(*theState->font.mFont, *theFresh, inText);
  }
  SwarmText3D* theNode = theState->node;
  if (!theNode) return true;
  theNode->SetBlendSrc(inBlendSrc);
  theNode->SetBlendDst(inBlendDst);
  theNode->SetOpacity(inOpacity);
  PlaceNode(*theNode, inX, inY, inZ, inQx, inQy, inQz, inQw, inScale);
  ShowInGroup(inGroup, "TextSwarm3D", theNode, inShowAxis ? theState->axis : nullptr);
  return true;
}
