// GUIPanel: a filled, raised rectangle behind other widgets. Takes no input
// (it is built disabled).
#pragma once

#include "guiwidget.h"

class GUIPanel : public GUIWidget {
 public:
  GUIPanel(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
           uint32_t inColour);
  void DrawAt(int inOriginX, int inOriginY) override;
  uint32_t GetColour() const { return mColour; }

 private:
  uint32_t mColour;
};
