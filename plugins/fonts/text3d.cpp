#include "text3d.h"


#include <zorbit/lattice/axisnode3d.h>
#include "font3d.h"
#include "fontshost.h"
#include "heldfont.h"
#include <zorbit/lattice/lattice_math.h>
#include <zorbit/lattice/nodeplacement.h>
#include "showingroup.h"
#include <zorbit/zorbitplugin.h>

namespace {

struct Text3DState {
  uint32_t colour;      // 0x00RRGGBB last applied to the node
  HeldFont font;        // from parameters 1 and 2 of the first call
  Font3D* node;         // null without a font
  AxisNode3D* axis;
};

// Events still running when the player stops get no PHASE_DESTROY call:
// Zorbit_Quit ends them (EndAllText3D).
zorbit::EventStates<Text3DState> gLiveStates;

void EndEvent(Text3DState* inState) {
  inState->font.Release();
  delete inState->node;
  delete inState->axis;
  gLiveStates.Forget(inState);
  delete inState;
}

}  // namespace

void EndAllText3D() {
  gLiveStates.DestroyAll(&EndEvent);
}

bool Text3D(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inFontName, int32_t inFontSize, int32_t inX,
            int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz, int32_t inQw, int32_t inRed,
            int32_t inGreen, int32_t inBlue, int32_t inOpacity, int32_t inBlendSrc, int32_t inBlendDst,
            int32_t inScale, int32_t inGroup, int32_t inShowAxis) {
  ioInfo->status = STATUS_UNCHANGED;
  Text3DState* theState = static_cast<Text3DState*>(*ioSlot);

  if (ioInfo->phase == PHASE_MAKE) {
    if (theState) return true;  // already made: the slot is the event's
    ioInfo->status = STATUS_BUILT;
    theState = gLiveStates.Make(ioSlot);
    theState->font.Obtain(inFontName, inFontSize, "Text3D");
    const char* theText = gHost.Text(inText);
    if (theState->font.mFont) theState->node = new Font3D(*theState->font.mFont, theText, inRed, inGreen, inBlue);
    theState->colour = uint32_t(inRed) * 65536u + uint32_t(inGreen) * 256u + uint32_t(inBlue);
    theState->axis = new AxisNode3D(0xFF8080FFul, 0xFF80FF80ul, 0xFFFF8080ul);
    return true;
  }

  if (!theState) return true;

  if (ioInfo->phase == PHASE_DESTROY) {
    EndEvent(theState);
    *ioSlot = nullptr;
    return true;
  }

  Font3D* theNode = theState->node;
  if (!theNode) return true;
  const uint32_t theColour = uint32_t(inRed) * 65536u + uint32_t(inGreen) * 256u + uint32_t(inBlue);
  if (theColour != theState->colour) {
    theState->colour = theColour;
    theNode->SetColour(theColour);
  }
  theNode->SetBlendSrc(inBlendSrc);
  theNode->SetBlendDst(inBlendDst);
  theNode->SetOpacity(inOpacity);
  PlaceNode(*theNode, inX, inY, inZ, inQx, inQy, inQz, inQw, inScale);
  ShowInGroup(inGroup, "Text3D", theNode, inShowAxis ? theState->axis : nullptr);
  return true;
}
