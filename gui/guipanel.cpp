#include "guipanel.h"

#include "guifactory.h"

GUIPanel::GUIPanel(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
                   uint32_t inColour)
    : GUIWidget(inListener, inX, inY, inWidth, inHeight, inIdentifier), mColour(inColour) {
  mEnabled = false;
}

void GUIPanel::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  theFactory->FillRect(theX, theY, mWidth, mHeight, mColour);
  theFactory->DrawBevel(theX, theY, mWidth, mHeight, 0xFFA0A0A0, 0xFF404040);
}
