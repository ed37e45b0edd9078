// Widget and container rules, driven with mouse events as the event handler
// delivers them (absolute window pixels, containers at origin 0, 0).
#include <gtest/gtest.h>

#include "guibutton.h"
#include "guicheckbox.h"
#include "guicontainer.h"
#include "guifactory.h"
#include "guilabel.h"
#include "guipanel.h"
#include "guisdlhandler.h"
#include "guislider.h"
#include "guitestwidgets.h"
#include "testwindow.h"

namespace {

class GuiWidgetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureGuiWindow()); }
  RecordingListener mListener;
};

GUIMouseEvent Event(int inKind, int inPressX, int inPressY, int inX, int inY, int inButton = 1) {
  return GUIMouseEvent{inPressX, inPressY, inX, inY, inButton, inKind};
}

TEST_F(GuiWidgetTest, ButtonNotifiesOnlyWhenPressAndReleaseAreInside) {
  struct Case {
    const char* what;
    int pressX, pressY, releaseX, releaseY, button;
    bool notified;
  } const kCases[] = {
      {"click inside", 60, 205, 60, 205, 1, true},
      {"release elsewhere inside", 55, 202, 115, 215, 1, true},
      {"release outside", 60, 205, 200, 100, 1, false},
      {"release just right of it", 60, 205, 120, 205, 1, false},
      {"press outside, release inside", 40, 205, 60, 205, 1, false},
      {"wheel inside", 60, 205, 60, 205, 4, false},
  };
  for (const Case& c : kCases) {
    GUIButton theButton(&mListener, 50, 200, 70, 20, 8, Buffer("Cancel"), 0xFF705050, 0xFFFFFFFF, 16);
    mListener.mEvents.clear();
    GUIMouseEvent thePress = Event(GUI_MOUSE_PRESS, c.pressX, c.pressY, c.pressX, c.pressY, c.button);
    GUIMouseEvent theRelease = Event(GUI_MOUSE_RELEASE, c.pressX, c.pressY, c.releaseX, c.releaseY, c.button);
    theButton.DispatchMouse(0, 0, &thePress);
    theButton.DispatchMouse(0, 0, &theRelease);
    EXPECT_EQ(mListener.mEvents.size(), c.notified ? 1u : 0u) << c.what;
    EXPECT_FALSE(theButton.IsPressed()) << c.what;
    if (c.notified && !mListener.mEvents.empty()) {
      EXPECT_EQ(mListener.mEvents[0].identifier, 8) << c.what;
    }
  }
}

TEST_F(GuiWidgetTest, ButtonGrowsToFontHeightAndDisabledWidgetsIgnoreTheMouse) {
  GUIButton theButton(&mListener, 0, 0, 70, 5, 1, Buffer("x"), 0, 0, 16);
  EXPECT_EQ(theButton.GetHeight(), 24);
  theButton.SetEnabled(false);
  GUIMouseEvent thePress = Event(GUI_MOUSE_PRESS, 5, 5, 5, 5);
  EXPECT_FALSE(theButton.DispatchMouse(0, 0, &thePress));
  EXPECT_FALSE(theButton.IsPressed());
}

TEST_F(GuiWidgetTest, CheckBoxTogglesBeforeNotifying) {
  bool theCheckedWhenNotified = true;
  struct Listener : RecordingListener {
    bool* checked;
    void OnEvent(GUIWidget* inWidget, int inId, void* inData) override {
      *checked = static_cast<GUICheckBox*>(inWidget)->IsChecked();
      RecordingListener::OnEvent(inWidget, inId, inData);
    }
  } theListener;
  theListener.checked = &theCheckedWhenNotified;
  GUICheckBox theObserved(&theListener, 297, 115, 17, 5, true, 0xFF505050);
  GUIMouseEvent thePress = Event(GUI_MOUSE_PRESS, 300, 120, 300, 120);
  GUIMouseEvent theRelease = Event(GUI_MOUSE_RELEASE, 300, 120, 305, 125);
  theObserved.DispatchMouse(0, 0, &thePress);
  theObserved.DispatchMouse(0, 0, &theRelease);
  ASSERT_EQ(theListener.mEvents.size(), 1u);
  EXPECT_FALSE(theCheckedWhenNotified);
  theRelease.x = 400;  // released outside: unchanged
  theObserved.DispatchMouse(0, 0, &thePress);
  theObserved.DispatchMouse(0, 0, &theRelease);
  EXPECT_FALSE(theObserved.IsChecked());
  EXPECT_EQ(theListener.mEvents.size(), 1u);
}

