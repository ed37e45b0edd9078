#include "textballoon.h"

#include <algorithm>
#include <cstring>

#include <zorbit/lattice/axisnode3d.h>
#include <zorbit/lattice/bezier.h>
#include "buffer.h"
#include <zorbit/lattice/flatoval3d.h>
#include "font3d.h"
#include <zorbit/lattice/lattice_math.h>
#include "balloonshost.h"
#include <zorbit/zorbitplugin.h>

namespace {

enum { OVAL_PAIRS = 5 };

struct TextBalloonState {
  int32_t text;            // parameter 0 of the last build
  int32_t count;           // parameter 1 of the last build (0 or more)
  int32_t fontName;        // the held font was obtained with this name number ...
  int32_t fontSize;        // ... and this size; its address was the lookup's user data
  uint32_t colourA;        // text and outline colour last applied, 0xAARRGGBB
  uint32_t colourB;        // fill colour last applied
  bool isStatic;           // filled in by the font lookup, not used
  ResourceFont* font;      // the held font, or null
  Font3D* textNode;        // null without text
  FlatOval3D* outline[OVAL_PAIRS];  // null without outlines
  FlatOval3D* fill[OVAL_PAIRS];     // pair 0 is the balloon, 1 to 4 the trail
  AxisNode3D* axis;
  bool built;              // false until the first successful build
  bool colourAApplied;     // false: colour A must be applied to the nodes
  bool colourBApplied;
};

uint32_t Colour(int32_t inAlpha, int32_t inRed, int32_t inGreen, int32_t inBlue) {
  return (uint32_t(inAlpha & 0xFF) << 24) | (uint32_t(inRed & 0xFF) << 16) | (uint32_t(inGreen & 0xFF) << 8) |
         uint32_t(inBlue & 0xFF);
}

// Font3D folds its opacity into the alpha of its colour: give it colour A's
// red, green and blue as colour and colour A's alpha as opacity, so the text
// shows exactly colour A.
void ColourText(Font3D& ioText, uint32_t inColour) {
  ioText.SetColour(inColour & 0x00FFFFFFu);
  ioText.SetOpacity(long(inColour >> 24));
}

void DeleteNodes(TextBalloonState& ioState) {
  delete ioState.textNode;
  ioState.textNode = nullptr;
  for (int i = 0; i < OVAL_PAIRS; ++i) {
    delete ioState.outline[i];
    delete ioState.fill[i];
    ioState.outline[i] = nullptr;
    ioState.fill[i] = nullptr;
  }
}

// Step 1 of a run: a new font if needed, the text measured, the ovals and
// the text node built anew. False when the font cannot be had.
bool Rebuild(TextBalloonState& ioState, int32_t inText, int32_t inCount, int32_t inFontName, int32_t inFontSize,
             bool inOutlines, int32_t inRed, int32_t inGreen, int32_t inBlue, uint32_t inColourA,
             uint32_t inColourB) {
  if (!ioState.font || inFontName != ioState.fontName || inFontSize != ioState.fontSize) {
    if (ioState.font) {
      gHost.Release(KIND_FONT, ioState.fontName, &ioState.fontSize);
      ioState.font = nullptr;
    }
    ioState.fontName = inFontName;
    ioState.fontSize = inFontSize;
    ioState.font = static_cast<ResourceFont*>(gHost.Use(KIND_FONT, inFontName, &ioState.fontSize, false,
                                                            "TextBalloon", "font", &ioState.isStatic));
    if (!ioState.font) return false;
  }

  const char* theText = gHost.Text(inText);
  const int32_t theWidth = GetStringPixels(*ioState.font, theText, 0, inCount);
  const float theWidthControl[4] = {float(theWidth) * 0.5555556f + 15.0f, 10.0f, 10.0f, 10.0f};
  const float theHeightControl[4] = {float(inFontSize) * 0.4761905f + 15.0f, 7.0f, 7.0f, 7.0f};
  float theWidths[OVAL_PAIRS];
  float theHeights[OVAL_PAIRS];
  Get_Bezier(theWidthControl, 4, OVAL_PAIRS, theWidths);
  Get_Bezier(theHeightControl, 4, OVAL_PAIRS, theHeights);

  DeleteNodes(ioState);
  for (int i = 0; i < OVAL_PAIRS; ++i) {
    if (inOutlines) {
      ioState.outline[i] = new FlatOval3D(int(theWidths[i] + 3.0f), int(theHeights[i] + 3.0f), 15, 0.8f, inColourA);
    }
    ioState.fill[i] = new FlatOval3D(int(theWidths[i]), int(theHeights[i]), 15, 0.8f, inColourB);
  }
  if (inCount > 0) {
    const uint32_t theLength = theText ? uint32_t(strlen(theText)) : 0u;
    Buffer theShown(theText ? theText : "", std::min(theLength, uint32_t(inCount)));
    ioState.textNode = new Font3D(*ioState.font, theShown.CStr(), inRed, inGreen, inBlue);
  }
  // The new nodes carry the constructors' colours: colour them again.
  ioState.colourAApplied = false;
  ioState.colourBApplied = false;
  return true;
}

// Events still running when the player stops get no PHASE_DESTROY call:
// Zorbit_Quit ends them (EndAllTextBalloons).
zorbit::EventStates<TextBalloonState> gLiveStates;

void EndEvent(TextBalloonState* inState) {
  if (inState->font) gHost.Release(KIND_FONT, inState->fontName, &inState->fontSize);
  DeleteNodes(*inState);
  delete inState->axis;
  gLiveStates.Forget(inState);
  delete inState;
}

}  // namespace

