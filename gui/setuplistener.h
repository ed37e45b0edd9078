// The setup window's controls and the viewer's current choices.
#pragma once

#include "guiwidget.h"
#include "setupmemory.h"

class SetupListener : public GUIListener {
 public:
  // Control identifiers as the listener receives them.
  enum {
    kLabelId = 1,
    kPanelId = 2,
    kAspectId = 3,
    kResolutionId = 4,
    kFullScreenId = 5,
    kGammaId = 6,
    kVolumeId = 7,
    kCancelId = 8,
    kStartId = 9
  };

  // inVolume is clamped to the slider's range 0..255. The choices
  // inRemembered holds are selected from the start, in place of the window's
  // defaults and of inGamma and inVolume; entries it names that do not exist
  // give the defaults.
  SetupListener(float inGamma, int inVolume, const SetupMemory& inRemembered = SetupMemory());

  void Build(GUIContainer* inContainer) override;
  void OnEvent(GUIWidget* inWidget, int inIdentifier, void* inUserData) override;

  bool CancelPressed() const { return mCancel; }
  bool StartPressed() const { return mStart; }
  int GetWidth() const { return mWidth; }    // pixels
  int GetHeight() const { return mHeight; }  // pixels
  bool IsFullScreen() const { return mFullScreen; }
  float GetGamma() const { return mGamma; }
  // The gamma comes from an entry: picked now, or remembered.
  bool GammaChosen() const { return mGammaChosen; }
  bool GammaPicked() const { return mGammaPicked; }  // the viewer picked a gamma entry in this run
  int GetVolume() const { return mVolume; }          // 0..255
  bool VolumeMoved() const { return mVolumeMoved; }  // the viewer moved the slider in this run
  float GetAspect() const { return mAspect; }        // width / height of the screen
  // Every choice as entries, to be remembered.
  SetupMemory GetChoices() const;

 private:
  void AddResolutionBox(GUIContainer* inContainer);
  void TakeResolution();

  bool mCancel;
  bool mStart;
  int mWidth;
  int mHeight;
  bool mFullScreen;
  float mGamma;
  int mVolume;
  float mAspect;
  int mAspectIndex;      // 0 "5/4", 1 "4/3", 2 "16/9", 3 "16/10"
  int mResolutionIndex;  // in the aspect's list
  int mGammaIndex;       // the entry the gamma box shows
  bool mGammaChosen;
  bool mGammaPicked;
  bool mVolumeMoved;
};
