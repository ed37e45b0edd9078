// Authoring mode's timeline strip along the bottom of the window: the events
// of every track around the current time (the highest track, which runs
// first, on top), a ruler in seconds, the loop's range and the playhead. A
// click seeks to the time under the mouse, a drag scrubs (the transport moves
// the music as for the seek keys), the wheel zooms about the mouse.
//
// Like the display, the strip is composed by the processor into one image
// and shown as one textured quad; the image is only composed again when what
// it shows changes (the span, the demo, the loop, the window), and the
// playhead is a second quad over it, textured from a texel of its own colour
// kept under the image, so a playing frame costs two quads and no upload.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "demo.h"

class OGLFont;
class OGLGUIFactory;
class Transport;

// The strip's time span and the time under each x, for a strip inWidth pixels wide.
class StripView {
 public:
  // The demo's running time; a new end shows up to the first minute again.
  void SetEnd(uint32_t inEndMs);
  // Keeps inNowMs in view, a page at a time, so the picture holds still
  // while the playhead crosses it.
  void Follow(uint32_t inNowMs);
  // Wheel steps (positive: closer), keeping the time under inX where it is.
  void Zoom(int inSteps, int inX, int inWidth);
  uint32_t TimeAt(int inX, int inWidth) const;
  double XOf(double inMs, int inWidth) const;
  uint32_t From() const { return mFrom; }
  uint32_t Span() const { return mSpan; }

  static constexpr uint32_t kDefaultSpanMs = 60000;
  static constexpr uint32_t kShortestSpanMs = 1000;

 private:
  uint32_t mEnd = UINT32_MAX;  // none yet
  uint32_t mFrom = 0;
  uint32_t mSpan = kDefaultSpanMs;
};

class TimelineStrip {
 public:
  TimelineStrip();
  ~TimelineStrip();
  TimelineStrip(const TimelineStrip&) = delete;
  TimelineStrip& operator=(const TimelineStrip&) = delete;

  void Toggle() { mShown = !mShown; }
  bool Shown() const { return mShown; }
  // The strip's height in a window inWindowHeight pixels high for inTracks tracks.
  static int Height(int inWindowHeight, uint32_t inTracks);

  // Mouse events over the shown strip, and a drag begun on it until the
  // button is let go: true when taken.
  bool OnEvent(const SDL_Event& inEvent, int inWidth, int inHeight, const Demo& inDemo, Transport& ioTransport);
  // Needs a current OpenGL context and tracker, which is left as it was found.
  void Draw(int inWidth, int inHeight, const Demo& inDemo, uint32_t inNowMs, const Transport& inTransport);
  // Drops the texture and the font while their context and tracker exist
  // (before a reload), and forgets the composed image.
  void Release();

  const StripView& View() const { return mView; }

 private:
  // What the composed image shows; composed again when any of it changes.
  struct Picture {
    const Demo* demo = nullptr;
    uint32_t from = 0, span = 0, loopStart = 0, loopEnd = 0;
    int width = 0, height = 0;
    bool looping = false;
    bool operator==(const Picture& inOther) const;
  };
  void Compose(const Picture& inShown, const Demo& inDemo);
  void Upload(int inWidth, int inHeight);
  void ShowQuads(int inWidth, int inHeight, double inPlayheadX);

  StripView mView;
  bool mShown = false;
  bool mDragging = false;
  Picture mComposed;
  bool mUploaded = false;
  std::unique_ptr<OGLGUIFactory> mFactory;
  std::unique_ptr<OGLFont> mFont;
  bool mNoFont = false;          // the font could not be made: the strip goes without its labels
  std::vector<uint8_t> mPixels;  // width x (height + 1) premultiplied RGBA; the extra row holds the playhead's colour
  unsigned mTexture = 0;
  int mTextureWidth = 0, mTextureHeight = 0;
};
