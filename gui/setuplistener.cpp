#include "setuplistener.h"

#include "datalines.h"
#include "guibutton.h"
#include "guicheckbox.h"
#include "guicombobox.h"
#include "guicontainer.h"
#include "guilabel.h"
#include "guipanel.h"
#include "guisdlhandler.h"
#include "guislider.h"
#include "setupchoices.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBoxColour = 0xFF505050;

int ClampVolume(int inVolume) { return inVolume < 0 ? 0 : (inVolume > 255 ? 255 : inVolume); }

bool IsAspectEntry(int inIndex) { return inIndex >= 0 && inIndex < kSetupAspectCount; }

}  // namespace

SetupListener::SetupListener(float inGamma, int inVolume, const SetupMemory& inRemembered)
    : mCancel(false),
      mStart(false),
      mWidth(0),
      mHeight(0),
      mFullScreen(inRemembered.fullScreen.value_or(true)),
      mGamma(inGamma),
      mVolume(ClampVolume(inRemembered.volume.value_or(inVolume))),  // what the slider can show
      mAspect(0.0f),
      mAspectIndex(kSetupDefaultAspect),
      mResolutionIndex(0),
      mGammaIndex(kSetupDefaultGamma),
      mGammaChosen(false),
      mGammaPicked(false),
      mVolumeMoved(false) {
  if (inRemembered.aspect && IsAspectEntry(*inRemembered.aspect)) mAspectIndex = *inRemembered.aspect;
  const SetupAspect& theAspect = SetupAspectAt(mAspectIndex);
  mAspect = theAspect.aspect;
  mResolutionIndex = theAspect.defaultIndex;
  if (inRemembered.resolution && *inRemembered.resolution >= 0 && *inRemembered.resolution < theAspect.count)
    mResolutionIndex = *inRemembered.resolution;
  TakeResolution();
  if (inRemembered.gamma && *inRemembered.gamma >= 0 && *inRemembered.gamma < kSetupGammaCount) {
    mGammaIndex = *inRemembered.gamma;
    mGamma = SetupGammaValue(mGammaIndex);
    mGammaChosen = true;
  }
}

void SetupListener::TakeResolution() {
  const SetupResolution& theResolution = SetupAspectAt(mAspectIndex).resolutions[mResolutionIndex];
  mWidth = theResolution.width;
  mHeight = theResolution.height;
}

SetupMemory SetupListener::GetChoices() const {
  SetupMemory theChoices;
  theChoices.aspect = mAspectIndex;
  theChoices.resolution = mResolutionIndex;
  theChoices.gamma = mGammaIndex;
  theChoices.fullScreen = mFullScreen;
  theChoices.volume = mVolume;
  return theChoices;
}

void SetupListener::AddResolutionBox(GUIContainer* inContainer) {
  const SetupAspect& theAspect = SetupAspectAt(mAspectIndex);
  DataLines theLines(static_cast<uint32_t>(theAspect.count));
  for (int i = 0; i < theAspect.count; ++i) theLines.Add(Buffer(theAspect.resolutions[i].text));
  inContainer->Add(
      new GUIComboBox(this, 215, 45, 100, 15, kResolutionId, theLines, mResolutionIndex, kBoxColour, kWhite));
}

void SetupListener::Build(GUIContainer* inContainer) {
  inContainer->Add(new GUIPanel(this, 0, 0, 320, 240, kPanelId, 0xFF303030));
  inContainer->Add(new GUILabel(this, 10, 15, kLabelId, Buffer("Select your screens aspect ratio:"), kWhite));
  DataLines theAspects(kSetupAspectCount);
  for (int i = 0; i < kSetupAspectCount; ++i) theAspects.Add(Buffer(SetupAspectAt(i).text));
  inContainer->Add(new GUIComboBox(this, 265, 10, 50, 18, kAspectId, theAspects, mAspectIndex, kBoxColour, kWhite));
  inContainer->Add(new GUILabel(this, 10, 50, kLabelId, Buffer("Select your screens resolution:"), kWhite));
  AddResolutionBox(inContainer);
  inContainer->Add(new GUILabel(this, 10, 85, kLabelId, Buffer("Select your screens gamma:"), kWhite));
  DataLines theGammas(kSetupGammaCount);
  for (int i = 0; i < kSetupGammaCount; ++i) theGammas.Add(Buffer(SetupGammaText(i)));
  inContainer->Add(new GUIComboBox(this, 205, 80, 110, 15, kGammaId, theGammas, mGammaIndex, kBoxColour, kWhite));
  inContainer->Add(new GUILabel(this, 10, 120, kLabelId, Buffer("Show the demo fullscreen:"), kWhite));
  inContainer->Add(new GUICheckBox(this, 297, 115, 17, kFullScreenId, mFullScreen, kBoxColour));
  inContainer->Add(new GUILabel(this, 10, 150, kLabelId, Buffer("Music volume:"), kWhite));
  inContainer->Add(new GUISlider(this, 120, 150, 192, kVolumeId, 0, 255, mVolume, true));
  inContainer->Add(new GUIButton(this, 50, 200, 70, 20, kCancelId, Buffer("Cancel"), 0xFF705050, kWhite, 16));
  inContainer->Add(new GUIButton(this, 150, 200, 100, 20, kStartId, Buffer("Start Demo"), 0xFF507050, kWhite, 16));
}

void SetupListener::OnEvent(GUIWidget* inWidget, int inIdentifier, void*) {
  switch (inIdentifier) {
    case kAspectId: {
      const int theChosen = static_cast<GUIComboBox*>(inWidget)->GetSelected();
      mAspectIndex = theChosen >= 1 && theChosen <= 3 ? theChosen : 0;
      mResolutionIndex = SetupAspectAt(mAspectIndex).defaultIndex;
      // The old box may be the one being handled: it dies after this pass.
      GUISDLHandler::DeferDelete(mContainer->RemoveChild(kResolutionId));
      AddResolutionBox(mContainer);
      TakeResolution();
      mAspect = SetupAspectAt(mAspectIndex).aspect;
      break;
    }
    case kResolutionId: {
      const SetupAspect& theAspect = SetupAspectAt(mAspectIndex);
      mResolutionIndex = static_cast<GUIComboBox*>(inWidget)->GetSelected();
      if (mResolutionIndex < 0 || mResolutionIndex >= theAspect.count) mResolutionIndex = theAspect.defaultIndex;
      TakeResolution();
      break;
    }
    case kFullScreenId:
      mFullScreen = !mFullScreen;
      break;
    case kGammaId: {
      mGammaIndex = static_cast<GUIComboBox*>(inWidget)->GetSelected();
      mGamma = SetupGammaValue(mGammaIndex);  // 1.0 for an index outside the entries
      if (mGammaIndex < 0 || mGammaIndex >= kSetupGammaCount) mGammaIndex = kSetupDefaultGamma;
      mGammaChosen = true;
      mGammaPicked = true;
      break;
    }
    case kVolumeId:
      mVolume = static_cast<GUISlider*>(inWidget)->GetValue();
      mVolumeMoved = true;
      break;
    case kCancelId:
      mCancel = true;
      break;
    case kStartId:
      mStart = true;
      break;
    default:
      break;
  }
}
