// The setup window's controls and the viewer's current choices.
#pragma once

#include "guiwidget.h"

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

  // inVolume is clamped to the slider's range 0..255.
  SetupListener(float inGamma, int inVolume);

  void Build(GUIContainer* inContainer) override;
  void OnEvent(GUIWidget* inWidget, int inIdentifier, void* inUserData) override;

  bool CancelPressed() const { return mCancel; }
  bool StartPressed() const { return mStart; }
  int GetWidth() const { return mWidth; }    // pixels
  int GetHeight() const { return mHeight; }  // pixels
  bool IsFullScreen() const { return mFullScreen; }
  float GetGamma() const { return mGamma; }
  bool GammaChosen() const { return mGammaChosen; }  // the viewer picked a gamma entry
  int GetVolume() const { return mVolume; }    // 0..255
  float GetAspect() const { return mAspect; }  // width / height of the screen

 private:
  void AddResolutionBox(GUIContainer* inContainer);

  bool mCancel;
  bool mStart;
  int mWidth;
  int mHeight;
  bool mFullScreen;
  float mGamma;
  int mVolume;
  float mAspect;
  int mAspectIndex;  // 0 "5/4", 1 "4/3", 2 "16/9", 3 "16/10"
  bool mGammaChosen;
};
