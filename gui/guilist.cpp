#include "guilist.h"

#include "guifactory.h"

GUIList::GUIList(GUIListener* inListener, int inX, int inY, int inWidth, int inRowHeight, int inIdentifier,
                 const DataLines& inChoices, int inHighlighted, uint32_t inBoxColour, uint32_t inTextColour)
    : GUITextWidget(inListener, inX, inY, inWidth, 1, inIdentifier, inTextColour, Buffer(""), 0),
      mBoxColour(inBoxColour),
      mHighlighted(inHighlighted),
      mChoices(inChoices),
      mRowHeight(inRowHeight < 0 ? -inRowHeight : inRowHeight) {
  if (mRowHeight < mFont->GetSize() + 8) mRowHeight = mFont->GetSize() + 8;
  const int theRows = mChoices.Count() > 0 ? static_cast<int>(mChoices.Count()) : 1;
  mHeight = theRows * mRowHeight;
}

void GUIList::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  const int theRows = static_cast<int>(mChoices.Count());
  theFactory->FillRect(theX, theY, mWidth, theRows * mRowHeight, mBoxColour);
  theFactory->DrawRect(theX, theY, mWidth, theRows * mRowHeight, 0xFF202020);
  if (mHighlighted >= 0 && mHighlighted < theRows)
    theFactory->DrawBevel(theX, theY + mHighlighted * mRowHeight, mWidth, mRowHeight, 0xFFC0C0C0, 0xFF202020);
  for (int i = 0; i < theRows; ++i)
    mFont->DrawText(theX + 5, theY + i * mRowHeight + mRowHeight / 2 - mFont->GetSize() / 2 + 2,
                    mChoices[static_cast<uint32_t>(i)], mTextColour, true, 0.0);
}

bool GUIList::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  if (Contains(inOriginX, inOriginY, inEvent->x, inEvent->y)) {
    const int theRow = (inEvent->y - (inOriginY + mY)) / mRowHeight;
    mHighlighted = theRow < static_cast<int>(mChoices.Count()) ? theRow : -1;
    if (inEvent->kind != GUI_MOUSE_RELEASE) return false;
    Notify();
    return true;
  }
  mHighlighted = -1;
  Notify();
  return true;
}
