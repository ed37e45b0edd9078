#include "guiwidget.h"

#include <cstdlib>

#include "guicontainer.h"
#include "guifactory.h"
#include "zassert.h"

// ---- GUIListener ---------------------------------------------------------------

GUIListener::GUIListener() : mContainer(nullptr) {}
GUIListener::~GUIListener() = default;

bool GUIListener::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  return mContainer && mContainer->HandleMouse(inOriginX, inOriginY, inEvent);
}

bool GUIListener::OnKey(int inSymbol, int inCharacter, int inModifiers) {
  return mContainer && mContainer->OnKey(inSymbol, inCharacter, inModifiers);
}

void GUIListener::Attach(GUIContainer* inContainer) {
  mContainer = inContainer;
  Build(inContainer);
}

// ---- GUIWidget -----------------------------------------------------------------

GUIWidget::GUIWidget(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier)
    : mIdentifier(inIdentifier),
      mX(inX),
      mY(inY),
      mWidth(inWidth < 0 ? -inWidth : inWidth),
      mHeight(inHeight < 0 ? -inHeight : inHeight),
      mVisible(true),
      mEnabled(true),
      mListener(inListener),
      mParent(nullptr),
      mUserData(nullptr) {
  Z_ASSERT(inWidth != 0 && inHeight != 0 && "GUIWidget: width and height must not be 0");
}

GUIWidget::~GUIWidget() { std::free(mUserData); }

bool GUIWidget::HandleMouse(int, int, GUIMouseEvent*) { return false; }
bool GUIWidget::OnKey(int, int, int) { return false; }
bool GUIWidget::OnMouseOver(int, int) { return false; }
void GUIWidget::OnMouseLeave() {}

void GUIWidget::Draw(int inOriginX, int inOriginY) {
  if (mVisible) DrawAt(inOriginX, inOriginY);
}

bool GUIWidget::DispatchMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  return mEnabled && HandleMouse(inOriginX, inOriginY, inEvent);
}

bool GUIWidget::DispatchKey(int inSymbol, int inCharacter, int inModifiers) {
  return mEnabled && OnKey(inSymbol, inCharacter, inModifiers);
}

void GUIWidget::Notify() {
  if (mListener) mListener->OnEvent(this, mIdentifier, mUserData);
}

void GUIWidget::SetUserData(void* inData) {
  if (inData == mUserData) return;
  std::free(mUserData);
  mUserData = inData;
}

bool GUIWidget::Contains(int inOriginX, int inOriginY, int inX, int inY) const {
  const int theLeft = inOriginX + mX;
  const int theTop = inOriginY + mY;
  return inX >= theLeft && inX < theLeft + mWidth && inY >= theTop && inY < theTop + mHeight;
}

// ---- GUITextWidget -------------------------------------------------------------

namespace {

GUIFont* AcquireFont(const Buffer& inName, int inSize) {
  GUIFactory* theFactory = GetFactory();
  Z_ASSERT(theFactory && "GUITextWidget: no GUI factory installed");
  const Buffer& theName = inName.Length() ? inName : theFactory->GetDefaultFontName();
  return theFactory->AcquireCachedFont(theName, inSize ? inSize : theFactory->GetDefaultFontSize());
}

}  // namespace

GUITextWidget::GUITextWidget(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight,
                             int inIdentifier, uint32_t inTextColour, const Buffer& inFontName, int inFontSize)
    : GUIWidget(inListener, inX, inY, inWidth, inHeight, inIdentifier),
      mTextColour(inTextColour),
      mFont(AcquireFont(inFontName, inFontSize)) {}

GUITextWidget::~GUITextWidget() {
  if (GUIFactory* theFactory = GetFactory()) theFactory->ReleaseCachedFont(mFont);
}

void GUITextWidget::SetTextColour(uint32_t inColour) { mTextColour = inColour; }

void GUITextWidget::SetFont(const Buffer& inName, int inSize) {
  GUIFont* theNew = AcquireFont(inName, inSize);
  GUIFont* theOld = mFont;
  mFont = theNew;
  GetFactory()->ReleaseCachedFont(theOld);
}

void GUITextWidget::SetFontName(const Buffer& inName) { SetFont(inName, mFont->GetSize()); }
void GUITextWidget::SetFontSize(int inSize) { SetFont(mFont->GetFontName(), inSize); }
