#include "guicheckbox.h"

#include "guifactory.h"

namespace {
constexpr uint32_t kLight = 0xFFC0C0C0;
constexpr uint32_t kDark = 0xFF202020;
constexpr uint32_t kCross = 0xFFC0FFC0;
}  // namespace

GUICheckBox::GUICheckBox(GUIListener* inListener, int inX, int inY, int inSize, int inIdentifier,
                         bool inChecked, uint32_t inColour)
    : GUIWidget(inListener, inX, inY, inSize, inSize, inIdentifier),
      mChecked(inChecked),
      mPressed(false),
      mColour(inColour) {}

void GUICheckBox::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  theFactory->FillRect(theX, theY, mWidth, mHeight, mColour);
  if (mChecked) {
    theFactory->DrawBevel(theX, theY, mWidth, mHeight, kDark, kLight);
    theFactory->DrawLine(theX + 1, theY + 1, theX + mWidth - 1, theY + mHeight - 1, kCross);
    theFactory->DrawLine(theX + mWidth - 1, theY + 1, theX + 1, theY + mHeight - 1, kCross);
  } else {
    theFactory->DrawBevel(theX, theY, mWidth, mHeight, kLight, kDark);
  }
}

bool GUICheckBox::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  if (inEvent->button == 4 || inEvent->button == 5) return false;
  if (!Contains(inOriginX, inOriginY, inEvent->pressX, inEvent->pressY)) return false;
  if (inEvent->kind == GUI_MOUSE_PRESS && !mPressed) {
    mPressed = true;
    return true;
  }
  if (inEvent->kind == GUI_MOUSE_RELEASE && mPressed) {
    mPressed = false;
    if (Contains(inOriginX, inOriginY, inEvent->x, inEvent->y)) {
      mChecked = !mChecked;
      Notify();
    }
    return true;
  }
  return false;
}
