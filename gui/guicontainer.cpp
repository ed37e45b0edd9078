#include "guicontainer.h"

#include "guifactory.h"
#include "guisdlhandler.h"
#include "zassert.h"

namespace {

// One scroll-bar thumb drag of each direction at a time, process-wide.
struct ThumbDrag {
  bool dragging;
  int pressAt;       // press coordinate along the bar, absolute pixels
  int thumbAtPress;  // thumb offset at the press, pixels
};
ThumbDrag gVerticalDrag = {false, 0, 0};
ThumbDrag gHorizontalDrag = {false, 0, 0};

constexpr uint32_t kBarColour = 0xFF000000;
constexpr uint32_t kThumbColour = 0xFF0000FF;

// Scroll-bar reaction along one axis. inView is the visible length, inContent
// the content length, inAlong the event's coordinates relative to the
// container's start along the axis. Returns the new scroll offset.
int ScrollBarEvent(ThumbDrag& ioDrag, const GUIMouseEvent& inEvent, int inPressAlong, int inPressAbs,
                   int inCurrentAbs, int inView, int inContent, int inScroll) {
  const long long theView = inView;
  const long long theContent = inContent;
  const int theLength = static_cast<int>(theView * theView / theContent);
  const int theThumb = static_cast<int>(theView * inScroll / theContent);
  long long theScroll = inScroll;
  switch (inEvent.kind) {
    case GUI_MOUSE_PRESS:
      if (inPressAlong >= theThumb && inPressAlong < theThumb + theLength) {
        ioDrag.dragging = true;
        ioDrag.pressAt = inPressAbs;
        ioDrag.thumbAtPress = theThumb;
      } else if (inPressAlong < theThumb) {
        theScroll = theContent * (theThumb - theLength) / theView;
      } else {
        theScroll = theContent * (theThumb + theLength) / theView;
      }
      break;
    case GUI_MOUSE_DRAG:
      if (ioDrag.dragging)
        theScroll = theContent * (ioDrag.thumbAtPress + inCurrentAbs - ioDrag.pressAt) / theView;
      break;
    default:
      ioDrag.dragging = false;
      break;
  }
  const long long theMax = theContent - theView;
  if (theScroll > theMax) theScroll = theMax;
  if (theScroll < 0) theScroll = 0;
  return static_cast<int>(theScroll);
}

}  // namespace

GUIContainer::GUIContainer(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight,
                           const char* inName, int inIdentifier, bool inGrowsWithContent)
    : GUIWidget(inListener, inX, inY, inWidth, inHeight, inIdentifier),
      mName(inName),
      mChildCount(0),
      mMouseOverChild(false),
      mHovered(-1),
      mModal(false),
      mGrowsWithContent(inGrowsWithContent),
      mInitialWidth(mWidth),
      mInitialHeight(mHeight),
      mContentWidth(mWidth),
      mContentHeight(mHeight),
      mScrollX(0),
      mScrollY(0) {
  for (GUIWidget*& theChild : mChildren) theChild = nullptr;
}

GUIContainer::~GUIContainer() {
  for (int i = 0; i < mChildCount; ++i) delete mChildren[i];
}

GUIWidget* GUIContainer::GetChild(int inIndex) const {
  return inIndex >= 0 && inIndex < mChildCount ? mChildren[inIndex] : nullptr;
}

void GUIContainer::Fit(GUIWidget* inChild) {
  const int theRight = inChild->GetX() + inChild->GetWidth();
  const int theBottom = inChild->GetY() + inChild->GetHeight();
  if (mGrowsWithContent) {
    bool theChanged = false;
    if (theRight > mWidth) {
      mWidth = mContentWidth = theRight;
      theChanged = true;
    }
    if (theBottom > mHeight) {
      mHeight = mContentHeight = theBottom;
      theChanged = true;
    }
    if (theChanged && mParent) mParent->Relayout();
    return;
  }
  // Leave room for the scroll bar that a wider (or taller) content brings.
  const int theRoomX = mWidth < mContentWidth ? kScrollBarSize : 0;
  if (mContentWidth - theRoomX < theRight) mContentWidth = theRight + kScrollBarSize;
  const int theRoomY = mHeight < mContentHeight ? kScrollBarSize : 0;
  if (mContentHeight - theRoomY < theBottom) mContentHeight = theBottom + kScrollBarSize;
}

