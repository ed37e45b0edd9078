// GUIComboBox: shows the selected choice; a press opens a modal drop-down
// list over it (a container pushed on GUISDLHandler), and choosing a row
// selects it and notifies the combo box's listener when it changed.
#pragma once

#include "datalines.h"
#include "guicontainer.h"
#include "guiwidget.h"

class GUIComboBox;

// Builds and answers the drop-down of one combo box.
class GUIComboDropDownListener : public GUIListener {
 public:
  explicit GUIComboDropDownListener(GUIComboBox* inOwner) : mOwner(inOwner) {}
  void Build(GUIContainer* inContainer) override;
  void OnEvent(GUIWidget* inWidget, int inIdentifier, void* inUserData) override;

 private:
  GUIComboBox* mOwner;
};

class GUIComboBox : public GUITextWidget {
 public:
  // The height grows to the font size + 8 when smaller.
  GUIComboBox(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
              const DataLines& inChoices, int inSelected, uint32_t inBoxColour, uint32_t inTextColour);
  // An open drop-down is taken off the handler's stack and deleted after the
  // current event pass.
  ~GUIComboBox() override;

  void DrawAt(int inOriginX, int inOriginY) override;
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;
  // Stores the selection; notifies when it differs from the one at opening.
  virtual void SetSelected(int inIndex);

  int GetSelected() const { return mSelected; }
  const DataLines& GetChoices() const { return mChoices; }
  uint32_t GetBoxColour() const { return mBoxColour; }
  GUIContainer* GetDropDown() const { return mDropDown; }

 private:
  uint32_t mBoxColour;
  GUIContainer* mDropDown;
  GUIComboDropDownListener mDropDownListener;
  DataLines mChoices;
  int mSelected;
  int mSelectedAtOpening;
};
