#include "guisdlhandler.h"

#include <SDL/SDL.h>

#include <cstdlib>

#include "basicexception.h"
#include "guicontainer.h"
#include "zassert.h"

namespace {

GUISDLHandler* gHandler = nullptr;  // created on first use, never destroyed
GUIMouseEvent gMouseEvent = {0, 0, 0, 0, 0, 0};

constexpr int kDeferredGrowth = 10;

}  // namespace

GUISDLHandler::GUISDLHandler()
    : mCount(0),
      mDeferredCapacity(0),
      mDeferredCount(0),
      mDeferred(nullptr),
      mDeleting(false),
      mAlwaysRedraw(false),
      mWindowWidth(0),
      mWindowHeight(0) {
  for (GUIContainer*& theEntry : mStack) theEntry = nullptr;
  if (SDL_Surface* theScreen = SDL_GetVideoSurface()) {
    mWindowWidth = theScreen->w;
    mWindowHeight = theScreen->h;
  }
}

GUISDLHandler::~GUISDLHandler() { std::free(mDeferred); }

GUISDLHandler& GUISDLHandler::Get() {
  if (!gHandler) gHandler = new GUISDLHandler();
  return *gHandler;
}

void GUISDLHandler::Push(GUIContainer* inContainer) {
  GUISDLHandler& h = Get();
  if (h.mCount >= kMaxContainers) throw BasicException(" Too much GUIContainers stacked in GUISDLHandler!");
  h.mStack[h.mCount++] = inContainer;
}

void GUISDLHandler::Pop() {
  GUISDLHandler& h = Get();
  if (h.mCount <= 0) throw BasicException(" Pop on empty stack in GUISDLHandler!");
  h.mStack[--h.mCount] = nullptr;
}

GUIContainer* GUISDLHandler::GetUI(int inIndex) {
  GUISDLHandler& h = Get();
  if (inIndex < 0 || inIndex >= h.mCount) throw BasicException("GetUI on empty stack in GUISDLHandler!");
  return h.mStack[inIndex];
}

bool GUISDLHandler::Remove(GUIContainer* inContainer) {
  GUISDLHandler& h = Get();
  for (int i = h.mCount - 1; i >= 0; --i) {
    if (h.mStack[i] != inContainer) continue;
    for (int j = i; j + 1 < h.mCount; ++j) h.mStack[j] = h.mStack[j + 1];
    h.mStack[--h.mCount] = nullptr;
    return true;
  }
  return false;
}

int GUISDLHandler::Size() { return Get().mCount; }

void GUISDLHandler::DeferDelete(GUIWidget* inWidget) {
  if (!inWidget) return;
  GUISDLHandler& h = Get();
  if (h.mDeleting) {
    delete inWidget;
    return;
  }
  if (h.mDeferredCount == h.mDeferredCapacity) {
    const int theCapacity = h.mDeferredCapacity + kDeferredGrowth;
    void* theGrown = std::realloc(h.mDeferred, sizeof(GUIWidget*) * static_cast<size_t>(theCapacity));
    if (!theGrown) {
      delete inWidget;  // no room to wait: better now than never
      return;
    }
    h.mDeferred = static_cast<GUIWidget**>(theGrown);
    h.mDeferredCapacity = theCapacity;
  }
  h.mDeferred[h.mDeferredCount++] = inWidget;
}

void GUISDLHandler::RunDeferredDeletes() {
  GUISDLHandler& h = Get();
  if (h.mDeleting) return;
  h.mDeleting = true;
  // Deleting may hand over more widgets; those are deleted at once.
  for (int i = 0; i < h.mDeferredCount; ++i) delete h.mDeferred[i];
  h.mDeferredCount = 0;
  h.mDeleting = false;
}

int GUISDLHandler::ActiveContainers(GUIContainer** outActive) const {
  int theCount = 0;
  for (int i = mCount - 1; i >= 0; --i) {
    outActive[theCount++] = mStack[i];
    if (mStack[i]->IsModal()) break;
  }
  return theCount;  // top first; the lowest active container is last
}

void GUISDLHandler::DispatchMouse(GUIContainer** inActive, int inCount) {
  for (int i = inCount - 1; i >= 0; --i)
    if (inActive[i]->DispatchMouse(0, 0, &gMouseEvent)) return;
}

bool GUISDLHandler::HandleEvents(bool* outSomethingHappened) {
  GUISDLHandler& h = Get();
  bool theSomething = h.mAlwaysRedraw;
  bool theQuit = false;
  GUIContainer* theActive[kMaxContainers];
  const int theActiveCount = h.ActiveContainers(theActive);

  SDL_Event theEvent;
  while (SDL_PollEvent(&theEvent)) {
    theSomething = true;
    switch (theEvent.type) {
      case SDL_KEYDOWN:
        for (int i = theActiveCount - 1; i >= 0; --i)
          if (theActive[i]->DispatchKey(theEvent.key.keysym.sym, theEvent.key.keysym.unicode,
                                        theEvent.key.keysym.mod))
            break;
        break;
      case SDL_MOUSEMOTION:
        if (gMouseEvent.button >= 1 && gMouseEvent.button <= 8 &&
            (theEvent.motion.state & (1u << (gMouseEvent.button - 1)))) {
          gMouseEvent.kind = GUI_MOUSE_DRAG;
          gMouseEvent.x = theEvent.motion.x;
          gMouseEvent.y = theEvent.motion.y;
          h.DispatchMouse(theActive, theActiveCount);
        }
        break;
      case SDL_MOUSEBUTTONDOWN: {
        const int theButton = theEvent.button.button;
        if (gMouseEvent.button != 0 && theButton != gMouseEvent.button) {
          gMouseEvent.kind = GUI_MOUSE_RELEASE;
          gMouseEvent.x = theEvent.button.x;
          gMouseEvent.y = theEvent.button.y;
          h.DispatchMouse(theActive, theActiveCount);
        }
        if (theButton != 4 && theButton != 5) {
          for (int i = theActiveCount - 1; i >= 0; --i)
            if (theActive[i]->OnMouseOver(theEvent.button.x, theEvent.button.y)) break;
        }
        gMouseEvent.pressX = gMouseEvent.x = theEvent.button.x;
        gMouseEvent.pressY = gMouseEvent.y = theEvent.button.y;
        gMouseEvent.button = theButton;
        gMouseEvent.kind = GUI_MOUSE_PRESS;
        h.DispatchMouse(theActive, theActiveCount);
        break;
      }
      case SDL_MOUSEBUTTONUP:
        gMouseEvent.kind = GUI_MOUSE_RELEASE;
        gMouseEvent.x = theEvent.button.x;
        gMouseEvent.y = theEvent.button.y;
        h.DispatchMouse(theActive, theActiveCount);
        break;
      case SDL_QUIT:
        theQuit = true;
        break;
      case SDL_VIDEORESIZE:
        h.mWindowWidth = theEvent.resize.w;
        h.mWindowHeight = theEvent.resize.h;
        break;
      default:
        break;
    }
  }
  RunDeferredDeletes();
  if (outSomethingHappened) *outSomethingHappened = theSomething;
  return theQuit;
}

int GUISDLHandler::GetWindowWidth() { return Get().mWindowWidth; }
int GUISDLHandler::GetWindowHeight() { return Get().mWindowHeight; }
const GUIMouseEvent& GUISDLHandler::GetMouseEvent() { return gMouseEvent; }
