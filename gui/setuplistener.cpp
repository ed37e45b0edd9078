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

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBoxColour = 0xFF505050;

struct Resolution {
  const char* text;
  int width;
  int height;
};

struct AspectChoice {
  const char* text;
  float aspect;
  const Resolution* resolutions;
  int count;
  int defaultIndex;
};

const Resolution k54[] = {{"1280 by 1024", 1280, 1024}};
const Resolution k43[] = {{"640 by 480", 640, 480},     {"800 by 600", 800, 600},     {"1024 by 768", 1024, 768},
                          {"1152 by 864", 1152, 864},   {"1280 by 960", 1280, 960},   {"1280 by 1024", 1280, 1024},
                          {"1600 by 1200", 1600, 1200}, {"1920 by 1440", 1920, 1440}};
const Resolution k169[] = {{"1280 by 720", 1280, 720}, {"1600 by 900", 1600, 900}};
const Resolution k1610[] = {
    {"1280 by 800", 1280, 800}, {"1440 by 900", 1440, 900}, {"1680 by 1050", 1680, 1050}, {"1920 by 1200", 1920, 1200}};

const AspectChoice kAspects[] = {{"5/4", 1.25f, k54, 1, 0},
                                 {"4/3", 4.0f / 3.0f, k43, 8, 5},
                                 {"16/9", 16.0f / 9.0f, k169, 2, 0},
                                 {"16/10", 1.6f, k1610, 4, 2}};

const char* const kGammas[] = {"0.9", "1.0 for TFTs", "1.1 for CRTs", "1.2", "1.3 for beamers", "1.4"};

// Any index outside the known entries stands for "5/4".
const AspectChoice& AspectAt(int inIndex) { return kAspects[inIndex >= 1 && inIndex <= 3 ? inIndex : 0]; }

DataLines Lines(const char* const* inTexts, int inCount) {
  DataLines theLines(static_cast<uint32_t>(inCount));
  for (int i = 0; i < inCount; ++i) theLines.Add(Buffer(inTexts[i]));
  return theLines;
}

}  // namespace

SetupListener::SetupListener(float inGamma, int inVolume)
    : mCancel(false),
      mStart(false),
      mWidth(1280),
      mHeight(1024),
      mFullScreen(true),
      mGamma(inGamma),
      mVolume(inVolume < 0 ? 0 : (inVolume > 255 ? 255 : inVolume)),  // what the slider can show
      mAspect(4.0f / 3.0f),
      mAspectIndex(1),
      mGammaChosen(false) {}

void SetupListener::AddResolutionBox(GUIContainer* inContainer) {
  const AspectChoice& theAspect = AspectAt(mAspectIndex);
  DataLines theLines(static_cast<uint32_t>(theAspect.count));
  for (int i = 0; i < theAspect.count; ++i) theLines.Add(Buffer(theAspect.resolutions[i].text));
  inContainer->Add(new GUIComboBox(this, 215, 45, 100, 15, kResolutionId, theLines, theAspect.defaultIndex,
                                   kBoxColour, kWhite));
}

void SetupListener::Build(GUIContainer* inContainer) {
  inContainer->Add(new GUIPanel(this, 0, 0, 320, 240, kPanelId, 0xFF303030));
  inContainer->Add(new GUILabel(this, 10, 15, kLabelId, Buffer("Select your screens aspect ratio:"), kWhite));
  const char* const theAspectTexts[] = {kAspects[0].text, kAspects[1].text, kAspects[2].text, kAspects[3].text};
  inContainer->Add(
      new GUIComboBox(this, 265, 10, 50, 18, kAspectId, Lines(theAspectTexts, 4), mAspectIndex, kBoxColour, kWhite));
  inContainer->Add(new GUILabel(this, 10, 50, kLabelId, Buffer("Select your screens resolution:"), kWhite));
  AddResolutionBox(inContainer);
  inContainer->Add(new GUILabel(this, 10, 85, kLabelId, Buffer("Select your screens gamma:"), kWhite));
  inContainer->Add(new GUIComboBox(this, 205, 80, 110, 15, kGammaId, Lines(kGammas, 6), 1, kBoxColour, kWhite));
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
      // The old box may be the one being handled: it dies after this pass.
      GUISDLHandler::DeferDelete(mContainer->RemoveChild(kResolutionId));
      AddResolutionBox(mContainer);
      const AspectChoice& theAspect = AspectAt(mAspectIndex);
      mWidth = theAspect.resolutions[theAspect.defaultIndex].width;
      mHeight = theAspect.resolutions[theAspect.defaultIndex].height;
      mAspect = theAspect.aspect;
      break;
    }
    case kResolutionId: {
      const AspectChoice& theAspect = AspectAt(mAspectIndex);
      int theIndex = static_cast<GUIComboBox*>(inWidget)->GetSelected();
      if (theIndex < 0 || theIndex >= theAspect.count) theIndex = theAspect.defaultIndex;
      mWidth = theAspect.resolutions[theIndex].width;
      mHeight = theAspect.resolutions[theIndex].height;
      break;
    }
    case kFullScreenId:
      mFullScreen = !mFullScreen;
      break;
    case kGammaId: {
      static const float kValues[] = {0.9f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f};
      const int theIndex = static_cast<GUIComboBox*>(inWidget)->GetSelected();
      mGamma = theIndex >= 0 && theIndex <= 5 ? kValues[theIndex] : 1.0f;
      mGammaChosen = true;
      break;
    }
    case kVolumeId:
      mVolume = static_cast<GUISlider*>(inWidget)->GetValue();
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
