// GUIContainer: a widget that owns and lays out child widgets, clips them to
// its rectangle and scrolls them when their content is larger than the view.
#pragma once

#include "guiwidget.h"

class GUIContainer : public GUIWidget {
 public:
  static constexpr int kMaxChildren = 500;
  static constexpr int kScrollBarSize = 7;  // pixels
  static constexpr int kWheelStep = 10;     // pixels per wheel event

  // inName is not owned and must outlive the container. A growing container
  // widens and heightens itself to hold its children; a fixed one keeps its
  // size and scrolls.
  GUIContainer(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, const char* inName,
               int inIdentifier, bool inGrowsWithContent);
  // Deletes every child.
  ~GUIContainer() override;

  void DrawAt(int inOriginX, int inOriginY) override;
  bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent) override;
  bool OnKey(int inSymbol, int inCharacter, int inModifiers) override;
  bool OnMouseOver(int inX, int inY) override;
  void OnMouseLeave() override;
  // Hands every child to deferred deletion and returns to the initial size
  // with no scrolling and nothing hovered.
  virtual void Clear();

  // Takes ownership. A child at a negative position or one that already has a
  // parent ends the program. When the container is full the child is handed
  // to deferred deletion instead (it stays valid until the end of the current
  // event pass) and false is returned.
  bool Add(GUIWidget* inChild);
  GUIWidget* FindChild(int inIdentifier) const;
  // Unlinks the first child with that identifier and returns it (the caller
  // disposes of it), or null. The hovered child never designates a removed one.
  GUIWidget* RemoveChild(int inIdentifier);
  void SetModal(bool inModal) { mModal = inModal; }
  bool IsModal() const { return mModal; }
  // Recomputes the content size from every child.
  void Relayout();

  const char* GetName() const { return mName; }
  int GetChildCount() const { return mChildCount; }
  GUIWidget* GetChild(int inIndex) const;
  int GetHoveredIndex() const { return mHovered; }
  int GetContentWidth() const { return mContentWidth; }
  int GetContentHeight() const { return mContentHeight; }
  int GetScrollX() const { return mScrollX; }
  int GetScrollY() const { return mScrollY; }

 private:
  void Fit(GUIWidget* inChild);
  void ClearHover();

  const char* mName;
  int mChildCount;
  GUIWidget* mChildren[kMaxChildren];
  bool mMouseOverChild;
  int mHovered;  // index of the hovered child, -1 for none
  bool mModal;
  bool mGrowsWithContent;
  int mInitialWidth;
  int mInitialHeight;
  int mContentWidth;
  int mContentHeight;
  int mScrollX;
  int mScrollY;
};
