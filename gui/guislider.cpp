#include "guislider.h"

#include "guifactory.h"

namespace {
constexpr int kThickness = 9;  // pixels across the bar
}  // namespace

GUISlider::GUISlider(GUIListener* inListener, int inX, int inY, int inLength, int inIdentifier, int inMinimum,
                     int inMaximum, int inValue, bool inHorizontal)
    : GUIWidget(inListener, inX, inY, inHorizontal ? inLength : kThickness, inHorizontal ? kThickness : inLength,
                inIdentifier),
      mMinimum(inMinimum <= inMaximum ? inMinimum : inMaximum),
      mMaximum(inMinimum <= inMaximum ? inMaximum : inMinimum),
      mValue(inValue),
      mLength(inHorizontal ? mWidth : mHeight),
      mHorizontal(inHorizontal) {
  if (mValue < mMinimum) mValue = mMinimum;
  if (mValue > mMaximum) mValue = mMaximum;
}

int GUISlider::ThumbOffset() const {
  if (mMaximum == mMinimum) return 0;
  const long long theRange = static_cast<long long>(mMaximum) - mMinimum;
  return static_cast<int>((mLength - 1LL) * (static_cast<long long>(mValue) - mMinimum) / theRange + 1);
}

void GUISlider::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  const int theOffset = ThumbOffset();
  if (mHorizontal) {
    theFactory->FillRect(theX, theY, mLength + 2, kThickness + 2, 0x00000000);
    theFactory->DrawRect(theX + 1, theY + 1, mLength, kThickness, 0xFFFFFFFF);
    theFactory->DrawVLine(theX + theOffset, theY + 1, kThickness, 0xFFFF4040);
  } else {
    theFactory->FillRect(theX, theY, kThickness + 2, mLength + 2, 0x00000000);
    theFactory->DrawRect(theX + 1, theY + 1, kThickness, mLength, 0xFFFFFFFF);
    theFactory->DrawHLine(theX + 1, theY + theOffset, kThickness, 0xFFFF4040);
  }
}

bool GUISlider::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  if (inEvent->kind != GUI_MOUSE_PRESS && inEvent->kind != GUI_MOUSE_DRAG) return false;
  const int theInnerX = inOriginX + mX + 1;
  const int theInnerY = inOriginY + mY + 1;
  if (inEvent->pressX < theInnerX || inEvent->pressX > theInnerX + mWidth || inEvent->pressY < theInnerY ||
      inEvent->pressY > theInnerY + mHeight)
    return false;
  const long long thePosition = mHorizontal ? inEvent->x - theInnerX : inEvent->y - theInnerY;
  long long theValue = thePosition * (static_cast<long long>(mMaximum) - mMinimum) / mLength + mMinimum;
  if (theValue < mMinimum) theValue = mMinimum;
  if (theValue > mMaximum) theValue = mMaximum;
  if (theValue != mValue) {
    mValue = static_cast<int>(theValue);
    Notify();
  }
  return true;
}
