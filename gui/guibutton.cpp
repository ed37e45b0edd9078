#include "guibutton.h"

#include "guifactory.h"

namespace {
constexpr uint32_t kLight = 0xFFC0C0C0;
constexpr uint32_t kDark = 0xFF202020;
}  // namespace

GUIButton::GUIButton(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
                     const Buffer& inText, uint32_t inColour, uint32_t inTextColour, int inFontSize)
    : GUITextWidget(inListener, inX, inY, inWidth, inHeight, inIdentifier, inTextColour, Buffer(""), inFontSize),
      mPressed(false),
      mColour(inColour),
      mText(inText) {
  if (mHeight < mFont->GetSize() + 8) mHeight = mFont->GetSize() + 8;
}

void GUIButton::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  theFactory->FillRect(theX, theY, mWidth, mHeight, mColour);
  if (mPressed)
    theFactory->DrawBevel(theX, theY, mWidth, mHeight, kDark, kLight);
  else
    theFactory->DrawBevel(theX, theY, mWidth, mHeight, kLight, kDark);
  const int theShift = mPressed ? 1 : 0;
  mFont->DrawText(theX + 5 + theShift, theY + mHeight / 2 - mFont->GetSize() / 2 + 2 + theShift, mText,
                  mTextColour, true, 0.0);
}

bool GUIButton::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  if (inEvent->button == 4 || inEvent->button == 5) return false;
  if (!Contains(inOriginX, inOriginY, inEvent->pressX, inEvent->pressY)) return false;
  if (inEvent->kind == GUI_MOUSE_PRESS && !mPressed) {
    mPressed = true;
    return true;
  }
  if (inEvent->kind == GUI_MOUSE_RELEASE && mPressed) {
    mPressed = false;
    if (Contains(inOriginX, inOriginY, inEvent->x, inEvent->y)) Notify();
    return true;
  }
  return false;
}
