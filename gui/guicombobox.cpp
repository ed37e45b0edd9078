#include "guicombobox.h"

#include "guifactory.h"
#include "guilist.h"
#include "guisdlhandler.h"

void GUIComboDropDownListener::Build(GUIContainer* inContainer) {
  inContainer->Clear();
  inContainer->SetModal(true);
  inContainer->Add(new GUIList(this, 0, 0, mOwner->GetWidth(), mOwner->GetHeight(), 0, mOwner->GetChoices(),
                               mOwner->GetSelected(), mOwner->GetBoxColour(), mOwner->GetTextColour()));
}

void GUIComboDropDownListener::OnEvent(GUIWidget* inWidget, int, void*) {
  const int theRow = static_cast<GUIList*>(inWidget)->GetHighlighted();
  if (theRow >= 0) mOwner->SetSelected(theRow);
  // Closes this drop-down only: later events of the same pass still reach the
  // list (the pass works on the containers active at its start), and a second
  // close must not take the window's own container off the stack.
  GUISDLHandler::Remove(mContainer);
}

GUIComboBox::GUIComboBox(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
                         const DataLines& inChoices, int inSelected, uint32_t inBoxColour, uint32_t inTextColour)
    : GUITextWidget(inListener, inX, inY, inWidth, inHeight, inIdentifier, inTextColour, Buffer(""), 0),
      mBoxColour(inBoxColour),
      mDropDown(nullptr),
      mDropDownListener(this),
      mChoices(inChoices),
      mSelected(inSelected),
      mSelectedAtOpening(inSelected) {
  if (mHeight < mFont->GetSize() + 8) mHeight = mFont->GetSize() + 8;
}

GUIComboBox::~GUIComboBox() {
  if (mDropDown) {
    GUISDLHandler::Remove(mDropDown);
    GUISDLHandler::DeferDelete(mDropDown);
  }
}

void GUIComboBox::DrawAt(int inOriginX, int inOriginY) {
  GUIFactory* theFactory = GetFactory();
  const int theX = inOriginX + mX;
  const int theY = inOriginY + mY;
  theFactory->FillRect(theX, theY, mWidth, mHeight, mBoxColour);
  theFactory->DrawBevel(theX, theY, mWidth, mHeight, 0xFFC0C0C0, 0xFF202020);
  if (mSelected >= 0 && mSelected < static_cast<int>(mChoices.Count()))
    mFont->DrawText(theX + 5, theY + mHeight / 2 - mFont->GetSize() / 2 + 2,
                    mChoices[static_cast<uint32_t>(mSelected)], mTextColour, true, 0.0);
}

bool GUIComboBox::HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) {
  if (inEvent->kind != GUI_MOUSE_PRESS || inEvent->button == 4 || inEvent->button == 5) return false;
  if (!Contains(inOriginX, inOriginY, inEvent->pressX, inEvent->pressY)) return false;
  if (mChoices.Count() == 0) return true;  // nothing to choose from: no drop-down
  if (mDropDown) {
    GUISDLHandler::Remove(mDropDown);
    GUISDLHandler::DeferDelete(mDropDown);
  }
  mDropDown = new GUIContainer(&mDropDownListener, inOriginX + mX, inOriginY + mY, mWidth,
                               static_cast<int>(mChoices.Count()) * mHeight, "ComboBoxTopContainer", 0, false);
  mSelectedAtOpening = mSelected;
  mDropDownListener.Attach(mDropDown);
  GUISDLHandler::Push(mDropDown);
  return true;
}

void GUIComboBox::SetSelected(int inIndex) {
  mSelected = inIndex;
  if (inIndex != mSelectedAtOpening) {
    mSelectedAtOpening = inIndex;
    Notify();
  }
}
