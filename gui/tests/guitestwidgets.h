// Observers for the toolkit tests: a listener that records notifications and
// widgets that report their own destruction.
#pragma once

#include <vector>

#include "guicontainer.h"
#include "guiwidget.h"

struct Notification {
  GUIWidget* widget;
  int identifier;
};

class RecordingListener : public GUIListener {
 public:
  void Build(GUIContainer*) override {}
  void OnEvent(GUIWidget* inWidget, int inIdentifier, void*) override { mEvents.push_back({inWidget, inIdentifier}); }
  std::vector<Notification> mEvents;
};

// A plain box that answers OnMouseOver inside itself and counts deletions.
class ProbeWidget : public GUIWidget {
 public:
  ProbeWidget(GUIListener* inListener, int inX, int inY, int inW, int inH, int inId, int* ioDeleted = nullptr)
      : GUIWidget(inListener, inX, inY, inW, inH, inId), mDeleted(ioDeleted) {}
  ~ProbeWidget() override {
    if (mDeleted) ++*mDeleted;
  }
  void DrawAt(int, int) override {}
  bool OnMouseOver(int inX, int inY) override {
    return inX >= mX && inX < mX + mWidth && inY >= mY && inY < mY + mHeight;
  }
  bool OnKey(int inSymbol, int, int) override {
    mKeys.push_back(inSymbol);
    return true;
  }
  void OnMouseLeave() override { ++mLeaves; }
  std::vector<int> mKeys;
  int mLeaves = 0;

 private:
  int* mDeleted;
};

// A top-level container that records every mouse event offered to it.
class RecordingContainer : public GUIContainer {
 public:
  RecordingContainer(int inX, int inY, int inW, int inH, bool inHandles = false)
      : GUIContainer(nullptr, inX, inY, inW, inH, "Recording", 0, false), mHandles(inHandles) {}
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override {
    mEvents.push_back(*inEvent);
    return GUIContainer::HandleMouse(inOriginX, inOriginY, inEvent) || mHandles;
  }
  std::vector<GUIMouseEvent> mEvents;
  bool mHandles;
};
