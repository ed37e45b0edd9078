// The base classes of the GUI toolkit: widgets, text widgets and listeners.
//
// Widgets live in a GUIContainer, which owns them. Positions are pixels
// relative to the parent container's content origin; the absolute origin of
// that content is passed to every drawing and mouse call. User actions are
// reported to the widget's listener with the widget's identifier.
#pragma once

#include <cstdint>

#include "buffer.h"

class GUIContainer;
class GUIFont;
class GUIWidget;

// Kinds of GUIMouseEvent::kind.
enum GUIMouseKind : int32_t { GUI_MOUSE_PRESS = 0, GUI_MOUSE_DRAG = 1, GUI_MOUSE_RELEASE = 2 };

// What every mouse handler receives; absolute window pixels.
struct GUIMouseEvent {
  int32_t pressX;  // where the current button went down
  int32_t pressY;
  int32_t x;  // current point
  int32_t y;
  int32_t button;  // SDL button: 1 left, 2 middle, 3 right, 4 wheel up, 5 wheel down
  int32_t kind;    // GUIMouseKind
};

class GUIListener {
 public:
  virtual ~GUIListener();
  // Creates the listener's widgets in inContainer.
  virtual void Build(GUIContainer* inContainer) = 0;
  // A widget reports a user action.
  virtual void OnEvent(GUIWidget* inWidget, int inIdentifier, void* inUserData) = 0;
  // Forward to the attached container.
  virtual bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent);
  virtual bool OnKey(int inSymbol, int inCharacter, int inModifiers);

  // Remembers inContainer (not owned) and builds into it.
  void Attach(GUIContainer* inContainer);
  GUIContainer* GetContainer() const { return mContainer; }

 protected:
  GUIListener();
  GUIContainer* mContainer;
};

class GUIWidget {
 public:
  // A width or height of 0 ends the program; negative sizes are made positive.
  GUIWidget(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier);
  virtual ~GUIWidget();
  GUIWidget(const GUIWidget&) = delete;
  GUIWidget& operator=(const GUIWidget&) = delete;

  // Draws at the parent's absolute content origin.
  virtual void DrawAt(int inOriginX, int inOriginY) = 0;
  virtual bool HandleMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent);
  virtual bool OnKey(int inSymbol, int inCharacter, int inModifiers);
  // Whether (inX, inY), relative to the parent's content, is over this widget.
  virtual bool OnMouseOver(int inX, int inY);
  virtual void OnMouseLeave();

  void Draw(int inOriginX, int inOriginY);  // only when visible
  bool DispatchMouse(int inOriginX, int inOriginY, GUIMouseEvent* inEvent);  // only when enabled
  bool DispatchKey(int inSymbol, int inCharacter, int inModifiers);          // only when enabled
  void Notify();

  int GetIdentifier() const { return mIdentifier; }
  int GetX() const { return mX; }
  int GetY() const { return mY; }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  bool IsVisible() const { return mVisible; }
  bool IsEnabled() const { return mEnabled; }
  void SetVisible(bool inVisible) { mVisible = inVisible; }
  void SetEnabled(bool inEnabled) { mEnabled = inEnabled; }
  GUIListener* GetListener() const { return mListener; }
  GUIContainer* GetParent() const { return mParent; }
  void SetParent(GUIContainer* inParent) { mParent = inParent; }
  // User data is owned: allocated with malloc, freed with free when replaced
  // and with the widget.
  void SetUserData(void* inData);
  void* GetUserData() const { return mUserData; }

 protected:
  // Whether the absolute point lies on this widget drawn at the origin.
  bool Contains(int inOriginX, int inOriginY, int inX, int inY) const;

  int mIdentifier;
  int mX;
  int mY;
  int mWidth;
  int mHeight;
  bool mVisible;
  bool mEnabled;
  GUIListener* mListener;
  GUIContainer* mParent;
  void* mUserData;
};

// A widget that shows text in a font from the factory's cache.
class GUITextWidget : public GUIWidget {
 public:
  // An empty font name means the factory's default name, size 0 its default
  // size. Throws BasicException when the font cannot be had.
  GUITextWidget(GUIListener* inListener, int inX, int inY, int inWidth, int inHeight, int inIdentifier,
                uint32_t inTextColour, const Buffer& inFontName, int inFontSize);
  ~GUITextWidget() override;

  virtual void SetTextColour(uint32_t inColour);
  // Acquires the new font; the old one is released only when that succeeded.
  virtual void SetFont(const Buffer& inName, int inSize);
  virtual void SetFontName(const Buffer& inName);
  virtual void SetFontSize(int inSize);

  uint32_t GetTextColour() const { return mTextColour; }
  GUIFont* GetFont() const { return mFont; }

 protected:
  uint32_t mTextColour;
  GUIFont* mFont;
};
