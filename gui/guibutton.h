// GUIButton: notifies its listener when pressed and released inside it.
#pragma once

#include "guiwidget.h"

class GUIButton : public GUITextWidget {
 public:
  // The height grows to the font size + 8 when smaller.
  GUIButton(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
            const Buffer& inText, uint32_t inColour, uint32_t inTextColour, int inFontSize);
  void DrawAt(int inOriginX, int inOriginY) override;
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;

  void SetText(const Buffer& inText) { mText = inText; }
  const Buffer& GetText() const { return mText; }
  bool IsPressed() const { return mPressed; }

 private:
  bool mPressed;
  uint32_t mColour;
  Buffer mText;
};