bool GUIContainer::Add(GUIWidget* inChild) {
  Z_ASSERT(inChild && "GUIContainer::Add: no widget");
  Z_ASSERT(inChild->GetX() >= 0 && inChild->GetY() >= 0 && "GUIContainer::Add: negative position");
  Z_ASSERT(!inChild->GetParent() && "GUIContainer::Add: widget already has a parent");
  if (mChildCount >= kMaxChildren) {
    GUISDLHandler::DeferDelete(inChild);
    return false;
  }
  Fit(inChild);
  inChild->SetParent(this);
  mChildren[mChildCount++] = inChild;
  return true;
}

GUIWidget* GUIContainer::FindChild(int inIdentifier) const {
  for (int i = 0; i < mChildCount; ++i)
    if (mChildren[i]->GetIdentifier() == inIdentifier) return mChildren[i];
  return nullptr;
}

GUIWidget* GUIContainer::RemoveChild(int inIdentifier) {
  for (int i = 0; i < mChildCount; ++i) {
    if (mChildren[i]->GetIdentifier() != inIdentifier) continue;
    GUIWidget* theChild = mChildren[i];
    for (int j = i; j + 1 < mChildCount; ++j) mChildren[j] = mChildren[j + 1];
    mChildren[--mChildCount] = nullptr;
    // Keep the hover on the same child, or on none when it was this one.
    if (mHovered == i)
      ClearHover();
    else if (mHovered > i)
      --mHovered;
    theChild->SetParent(nullptr);
    return theChild;
  }
  return nullptr;
}

void GUIContainer::ClearHover() {
  mHovered = -1;
  mMouseOverChild = false;
}

void GUIContainer::Clear() {
  ClearHover();
  while (mChildCount > 0) {
    GUIWidget* theChild = mChildren[--mChildCount];
    mChildren[mChildCount] = nullptr;
    theChild->SetParent(nullptr);
    GUISDLHandler::DeferDelete(theChild);
  }
  mWidth = mContentWidth = mInitialWidth;
  mHeight = mContentHeight = mInitialHeight;
  mScrollX = mScrollY = 0;
}

void GUIContainer::Relayout() {
  mContentWidth = mWidth;
  mContentHeight = mHeight;
  for (int i = 0; i < mChildCount; ++i) Fit(mChildren[i]);
  if (!mGrowsWithContent) {
    if (mScrollX > mContentWidth - mWidth) mScrollX = mContentWidth - mWidth;
    if (mScrollY > mContentHeight - mHeight) mScrollY = mContentHeight - mHeight;
    if (mScrollX < 0) mScrollX = 0;
    if (mScrollY < 0) mScrollY = 0;
  }
}

void GUIContainer::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theLeft = inOriginX + mX;
  const int theTop = inOriginY + mY;
  theFactory->PushClipRect(theLeft, theLeft + mWidth - 2, theTop, theTop + mHeight - 2);
  for (int i = 0; i < mChildCount; ++i) {
    GUIWidget* theChild = mChildren[i];
    const int theX = theChild->GetX() - mScrollX;
    const int theY = theChild->GetY() - mScrollY;
    if (theX >= mWidth || theX + theChild->GetWidth() < 0 || theY >= mHeight ||
        theY + theChild->GetHeight() < 0)
      continue;
    theChild->Draw(theLeft - mScrollX, theTop - mScrollY);
  }
  theFactory->PopClipRect();

  if (mContentWidth != mWidth) {
    const int theBarTop = theTop + mHeight - kScrollBarSize;
    theFactory->FillRect(theLeft, theBarTop, mWidth, kScrollBarSize, kBarColour);
    const long long w = mWidth;
    theFactory->FillRect(theLeft + static_cast<int>(w * mScrollX / mContentWidth), theBarTop + 1,
                         static_cast<int>(w * w / mContentWidth), kScrollBarSize - 2, kThumbColour);
  }
  if (mContentHeight != mHeight) {
    const int theBarLeft = theLeft + mWidth - kScrollBarSize;
    theFactory->FillRect(theBarLeft, theTop, kScrollBarSize, mHeight, kBarColour);
    const long long h = mHeight;
    theFactory->FillRect(theBarLeft + 1, theTop + static_cast<int>(h * mScrollY / mContentHeight),
                         kScrollBarSize - 2, static_cast<int>(h * h / mContentHeight), kThumbColour);
  }
}