TEST_F(GuiWidgetTest, SliderMapsPositionToValueAndClamps) {
  // The volume slider: at (120, 150), 192 long, 0..255; inner origin x = 121.
  struct Case {
    const char* what;
    int kind, pressX, currentX;
    int value;
    bool handled;
  } const kCases[] = {
      {"press at 96", GUI_MOUSE_PRESS, 121 + 96, 121 + 96, 127, true},
      {"press at the inner origin", GUI_MOUSE_PRESS, 121, 121, 0, true},
      {"press at the far edge", GUI_MOUSE_PRESS, 121 + 192, 121 + 192, 255, true},
      {"drag beyond the end", GUI_MOUSE_DRAG, 150, 600, 255, true},
      {"drag before the start", GUI_MOUSE_DRAG, 150, 10, 0, true},
      {"press left of the bar", GUI_MOUSE_PRESS, 120, 120, 200, false},
      {"press right of the bar", GUI_MOUSE_PRESS, 121 + 193, 121 + 193, 200, false},
      {"release on the bar", GUI_MOUSE_RELEASE, 150, 150, 200, false},
  };
  for (const Case& c : kCases) {
    GUISlider theSlider(&mListener, 120, 150, 192, 7, 0, 255, 200, true);
    mListener.mEvents.clear();
    GUIMouseEvent theEvent = Event(c.kind, c.pressX, 154, c.currentX, 154);
    EXPECT_EQ(theSlider.DispatchMouse(0, 0, &theEvent), c.handled) << c.what;
    EXPECT_EQ(theSlider.GetValue(), c.value) << c.what;
    EXPECT_EQ(mListener.mEvents.size(), c.value != 200 ? 1u : 0u) << c.what << ": notified only on change";
  }
}

TEST_F(GuiWidgetTest, SliderRangeRulesAndThumb) {
  GUISlider theSwapped(&mListener, 0, 0, 100, 1, 50, 10, 70, false);
  EXPECT_EQ(theSwapped.GetMinimum(), 10);
  EXPECT_EQ(theSwapped.GetMaximum(), 50);
  EXPECT_EQ(theSwapped.GetValue(), 50) << "value clamped into the range";
  EXPECT_EQ(theSwapped.GetWidth(), 9);
  EXPECT_EQ(theSwapped.GetHeight(), 100);
  EXPECT_EQ(theSwapped.ThumbOffset(), 100);

  GUISlider theVolume(&mListener, 0, 0, 192, 1, 0, 255, 0, true);
  EXPECT_EQ(theVolume.ThumbOffset(), 1);

  // A slider whose minimum equals its maximum stays there, thumb at 0.
  GUISlider theFixed(&mListener, 0, 0, 50, 1, 5, 5, 99, true);
  EXPECT_EQ(theFixed.GetValue(), 5);
  EXPECT_EQ(theFixed.ThumbOffset(), 0);
  mListener.mEvents.clear();
  GUIMouseEvent theDrag = Event(GUI_MOUSE_DRAG, 10, 4, 40, 4);
  EXPECT_TRUE(theFixed.DispatchMouse(0, 0, &theDrag));
  EXPECT_EQ(theFixed.GetValue(), 5);
  EXPECT_TRUE(mListener.mEvents.empty());
  theFixed.Draw(0, 0);

  // Extreme ranges do not overflow.
  GUISlider theWide(&mListener, 0, 0, 100, 1, -2000000000, 2000000000, 0, true);
  GUIMouseEvent thePress = Event(GUI_MOUSE_PRESS, 101, 4, 101, 4);
  theWide.DispatchMouse(0, 0, &thePress);
  EXPECT_EQ(theWide.GetValue(), 2000000000);
}

