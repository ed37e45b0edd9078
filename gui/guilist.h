// GUIList: rows of text, one highlighted; the drop-down of a combo box.
#pragma once

#include "datalines.h"
#include "guiwidget.h"

class GUIList : public GUITextWidget {
 public:
  // The row height grows to the font size + 8 when smaller; the list is as
  // high as all its rows (at least one row).
  GUIList(GUIListener* inListener, int inX, int inY, int inWidth, int inRowHeight, int inIdentifier,
          const DataLines& inChoices, int inHighlighted, uint32_t inBoxColour, uint32_t inTextColour);
  void DrawAt(int inOriginX, int inOriginY) override;
  // Over the list the row under the current point is highlighted and a
  // release notifies; anywhere outside, the highlight becomes -1 and the
  // list notifies.
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;

  int GetHighlighted() const { return mHighlighted; }  // -1 for none
  const DataLines& GetChoices() const { return mChoices; }
  int GetRowHeight() const { return mRowHeight; }

 private:
  uint32_t mBoxColour;
  int mHighlighted;
  DataLines mChoices;
  int mRowHeight;
};