void EndAllTextBalloons() {
  gLiveStates.DestroyAll(&EndEvent);
}

bool TextBalloon(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inCount, int32_t inFontName,
                 int32_t inFontSize, int32_t inTailX, int32_t inTailY, int32_t inOutlines, int32_t inTextRed,
                 int32_t inTextGreen, int32_t inTextBlue, int32_t inFillRed, int32_t inFillGreen,
                 int32_t inFillBlue, int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy,
                 int32_t inQz, int32_t inQw, int32_t inAlpha, int32_t inBlendSrc, int32_t inBlendDst,
                 int32_t inScale, int32_t inGroup, int32_t inShowAxis) {
  ioInfo->status = STATUS_UNCHANGED;
  TextBalloonState* theState = static_cast<TextBalloonState*>(*ioSlot);

  if (ioInfo->phase == PHASE_MAKE) {
    if (theState) return true;  // already made: the slot is the event's
    ioInfo->status = STATUS_BUILT;
    theState = gLiveStates.Make(ioSlot);
    theState->axis = new AxisNode3D(0xFF8080FFul, 0xFF80FF80ul, 0xFFFF8080ul);
    return true;
  }
  if (!theState) return true;

  if (ioInfo->phase == PHASE_DESTROY) {
    EndEvent(theState);
    *ioSlot = nullptr;
    return true;
  }

  const int32_t theCount = std::max(inCount, 0);
  const int32_t theSize = std::max(inFontSize, 5);
  const bool theOutlines = inOutlines != 0;
  const uint32_t theColourA = Colour(inAlpha, inTextRed, inTextGreen, inTextBlue);
  const uint32_t theColourB = Colour(inAlpha, inFillRed, inFillGreen, inFillBlue);

  if (!theState->built || inText != theState->text || theCount != theState->count ||
      inFontName != theState->fontName || theSize != theState->fontSize) {
    ioInfo->status = STATUS_BUILT;
    if (!Rebuild(*theState, inText, theCount, inFontName, theSize, theOutlines, inTextRed, inTextGreen,
                 inTextBlue, theColourA, theColourB)) {
      ioInfo->status = STATUS_FAILED;
      return true;
    }
    theState->text = inText;
    theState->count = theCount;
    theState->built = true;
  }

  if (!theState->colourAApplied || theColourA != theState->colourA) {
    if (theState->textNode) ColourText(*theState->textNode, theColourA);
    for (int i = 0; i < OVAL_PAIRS; ++i) {
      if (theOutlines && theState->outline[i]) theState->outline[i]->SetColour(theColourA);
    }
    theState->colourA = theColourA;
    theState->colourAApplied = true;
  }
  if (!theState->colourBApplied || theColourB != theState->colourB) {
    for (int i = 0; i < OVAL_PAIRS; ++i) {
      if (theState->fill[i]) theState->fill[i]->SetColour(theColourB);
    }
    theState->colourB = theColourB;
    theState->colourBApplied = true;
  }

  float thePosition[3] = {float(inX * 0.001), float(inY * 0.001), float(inZ * 0.001)};
  float theQuat[4] = {float(inQx * 0.00001), float(inQy * 0.00001), float(inQz * 0.00001), float(inQw * 0.00001)};
  unit_quat_self(theQuat);
  float theMatrix[9];
  quat_to_mat3(theQuat, theMatrix);
  const float theScale = float(inScale * 0.00001);
  float theScaling[9];
  make_scale_mat(theScaling, theScale, theScale, theScale);
  mul_mat_mat_self(theScaling, theMatrix);

  const float theTailX[4] = {0.0f, float(inTailX * 0.5), float(inTailX * 0.9), float(inTailX)};
  const float theTailY[4] = {0.0f, float(inTailY * 0.5), float(inTailY * 0.9), float(inTailY)};
  float theOffsetX[OVAL_PAIRS];
  float theOffsetY[OVAL_PAIRS];
  Get_Bezier(theTailX, 4, OVAL_PAIRS, theOffsetX);
  Get_Bezier(theTailY, 4, OVAL_PAIRS, theOffsetY);

  const bool theShowAxis = (inShowAxis & 0xFF) != 0;
  for (int k = 0; k < 2 * OVAL_PAIRS; ++k) {
    const int i = k / 2;
    const bool theIsOutline = k % 2 == 0;
    FlatOval3D* theOval = theIsOutline ? (theOutlines ? theState->outline[i] : nullptr) : theState->fill[i];
    if (!theOval) continue;
    theOval->SetBlendSrc(inBlendSrc);
    theOval->SetBlendDst(inBlendDst);
    copy_vec(thePosition, theOval->mPosition);
    copy_mat(theMatrix, theOval->mMatrix);
    if (theIsOutline) theOval->mPosition[2] -= 1.0f;
    theOval->mPosition[0] += theOffsetX[i];
    theOval->mPosition[1] += theOffsetY[i];
    if (k == 1 && theShowAxis) {
      copy_vec(theOval->mPosition, theState->axis->mPosition);
      copy_mat(theOval->mMatrix, theState->axis->mMatrix);
    }
  }

  thePosition[1] -= float(theSize) * theScale / 3.0f;
  thePosition[2] += 10.0f;
  if (theState->textNode) {
    theState->textNode->SetBlendSrc(770);  // GL_SRC_ALPHA
    theState->textNode->SetBlendDst(771);  // GL_ONE_MINUS_SRC_ALPHA
    copy_vec(thePosition, theState->textNode->mPosition);
    copy_mat(theMatrix, theState->textNode->mMatrix);
  }

  bool theScratch = false;
  Node3D* theGroup = static_cast<Node3D*>(
      gHost.Use(KIND_3DWR, inGroup, nullptr, false, "TextBalloon", "3D group", &theScratch));
  if (!theGroup) return true;
  if (theState->textNode) theGroup->AddChild(theState->textNode);
  for (int i = 0; i < OVAL_PAIRS; ++i) {
    if (theOutlines && theState->outline[i]) theGroup->AddChild(theState->outline[i]);
    if (theState->fill[i]) theGroup->AddChild(theState->fill[i]);
  }
  if (theShowAxis) theGroup->AddChild(theState->axis);
  return true;
}