TEST_F(GuiWidgetTest, LabelSizeComesFromItsTextAndNumberSetters) {
  GUILabel theLabel(&mListener, 10, 15, 1, Buffer("Music volume:"), 0xFFFFFFFF);
  EXPECT_EQ(theLabel.GetWidth(), theLabel.GetFont()->TextWidth(Buffer("Music volume:"), 0, -1));
  EXPECT_EQ(theLabel.GetHeight(), GetFactory()->GetDefaultFontSize() + 1);
  GUILabel theEmpty(&mListener, 0, 0, 1, Buffer(""), 0xFFFFFFFF);
  EXPECT_EQ(theEmpty.GetWidth(), 1) << "an empty label is still a valid widget";

  struct Case {
    unsigned value;
    int digits;
    const char* text;
  } const kHex[] = {{0, 0, ""}, {0, 2, "00"}, {255, 0, "FF"}, {0xAB, 6, "0000AB"}, {1, 15, "0000000001"},
                    {0xDEADBEEF, 0, "DEADBEEF"}};
  for (const Case& c : kHex) {
    theLabel.SetHex(c.value, c.digits);
    Buffer theText(theLabel.GetText());
    EXPECT_STREQ(theText.CStr(), c.text) << c.value << " with " << c.digits << " digits";
  }
  theLabel.SetInt(-42);
  EXPECT_TRUE(theLabel.GetText() == Buffer("-42"));
  theLabel.SetUnsigned(4000000000u);
  EXPECT_TRUE(theLabel.GetText() == Buffer("4000000000"));
  theLabel.SetFloat(1.5f);
  EXPECT_TRUE(theLabel.GetText() == Buffer("1.500000"));
  EXPECT_EQ(theLabel.GetWidth(), theLabel.GetFont()->TextWidth(Buffer("Music volume:"), 0, -1));
}

TEST_F(GuiWidgetTest, ContainerContentGrowsWithRoomForScrollBars) {
  GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
  theView.Add(new ProbeWidget(nullptr, 300, 10, 30, 10, 1));  // reaches x 330
  EXPECT_EQ(theView.GetContentWidth(), 337);
  EXPECT_EQ(theView.GetContentHeight(), 240);
  theView.Add(new ProbeWidget(nullptr, 10, 200, 10, 40, 2));  // reaches y 240, the bar needs room
  EXPECT_EQ(theView.GetContentHeight(), 240) << "fits exactly while no horizontal bar counts";
  theView.Add(new ProbeWidget(nullptr, 10, 236, 10, 1, 3));
  EXPECT_EQ(theView.GetContentHeight(), 240);
  theView.Add(new ProbeWidget(nullptr, 10, 250, 10, 1, 4));
  EXPECT_EQ(theView.GetContentHeight(), 258);
  EXPECT_EQ(theView.GetWidth(), 320) << "a fixed container keeps its size";

  GUIContainer theGrowing(nullptr, 0, 0, 10, 10, "Grows", 0, true);
  GUIContainer* theInner = new GUIContainer(nullptr, 5, 5, 10, 10, "Inner", 0, true);
  theGrowing.Add(theInner);
  EXPECT_EQ(theGrowing.GetWidth(), 15);
  theInner->Add(new ProbeWidget(nullptr, 20, 30, 10, 10, 1));
  EXPECT_EQ(theInner->GetWidth(), 30);
  EXPECT_EQ(theGrowing.GetWidth(), 35) << "the parent relayouts when a child grows";
  EXPECT_EQ(theGrowing.GetHeight(), 45);
}

