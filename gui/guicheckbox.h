// GUICheckBox: a square that toggles and notifies on a completed click.
#pragma once

#include "guiwidget.h"

class GUICheckBox : public GUIWidget {
 public:
  GUICheckBox(GUIListener* inListener, int inX, int inY, int inSize, int inIdentifier, bool inChecked,
              uint32_t inColour);
  void DrawAt(int inOriginX, int inOriginY) override;
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;

  bool IsChecked() const { return mChecked; }
  void SetChecked(bool inChecked) { mChecked = inChecked; }

 private:
  bool mChecked;
  bool mPressed;
  uint32_t mColour;
};