bool GUIContainer::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  const int theLeft = inOriginX + mX;
  const int theTop = inOriginY + mY;
  const int thePressX = inEvent->pressX;
  const int thePressY = inEvent->pressY;

  if (mContentHeight != mHeight && thePressX >= theLeft + mWidth - kScrollBarSize &&
      thePressX < theLeft + mWidth && thePressY >= theTop && thePressY < theTop + mHeight) {
    mScrollY = ScrollBarEvent(gVerticalDrag, *inEvent, thePressY - theTop, thePressY, inEvent->y, mHeight,
                              mContentHeight, mScrollY);
    return true;
  }
  if (mContentWidth != mWidth && thePressY >= theTop + mHeight - kScrollBarSize &&
      thePressY < theTop + mHeight && thePressX >= theLeft && thePressX < theLeft + mWidth) {
    mScrollX = ScrollBarEvent(gHorizontalDrag, *inEvent, thePressX - theLeft, thePressX, inEvent->x, mWidth,
                              mContentWidth, mScrollX);
    return true;
  }

  if (thePressX >= theLeft && thePressX <= theLeft + mWidth - 2 && thePressY >= theTop &&
      thePressY <= theTop + mHeight - 2) {
    // Children may remove themselves or siblings while handling: re-check the bound.
    for (int i = mChildCount - 1; i >= 0; --i) {
      if (i >= mChildCount) continue;
      if (mChildren[i]->DispatchMouse(theLeft - mScrollX, theTop - mScrollY, inEvent)) return true;
    }
  }

  if (thePressX >= theLeft && thePressX < theLeft + mWidth && thePressY >= theTop &&
      thePressY < theTop + mHeight) {
    const int theBefore = mScrollY;
    if (inEvent->button == 4 && mScrollY > 0) {
      mScrollY -= kWheelStep;
      if (mScrollY < 0) mScrollY = 0;
    } else if (inEvent->button == 5 && mScrollY + mHeight < mContentHeight) {
      mScrollY += kWheelStep;
      if (mScrollY > mContentHeight - mHeight) mScrollY = mContentHeight - mHeight;
    }
    return mScrollY != theBefore;
  }
  return false;
}

bool GUIContainer::OnKey(int inSymbol, int inCharacter, int inModifiers) {
  GUIWidget* theChild = GetChild(mHovered);
  return theChild && theChild->DispatchKey(inSymbol, inCharacter, inModifiers);
}

bool GUIContainer::OnMouseOver(int inX, int inY) {
  int theFound = -1;
  if (inX >= mX && inX <= mX + mWidth && inY >= mY && inY <= mY + mHeight) {
    for (int i = mChildCount - 1; i >= 0 && theFound < 0; --i)
      if (mChildren[i]->OnMouseOver(inX - mX + mScrollX, inY - mY + mScrollY)) theFound = i;
  }
  if (theFound != mHovered) {
    if (GUIWidget* thePrevious = GetChild(mHovered)) thePrevious->OnMouseLeave();
    mHovered = theFound;
  }
  mMouseOverChild = theFound >= 0;
  return mMouseOverChild;
}

void GUIContainer::OnMouseLeave() {
  if (GUIWidget* theChild = GetChild(mHovered)) theChild->OnMouseLeave();
  ClearHover();
}