TEST_F(GuiWidgetTest, WheelAndScrollBarsMoveTheView) {
  GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
  theView.Add(new ProbeWidget(nullptr, 10, 250, 10, 50, 1));  // content height 307
  ASSERT_EQ(theView.GetContentHeight(), 307);

  GUIMouseEvent theWheel = Event(GUI_MOUSE_PRESS, 100, 100, 100, 100, 5);
  EXPECT_TRUE(theView.DispatchMouse(0, 0, &theWheel));
  EXPECT_EQ(theView.GetScrollY(), 10);
  theWheel.kind = GUI_MOUSE_RELEASE;  // the release of the notch scrolls too
  EXPECT_TRUE(theView.DispatchMouse(0, 0, &theWheel));
  EXPECT_EQ(theView.GetScrollY(), 20);
  for (int i = 0; i < 10; ++i) theView.DispatchMouse(0, 0, &theWheel);
  EXPECT_EQ(theView.GetScrollY(), 67) << "stops at content - height";
  EXPECT_FALSE(theView.DispatchMouse(0, 0, &theWheel)) << "no movement, not handled";
  theWheel.button = 4;
  for (int i = 0; i < 10; ++i) theView.DispatchMouse(0, 0, &theWheel);
  EXPECT_EQ(theView.GetScrollY(), 0);

  // Thumb length 240 * 240 / 307 = 187. A press below it pages down.
  GUIMouseEvent theBar = Event(GUI_MOUSE_PRESS, 316, 220, 316, 220);
  EXPECT_TRUE(theView.DispatchMouse(0, 0, &theBar));
  EXPECT_EQ(theView.GetScrollY(), 67);
  // Thumb now at 240 * 67 / 307 = 52: a press above it pages up.
  theBar = Event(GUI_MOUSE_PRESS, 316, 10, 316, 10);
  theView.DispatchMouse(0, 0, &theBar);
  EXPECT_EQ(theView.GetScrollY(), 0);
  // Drag the thumb by 30 pixels: scroll = 307 * 30 / 240 = 38.
  theBar = Event(GUI_MOUSE_PRESS, 316, 100, 316, 100);
  theView.DispatchMouse(0, 0, &theBar);
  theBar.kind = GUI_MOUSE_DRAG;
  theBar.y = 130;
  theView.DispatchMouse(0, 0, &theBar);
  EXPECT_EQ(theView.GetScrollY(), 38);
  theBar.kind = GUI_MOUSE_RELEASE;
  theView.DispatchMouse(0, 0, &theBar);
  theBar.kind = GUI_MOUSE_DRAG;  // after the release a drag no longer moves it
  theBar.y = 200;
  theView.DispatchMouse(0, 0, &theBar);
  EXPECT_EQ(theView.GetScrollY(), 38);

  // Children receive events at the scrolled origin.
  RecordingListener theListener;
  GUIButton* theButton = new GUIButton(&theListener, 10, 60, 50, 20, 9, Buffer("b"), 0, 0, 16);
  theView.Add(theButton);
  GUIMouseEvent theClick = Event(GUI_MOUSE_PRESS, 20, 60 - 38 + 5, 20, 60 - 38 + 5);
  EXPECT_TRUE(theView.DispatchMouse(0, 0, &theClick));
  EXPECT_TRUE(theButton->IsPressed());
}

TEST_F(GuiWidgetTest, FullContainerDiscardsFurtherChildrenAfterThePass) {
  int theDeleted = 0;
  {
    GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
    for (int i = 0; i < GUIContainer::kMaxChildren; ++i)
      ASSERT_TRUE(theView.Add(new ProbeWidget(nullptr, 0, 0, 1, 1, i, &theDeleted)));
    ProbeWidget* theExtra = new ProbeWidget(nullptr, 1000, 1000, 5, 5, 999, &theDeleted);
    EXPECT_FALSE(theView.Add(theExtra));
    EXPECT_EQ(theView.GetChildCount(), 500);
    EXPECT_EQ(theView.GetContentWidth(), 320) << "a refused child does not change the layout";
    EXPECT_EQ(theDeleted, 0) << "the refused child stays valid until the pass ends";
    EXPECT_EQ(theExtra->GetIdentifier(), 999);
    GUISDLHandler::RunDeferredDeletes();
    EXPECT_EQ(theDeleted, 1);
  }
  EXPECT_EQ(theDeleted, 501);
}

