// The event handler with real SDL events pushed into SDL's queue, as a
// viewer's mouse would send them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "basicexception.h"
#include "datalines.h"
#include "guibutton.h"
#include "guicombobox.h"
#include "guicontainer.h"
#include "guilist.h"
#include "guisdlhandler.h"
#include "guitestwidgets.h"
#include "testwindow.h"

namespace {

void PushButton(bool inDown, int inButton, int inX, int inY) {
  SDL_Event e;
  e.type = inDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.which = 0;
  e.button.button = static_cast<Uint8>(inButton);
  e.button.state = inDown ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = static_cast<Uint16>(inX);
  e.button.y = static_cast<Uint16>(inY);
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void PushMotion(int inX, int inY, Uint8 inButtons) {
  SDL_Event e;
  e.type = SDL_MOUSEMOTION;
  e.motion.which = 0;
  e.motion.state = inButtons;
  e.motion.x = static_cast<Uint16>(inX);
  e.motion.y = static_cast<Uint16>(inY);
  e.motion.xrel = e.motion.yrel = 0;
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void PushQuit() {
  SDL_Event e;
  e.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

// One event pass; returns the quit report.
bool Pass(bool* outSomething = nullptr) {
  bool theSomething = false;
  const bool theQuit = GUISDLHandler::HandleEvents(&theSomething);
  if (outSomething) *outSomething = theSomething;
  return theQuit;
}

class GuiHandlerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureGuiWindow()); }
  void SetUp() override {
    ASSERT_EQ(GUISDLHandler::Size(), 0);
    // Start from a left click with nothing stacked: the last button is 1.
    PushButton(true, 1, 319, 239);
    PushButton(false, 1, 319, 239);
    Pass();
  }
  void TearDown() override {
    while (GUISDLHandler::Size() > 0) GUISDLHandler::Pop();
  }
};

std::string MessageOf(void (*inCall)()) {
  try {
    inCall();
  } catch (const BasicException& e) {
    return e.GetMessage();
  }
  return "(nothing thrown)";
}

TEST_F(GuiHandlerTest, StackLimitsReportTheirMessages) {
  GUIContainer theContainer(nullptr, 0, 0, 10, 10, "C", 0, false);
  EXPECT_EQ(MessageOf([] { GUISDLHandler::Pop(); }), " Pop on empty stack in GUISDLHandler!");
  EXPECT_EQ(MessageOf([] { GUISDLHandler::GetUI(0); }), "GetUI on empty stack in GUISDLHandler!");
  for (int i = 0; i < GUISDLHandler::kMaxContainers; ++i) GUISDLHandler::Push(&theContainer);
  EXPECT_EQ(GUISDLHandler::Size(), 128);
  static GUIContainer* gExtra = &theContainer;
  EXPECT_EQ(MessageOf([] { GUISDLHandler::Push(gExtra); }), " Too much GUIContainers stacked in GUISDLHandler!");
  EXPECT_EQ(GUISDLHandler::Size(), 128);
  EXPECT_EQ(GUISDLHandler::GetUI(127), &theContainer);
  EXPECT_EQ(MessageOf([] { GUISDLHandler::GetUI(GUISDLHandler::Size()); }), "GetUI on empty stack in GUISDLHandler!");
  EXPECT_EQ(MessageOf([] { GUISDLHandler::GetUI(-1); }), "GetUI on empty stack in GUISDLHandler!");
}

TEST_F(GuiHandlerTest, ClickWithoutMovementIsPressThenReleaseAtTheSamePoint) {
  RecordingContainer theContainer(0, 0, 320, 240);
  GUISDLHandler::Push(&theContainer);
  PushMotion(50, 60, 0);  // no button held: nothing
  PushButton(true, 1, 40, 50);
  PushButton(false, 1, 40, 50);
  bool theSomething = false;
  EXPECT_FALSE(Pass(&theSomething));
  EXPECT_TRUE(theSomething);
  ASSERT_EQ(theContainer.mEvents.size(), 2u);
  const GUIMouseEvent& p = theContainer.mEvents[0];
  const GUIMouseEvent& r = theContainer.mEvents[1];
  EXPECT_EQ(p.kind, GUI_MOUSE_PRESS);
  EXPECT_EQ(r.kind, GUI_MOUSE_RELEASE);
  for (const GUIMouseEvent& e : theContainer.mEvents) {
    EXPECT_EQ(e.pressX, 40);
    EXPECT_EQ(e.pressY, 50);
    EXPECT_EQ(e.x, 40);
    EXPECT_EQ(e.y, 50);
    EXPECT_EQ(e.button, 1);
  }
  EXPECT_FALSE(Pass(&theSomething));
  EXPECT_FALSE(theSomething) << "an empty queue reports nothing";
}

TEST_F(GuiHandlerTest, DragsFollowTheHeldButtonAndASecondButtonReleasesTheFirst) {
  RecordingContainer theContainer(0, 0, 320, 240);
  GUISDLHandler::Push(&theContainer);
  PushButton(true, 1, 10, 10);
  PushMotion(20, 30, SDL_BUTTON(1));
  PushMotion(25, 35, SDL_BUTTON(3));  // another button's motion: not ours
  PushButton(true, 3, 40, 40);        // right button while the left is held
  Pass();
  ASSERT_EQ(theContainer.mEvents.size(), 4u);
  EXPECT_EQ(theContainer.mEvents[1].kind, GUI_MOUSE_DRAG);
  EXPECT_EQ(theContainer.mEvents[1].x, 20);
  EXPECT_EQ(theContainer.mEvents[1].pressX, 10);
  const GUIMouseEvent& theRelease = theContainer.mEvents[2];
  EXPECT_EQ(theRelease.kind, GUI_MOUSE_RELEASE);
  EXPECT_EQ(theRelease.button, 1);
  EXPECT_EQ(theRelease.x, 40);
  const GUIMouseEvent& thePress = theContainer.mEvents[3];
  EXPECT_EQ(thePress.kind, GUI_MOUSE_PRESS);
  EXPECT_EQ(thePress.button, 3);
  EXPECT_EQ(thePress.pressX, 40);
  PushButton(false, 3, 40, 40);
  PushButton(true, 1, 300, 230);
  PushButton(false, 1, 300, 230);
  Pass();
}

TEST_F(GuiHandlerTest, OneWheelNotchScrollsTwentyPixels) {
  GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
  theView.Add(new ProbeWidget(nullptr, 0, 300, 10, 100, 1));
  GUISDLHandler::Push(&theView);
  PushButton(true, 5, 100, 100);
  PushButton(false, 5, 100, 100);
  Pass();
  EXPECT_EQ(theView.GetScrollY(), 20);
  PushButton(true, 1, 300, 230);
  PushButton(false, 1, 300, 230);
  Pass();
}

TEST_F(GuiHandlerTest, ModalContainerBlocksTheContainersBelow) {
  RecordingContainer theBottom(0, 0, 320, 240, true);
  RecordingContainer theMiddle(0, 0, 320, 240);
  RecordingContainer theTop(0, 0, 100, 100);
  GUISDLHandler::Push(&theBottom);
  GUISDLHandler::Push(&theMiddle);
  GUISDLHandler::Push(&theTop);

  PushButton(true, 1, 50, 50);
  Pass();
  // Lowest active container first; the bottom one handles it, so no one above sees it.
  EXPECT_EQ(theBottom.mEvents.size(), 1u);
  EXPECT_EQ(theMiddle.mEvents.size(), 0u);
  EXPECT_EQ(theTop.mEvents.size(), 0u);

  theMiddle.SetModal(true);
  PushButton(false, 1, 50, 50);
  Pass();
  EXPECT_EQ(theBottom.mEvents.size(), 1u) << "below a modal container nothing arrives";
  EXPECT_EQ(theMiddle.mEvents.size(), 1u);
  EXPECT_EQ(theTop.mEvents.size(), 1u);
}

// Removes its button from the container inside the button's own notification.
class SelfRemovingListener : public RecordingListener {
 public:
  void OnEvent(GUIWidget* inWidget, int inIdentifier, void* inData) override {
    RecordingListener::OnEvent(inWidget, inIdentifier, inData);
    GUISDLHandler::DeferDelete(mContainer->RemoveChild(inIdentifier));
  }
};

class CountedButton : public GUIButton {
 public:
  CountedButton(GUIListener* inListener, int* ioDeleted)
      : GUIButton(inListener, 10, 10, 80, 20, 4, Buffer("Remove me"), 0xFF707070, 0xFFFFFFFF, 16),
        mDeleted(ioDeleted) {}
  ~CountedButton() override { ++*mDeleted; }
  int* mDeleted;
};

TEST_F(GuiHandlerTest, WidgetRemovingItselfStaysValidUntilThePassEnds) {
  SelfRemovingListener theListener;
  GUIContainer theView(&theListener, 0, 0, 320, 240, "View", 0, false);
  theListener.Attach(&theView);
  int theDeleted = 0;
  theView.Add(new CountedButton(&theListener, &theDeleted));
  GUISDLHandler::Push(&theView);

  PushQuit();  // a quit request does not stop the pass
  PushButton(true, 1, 20, 20);
  PushButton(false, 1, 20, 20);
  PushButton(true, 1, 20, 20);  // the button is gone from the container by now
  PushButton(false, 1, 20, 20);
  EXPECT_TRUE(Pass());
  EXPECT_EQ(theListener.mEvents.size(), 1u);
  EXPECT_EQ(theView.GetChildCount(), 0);
  EXPECT_EQ(theDeleted, 1) << "deleted once, at the end of the pass";
}

TEST_F(GuiHandlerTest, DeferredDeletionFreesWidgetsHandedOverWhileItRuns) {
  int theDeleted = 0;
  // A container whose children are handed over while it is being deleted.
  GUIContainer* theView = new GUIContainer(nullptr, 0, 0, 50, 50, "V", 0, false);
  theView->Add(new ProbeWidget(nullptr, 0, 0, 5, 5, 1, &theDeleted));
  struct Clearing : GUIContainer {
    GUIContainer* inner;
    Clearing(GUIContainer* inInner) : GUIContainer(nullptr, 0, 0, 5, 5, "C", 0, false), inner(inInner) {}
    ~Clearing() override {
      inner->Clear();
      delete inner;
    }
  };
  GUISDLHandler::DeferDelete(new Clearing(theView));
  GUISDLHandler::DeferDelete(nullptr);
  Pass();
  EXPECT_EQ(theDeleted, 1);
}

class ComboTest : public GuiHandlerTest {
 protected:
  void SetUp() override {
    GuiHandlerTest::SetUp();
    DataLines theChoices(3);
    theChoices.Add(Buffer("one"));
    theChoices.Add(Buffer("two"));
    theChoices.Add(Buffer("three"));
    mView = new GUIContainer(&mListener, 0, 0, 320, 240, "View", 0, false);
    mCombo = new GUIComboBox(&mListener, 100, 40, 120, 15, 3, theChoices, 1, 0xFF505050, 0xFFFFFFFF);
    mView->Add(mCombo);
    GUISDLHandler::Push(mView);
    mRow = mCombo->GetHeight();
  }
  void TearDown() override {
    GuiHandlerTest::TearDown();
    delete mView;
    GUISDLHandler::RunDeferredDeletes();
  }
  RecordingListener mListener;
  GUIContainer* mView = nullptr;
  GUIComboBox* mCombo = nullptr;
  int mRow = 0;
};

TEST_F(ComboTest, ClickOpensDropDownAndReleaseOnFirstRowSelectsIt) {
  EXPECT_EQ(mRow, 22) << "height grows to the font size + 8";
  PushButton(true, 1, 110, 45);
  Pass();
  ASSERT_EQ(GUISDLHandler::Size(), 2) << "the press opens the drop-down";
  GUIContainer* theDropDown = GUISDLHandler::GetUI(1);
  EXPECT_STREQ(theDropDown->GetName(), "ComboBoxTopContainer");
  EXPECT_TRUE(theDropDown->IsModal());
  EXPECT_EQ(theDropDown->GetX(), 100);
  EXPECT_EQ(theDropDown->GetY(), 40);
  EXPECT_EQ(theDropDown->GetWidth(), 120);
  EXPECT_EQ(theDropDown->GetHeight(), 3 * mRow);
  EXPECT_EQ(static_cast<GUIList*>(theDropDown->GetChild(0))->GetHighlighted(), 1);

  PushButton(false, 1, 110, 45);
  Pass();
  EXPECT_EQ(GUISDLHandler::Size(), 1) << "choosing closes the drop-down";
  EXPECT_EQ(mCombo->GetSelected(), 0);
  ASSERT_EQ(mListener.mEvents.size(), 1u);
  EXPECT_EQ(mListener.mEvents[0].identifier, 3);
}

TEST_F(ComboTest, DragToARowAndReleaseSelectsThatRow) {
  PushButton(true, 1, 110, 45);
  Pass();
  PushMotion(115, 40 + mRow + 3, SDL_BUTTON(1));
  PushMotion(118, 40 + 2 * mRow + 5, SDL_BUTTON(1));
  PushButton(false, 1, 118, 40 + 2 * mRow + 5);
  Pass();
  EXPECT_EQ(GUISDLHandler::Size(), 1);
  EXPECT_EQ(mCombo->GetSelected(), 2);
  EXPECT_EQ(mListener.mEvents.size(), 1u);

  // Choosing the selection the drop-down opened with sends nothing.
  PushButton(true, 1, 110, 45);
  Pass();
  PushMotion(118, 40 + 2 * mRow + 5, SDL_BUTTON(1));
  PushButton(false, 1, 118, 40 + 2 * mRow + 5);
  Pass();
  EXPECT_EQ(mCombo->GetSelected(), 2);
  EXPECT_EQ(mListener.mEvents.size(), 1u);
}

TEST_F(ComboTest, ReleaseOutsideClosesTheDropDownUnchanged) {
  PushButton(true, 1, 110, 45);
  Pass();
  PushMotion(300, 200, SDL_BUTTON(1));
  PushButton(false, 1, 300, 200);
  Pass();
  EXPECT_EQ(GUISDLHandler::Size(), 1);
  EXPECT_EQ(mCombo->GetSelected(), 1);
  EXPECT_TRUE(mListener.mEvents.empty());
}

TEST_F(ComboTest, DestroyingTheComboTakesItsOpenDropDownOffTheStack) {
  PushButton(true, 1, 110, 45);
  Pass();
  ASSERT_EQ(GUISDLHandler::Size(), 2);
  delete mView->RemoveChild(3);
  EXPECT_EQ(GUISDLHandler::Size(), 1);
  PushButton(false, 1, 110, 45);
  Pass();  // the deferred drop-down is gone; nothing dangles
  EXPECT_TRUE(mListener.mEvents.empty());
}

}  // namespace
