// GUISlider: picks an integer in [minimum, maximum] by pressing or dragging
// along a bar of inLength pixels; notifies when the value changes.
#pragma once

#include "guiwidget.h"

class GUISlider : public GUIWidget {
 public:
  // A maximum below the minimum swaps the two; the value is clamped into the
  // range. The widget is inLength x 9 pixels (9 x inLength when vertical).
  GUISlider(GUIListener* inListener, int inX, int inY, int inLength, int inIdentifier, int inMinimum,
            int inMaximum, int inValue, bool inHorizontal);
  void DrawAt(int inOriginX, int inOriginY) override;
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;

  int GetValue() const { return mValue; }
  int GetMinimum() const { return mMinimum; }
  int GetMaximum() const { return mMaximum; }
  // Thumb position along the bar in pixels (0 when minimum equals maximum).
  int ThumbOffset() const;

 private:
  int mMinimum;
  int mMaximum;
  int mValue;
  int mLength;
  bool mHorizontal;
};