TEST_F(GuiWidgetTest, HoverNeverDesignatesARemovedChild) {
  GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
  ProbeWidget* a = new ProbeWidget(nullptr, 0, 0, 50, 50, 1);
  ProbeWidget* b = new ProbeWidget(nullptr, 100, 0, 50, 50, 2);
  ProbeWidget* c = new ProbeWidget(nullptr, 200, 0, 50, 50, 3);
  theView.Add(a);
  theView.Add(b);
  theView.Add(c);
  EXPECT_TRUE(theView.OnMouseOver(120, 10));
  EXPECT_EQ(theView.GetHoveredIndex(), 1);
  EXPECT_TRUE(theView.OnKey(32, 32, 0));
  EXPECT_EQ(b->mKeys.size(), 1u);

  delete theView.RemoveChild(1);  // a child before the hovered one
  EXPECT_EQ(theView.GetHoveredIndex(), 0) << "the hover follows b";
  EXPECT_TRUE(theView.OnKey(33, 33, 0));
  EXPECT_EQ(b->mKeys.size(), 2u);

  delete theView.RemoveChild(2);  // the hovered child itself
  EXPECT_EQ(theView.GetHoveredIndex(), -1);
  EXPECT_FALSE(theView.OnKey(34, 34, 0));
  EXPECT_EQ(theView.RemoveChild(2), nullptr);

  EXPECT_TRUE(theView.OnMouseOver(210, 10));
  EXPECT_EQ(theView.FindChild(3), c);
  theView.Clear();
  EXPECT_EQ(theView.GetHoveredIndex(), -1);
  EXPECT_EQ(theView.GetChildCount(), 0);
  EXPECT_FALSE(theView.OnKey(35, 35, 0));
  theView.OnMouseLeave();
  GUISDLHandler::RunDeferredDeletes();
}

TEST_F(GuiWidgetTest, MovingTheHoverTellsThePreviousChild) {
  GUIContainer theView(nullptr, 0, 0, 320, 240, "View", 0, false);
  ProbeWidget* a = new ProbeWidget(nullptr, 0, 0, 50, 50, 1);
  ProbeWidget* b = new ProbeWidget(nullptr, 100, 0, 50, 50, 2);
  theView.Add(a);
  theView.Add(b);
  theView.OnMouseOver(10, 10);
  theView.OnMouseOver(110, 10);
  EXPECT_EQ(a->mLeaves, 1);
  EXPECT_FALSE(theView.OnMouseOver(400, 10)) << "outside the container";
  EXPECT_EQ(b->mLeaves, 1);
}

using GuiWidgetDeathTest = GuiWidgetTest;

TEST_F(GuiWidgetDeathTest, ContractViolationsEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(ProbeWidget(nullptr, 0, 0, 0, 10, 1), "width and height must not be 0");
  EXPECT_DEATH(
      {
        GUIContainer theView(nullptr, 0, 0, 10, 10, "V", 0, false);
        theView.Add(new ProbeWidget(nullptr, -1, 0, 1, 1, 1));
      },
      "negative position");
  EXPECT_DEATH(
      {
        GUIContainer theView(nullptr, 0, 0, 10, 10, "V", 0, false);
        ProbeWidget* w = new ProbeWidget(nullptr, 0, 0, 1, 1, 1);
        theView.Add(w);
        theView.Add(w);
      },
      "already has a parent");
}

}  // namespace
