// GUISDLHandler: the one process-wide link between SDL's event queue and the
// GUI toolkit. It keeps the stack of top-level containers (the window's main
// container at the bottom, drop-downs above it), turns SDL events into key
// and mouse calls on them, and deletes removed widgets once an event pass is
// over, so that a widget may remove itself from inside its own handling.
//
// Containers on the stack are not owned: whoever created one pops it before
// destroying it. Main thread only.
#pragma once

#include "guiwidget.h"

class GUIContainer;

class GUISDLHandler {
 public:
  static constexpr int kMaxContainers = 128;

  // Puts inContainer on top. Throws BasicException when 128 are stacked.
  static void Push(GUIContainer* inContainer);
  // Removes the top container without deleting it. Throws when empty.
  static void Pop();
  // The container at inIndex (0 is the bottom). Throws when out of range.
  static GUIContainer* GetUI(int inIndex);
  // Takes inContainer off the stack wherever it is (for owners that destroy
  // a container that may still be stacked); false when it was not stacked.
  static bool Remove(GUIContainer* inContainer);
  static int Size();
  // Deletes inWidget at the end of the current event pass (at once while the
  // deferred deletion itself runs). Takes ownership; null is ignored.
  static void DeferDelete(GUIWidget* inWidget);
  // Deletes every widget handed to DeferDelete so far. HandleEvents does so
  // at the end of each pass; owners call it after their last pass.
  static void RunDeferredDeletes();
  // Delivers every pending SDL event. *outSomethingHappened tells whether any
  // event arrived; returns true when SDL reported a quit request.
  static bool HandleEvents(bool* outSomethingHappened);

  static int GetWindowWidth();
  static int GetWindowHeight();
  // The mouse state shared by all containers (the last button pressed stays).
  static const GUIMouseEvent& GetMouseEvent();

 private:
  GUISDLHandler();
  ~GUISDLHandler();
  static GUISDLHandler& Get();
  int ActiveContainers(GUIContainer** outActive) const;
  void DispatchMouse(GUIContainer** inActive, int inCount);

  GUIContainer* mStack[kMaxContainers];
  int mCount;
  int mDeferredCapacity;
  int mDeferredCount;
  GUIWidget** mDeferred;
  bool mDeleting;
  bool mAlwaysRedraw;
  int mWindowWidth;
  int mWindowHeight;
};
