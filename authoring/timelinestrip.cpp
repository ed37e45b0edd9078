#include "timelinestrip.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "basicexception.h"
#include "buffer.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>
#include "transport.h"
#include "writelog.h"

namespace {

const int kRuler = 14;        // pixels: the ruler along the strip's top
const int kFontSize = 11;     // the ruler's and the bars' labels
const int kRowMost = 14;      // pixels a track's row takes at most
const int kRowLeast = 2;      // ... and at least
const int kLabelRow = 12;     // rows at least this high carry the effect's name
const double kZoomStep = 0.8;  // the span's factor per wheel step closer

// Colours, 0xAARRGGBB, made premultiplied when drawn.
const uint32_t kBackground = 0xFF101014;  // opaque: drawn without blending, which costs a software renderer most
const uint32_t kRulerShade = 0xFF202028;
const uint32_t kRowShade = 0x18FFFFFF;
const uint32_t kTick = 0xFFA0A0A8;
const uint32_t kLabel = 0xFFE0E0E0;
const uint32_t kBarLabel = 0xFF101010;
const uint32_t kLoopOn = 0x5040C060;
const uint32_t kLoopOff = 0x28808080;
const uint32_t kLoopEdge = 0xFF60E080;
const uint32_t kPlayhead = 0xFFFFD040;
const uint32_t kPalette[] = {0xFF8FB8DE, 0xFFF2B880, 0xFF9CD49C, 0xFFE8A0A8, 0xFFC3A8E0,
                             0xFFE6D47A, 0xFF8FD3CF, 0xFFD9B39A, 0xFFB8C87A, 0xFFC9C9C9};

uint32_t EffectColour(const char* inName) {
  uint32_t theHash = 2166136261u;  // the colours zorbit-info --timeline gives the same effects
  for (const char* p = inName != nullptr ? inName : ""; *p != 0; ++p) theHash = (theHash ^ uint8_t(*p)) * 16777619u;
  return kPalette[theHash % (sizeof kPalette / sizeof kPalette[0])];
}

// Premultiplied RGBA pixels, blended source-over.
class Image {
 public:
  Image(std::vector<uint8_t>& ioPixels, int inWidth, int inHeight) : mPixels(ioPixels), mWidth(inWidth), mHeight(inHeight) {}
  void Fill(int inX0, int inY0, int inX1, int inY1, uint32_t inColour) {
    inX0 = std::max(inX0, 0);
    inY0 = std::max(inY0, 0);
    inX1 = std::min(inX1, mWidth);
    inY1 = std::min(inY1, mHeight);
    const uint32_t theAlpha = inColour >> 24;
    const uint8_t theSource[4] = {uint8_t(((inColour >> 16) & 0xFF) * theAlpha / 255),
                                  uint8_t(((inColour >> 8) & 0xFF) * theAlpha / 255), uint8_t((inColour & 0xFF) * theAlpha / 255),
                                  uint8_t(theAlpha)};
    for (int y = inY0; y < inY1; ++y) {
      uint8_t* theRow = &mPixels[(size_t(y) * mWidth + inX0) * 4];
      for (int x = inX0; x < inX1; ++x, theRow += 4) {
        if (theAlpha == 255) {
          std::memcpy(theRow, theSource, 4);
          continue;
        }
        for (int c = 0; c < 4; ++c) theRow[c] = uint8_t(theSource[c] + theRow[c] * (255 - theAlpha) / 255);
      }
    }
  }

 private:
  std::vector<uint8_t>& mPixels;
  int mWidth, mHeight;
};

int RowHeight(int inWindowHeight, uint32_t inTracks) {
  if (inTracks == 0) return kRowMost;
  const int theRoom = std::max(0, inWindowHeight / 6 - kRuler);
  return std::clamp(theRoom / int(inTracks), kRowLeast, kRowMost);
}

std::string TimeLabel(uint32_t inMs, uint32_t inStep) {
  char theText[32];
  if (inStep < 1000) {
    std::snprintf(theText, sizeof theText, "%u:%02u.%u", inMs / 60000, inMs / 1000 % 60, inMs / 100 % 10);
  } else {
    std::snprintf(theText, sizeof theText, "%u:%02u", inMs / 60000, inMs / 1000 % 60);
  }
  return theText;
}

}  // namespace

// ---------------------------------------------------------------------------

void StripView::SetEnd(uint32_t inEndMs) {
  if (inEndMs == mEnd) return;
  mEnd = inEndMs;
  mFrom = 0;
  mSpan = std::max(kShortestSpanMs, std::min(kDefaultSpanMs, inEndMs));
}

void StripView::Follow(uint32_t inNowMs) {
  if (inNowMs >= mFrom && inNowMs <= mFrom + uint64_t(mSpan)) return;
  const uint32_t theLatest = mEnd > mSpan ? mEnd - mSpan : 0;
  mFrom = std::min(theLatest, inNowMs > mSpan / 10 ? inNowMs - mSpan / 10 : 0);
}

void StripView::Zoom(int inSteps, int inX, int inWidth) {
  if (inWidth <= 0 || inSteps == 0) return;
  const double theShare = double(std::clamp(inX, 0, inWidth)) / inWidth;
  const double theAt = mFrom + theShare * mSpan;
  const uint32_t theLongest = std::max(kShortestSpanMs, mEnd);
  const double theSpan = std::clamp(mSpan * std::pow(kZoomStep, inSteps), double(kShortestSpanMs), double(theLongest));
  mSpan = uint32_t(theSpan);
  const double theFrom = std::round(theAt - theShare * mSpan);
  const uint32_t theLatest = mEnd > mSpan ? mEnd - mSpan : 0;
  mFrom = uint32_t(std::clamp(theFrom, 0.0, double(theLatest)));
}

uint32_t StripView::TimeAt(int inX, int inWidth) const {
  if (inWidth <= 0) return mFrom;
  const double theX = std::clamp(inX, 0, inWidth - 1) + 0.5;  // the middle of the pixel
  const double theTime = mFrom + theX * mSpan / inWidth;
  return uint32_t(std::min(theTime, double(mEnd)));
}

double StripView::XOf(double inMs, int inWidth) const { return (inMs - mFrom) * inWidth / mSpan; }

// ---------------------------------------------------------------------------

TimelineStrip::TimelineStrip() = default;
TimelineStrip::~TimelineStrip() = default;

bool TimelineStrip::Picture::operator==(const Picture& inOther) const {
  return demo == inOther.demo && from == inOther.from && span == inOther.span && loopStart == inOther.loopStart &&
         loopEnd == inOther.loopEnd && width == inOther.width && height == inOther.height && looping == inOther.looping;
}

int TimelineStrip::Height(int inWindowHeight, uint32_t inTracks) {
  return kRuler + RowHeight(inWindowHeight, inTracks) * int(std::max(1u, inTracks));
}

bool TimelineStrip::OnEvent(const SDL_Event& inEvent, int inWidth, int inHeight, const Demo& inDemo,
                            Transport& ioTransport) {
  if (!mShown || inWidth <= 0) {
    mDragging = false;
    return false;
  }
  mView.SetEnd(uint32_t(std::max<int32_t>(0, inDemo.runningTime)));
  const int theTop = inHeight - Height(inHeight, inDemo.trackCount);
  switch (inEvent.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (inEvent.button.y < theTop) return false;
      if (inEvent.button.button == SDL_BUTTON_LEFT) {
        mDragging = true;
        ioTransport.SeekTo(mView.TimeAt(inEvent.button.x, inWidth));
      } else if (inEvent.button.button == SDL_BUTTON_WHEELUP || inEvent.button.button == SDL_BUTTON_WHEELDOWN) {
        mView.Zoom(inEvent.button.button == SDL_BUTTON_WHEELUP ? 1 : -1, inEvent.button.x, inWidth);
      }
      return true;
    case SDL_MOUSEMOTION:
      if (!mDragging) return false;
      // Scrubbing: every move is a seek, the music following.
      if (mView.TimeAt(inEvent.motion.x, inWidth) != ioTransport.NowMs())
        ioTransport.SeekTo(mView.TimeAt(inEvent.motion.x, inWidth));
      return true;
    case SDL_MOUSEBUTTONUP:
      if (mDragging && inEvent.button.button == SDL_BUTTON_LEFT) {
        mDragging = false;
        return true;
      }
      return inEvent.button.y >= theTop;
    default:
      return false;
  }
}

void TimelineStrip::Compose(const Picture& inShown, const Demo& inDemo) {
  const int theWidth = inShown.width;
  const int theHeight = inShown.height;
  mPixels.assign(size_t(theWidth) * (theHeight + 1) * 4, 0);
  Image theImage(mPixels, theWidth, theHeight + 1);
  theImage.Fill(0, 0, theWidth, theHeight, kBackground);
  theImage.Fill(0, 0, theWidth, kRuler, kRulerShade);
  const int theRow = (theHeight - kRuler) / int(std::max(1u, inDemo.trackCount));
  // Tracks as zorbit-info --timeline shows them: the highest, which runs first, on top.
  const uint32_t theEnd = inShown.from + inShown.span;
  std::vector<Buffer> theNames;
  std::vector<OGLFont::TextLine> theLines;
  theNames.reserve(inDemo.trackCount * 8 + 64);
  for (uint32_t k = 0; k < inDemo.trackCount; ++k) {
    const uint32_t theTrack = inDemo.trackCount - 1 - k;
    const int theTop = kRuler + int(k) * theRow;
    if (k % 2 == 1) theImage.Fill(0, theTop, theWidth, theTop + theRow, kRowShade);
    const Track& theEvents = inDemo.tracks[theTrack];
    for (uint32_t e = 0; e < theEvents.eventCount; ++e) {
      const Event& theEvent = theEvents.events[e];
      const uint32_t theLast = std::max(theEvent.endTime, theEvent.startTime);
      if (theLast < inShown.from || theEvent.startTime > theEnd) continue;
      const int theX0 = int(std::floor(mView.XOf(theEvent.startTime, theWidth)));
      const int theX1 = std::max(theX0 + 1, int(std::ceil(mView.XOf(theLast, theWidth))));
      theImage.Fill(theX0, theTop, theX1, theTop + std::max(1, theRow - (theRow >= 4 ? 1 : 0)), EffectColour(theEvent.functionName));
      theImage.Fill(theX0, theTop, theX0 + 1, theTop + theRow, 0x80000000);
      if (mFont && theRow >= kLabelRow && theX1 - theX0 > 40 && theEvent.functionName != nullptr && theNames.size() < theNames.capacity()) {
        theNames.emplace_back(theEvent.functionName);
        theLines.push_back({std::max(theX0, 0) + 3, theTop, &theNames.back(), kBarLabel});
      }
    }
  }
  // The ruler: a labelled mark at least 70 pixels apart, minor marks between.
  static const uint32_t kSteps[] = {100, 200, 500, 1000, 2000, 5000, 10000, 15000, 30000, 60000, 120000, 300000, 600000, 1800000, 3600000};
  uint32_t theStep = kSteps[sizeof kSteps / sizeof kSteps[0] - 1];
  for (uint32_t theCandidate : kSteps)
    if (mView.XOf(inShown.from + double(theCandidate), theWidth) >= 70) {
      theStep = theCandidate;
      break;
    }
  const uint32_t theMinor = theStep % 5 == 0 ? theStep / 5 : theStep / 3;
  for (uint64_t t = (inShown.from + theMinor - 1) / theMinor * uint64_t(theMinor); t <= theEnd; t += theMinor) {
    const int theX = int(mView.XOf(double(t), theWidth));
    const bool theMajor = t % theStep == 0;
    theImage.Fill(theX, theMajor ? 0 : kRuler - 4, theX + 1, kRuler, kTick);
    if (theMajor && mFont && theNames.size() < theNames.capacity()) {
      theNames.emplace_back(TimeLabel(uint32_t(t), theStep).c_str());
      theLines.push_back({theX + 3, 1, &theNames.back(), kLabel});
    }
  }
  if (inShown.loopEnd > inShown.loopStart) {
    const int theX0 = int(mView.XOf(inShown.loopStart, theWidth));
    const int theX1 = int(mView.XOf(inShown.loopEnd, theWidth));
    theImage.Fill(theX0, kRuler, theX1, theHeight, inShown.looping ? kLoopOn : kLoopOff);
    theImage.Fill(theX0, 0, theX0 + 1, theHeight, kLoopEdge);
    theImage.Fill(theX1 - 1, 0, theX1, theHeight, kLoopEdge);
  }
  if (mFont && !theLines.empty()) mFont->RenderLines(theLines.data(), theLines.size(), mPixels.data(), theWidth, theHeight);
  // The playhead's texel, under the image.
  theImage.Fill(0, theHeight, std::min(theWidth, 4), theHeight + 1, kPlayhead);
}

void TimelineStrip::Release() {
  if (mTexture != 0) glDeleteTextures(1, &mTexture);
  mTexture = 0;
  mTextureWidth = mTextureHeight = 0;
  mUploaded = false;
  mComposed = Picture{};
  mFont.reset();
  mFactory.reset();
  mNoFont = false;
}

void TimelineStrip::Draw(int inWidth, int inHeight, const Demo& inDemo, uint32_t inNowMs, const Transport& inTransport) {
  if (!mShown || GetCurrentState() == nullptr || inWidth <= 0 || inHeight <= 0) return;
  if (!mFont && !mNoFont) {
    try {
      mFactory = std::make_unique<OGLGUIFactory>();
      mFont = std::make_unique<OGLFont>(mFactory->GetDefaultFontName(), kFontSize);
    } catch (const BasicException& inFailure) {
      WriteLog(inFailure.GetMessage());
      mNoFont = true;  // the strip still works without its labels
      mFont.reset();
      mFactory.reset();
    }
  }
  mView.SetEnd(uint32_t(std::max<int32_t>(0, inDemo.runningTime)));
  if (!mDragging) mView.Follow(inNowMs);
  Picture theShown;
  theShown.demo = &inDemo;
  theShown.from = mView.From();
  theShown.span = mView.Span();
  theShown.loopStart = inTransport.LoopStart();
  theShown.loopEnd = inTransport.LoopEnd();
  theShown.looping = inTransport.Looping();
  theShown.width = inWidth;
  theShown.height = std::min(inHeight, Height(inHeight, inDemo.trackCount));
  if (!(theShown == mComposed) || !mUploaded) {
    Compose(theShown, inDemo);
    mComposed = theShown;
    mUploaded = false;
  }
  ShowQuads(inWidth, inHeight, mView.XOf(inNowMs, inWidth));
}

void TimelineStrip::Upload(int inWidth, int inHeight) {
  const int theRows = inHeight + 1;
  int theTextureWidth = std::max(mTextureWidth, 64);
  int theTextureHeight = std::max(mTextureHeight, 64);
  while (theTextureWidth < inWidth) theTextureWidth *= 2;
  while (theTextureHeight < theRows) theTextureHeight *= 2;
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  if (theTextureWidth != mTextureWidth || theTextureHeight != mTextureHeight) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, theTextureWidth, theTextureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    mTextureWidth = theTextureWidth;
    mTextureHeight = theTextureHeight;
  }
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, inWidth, theRows, GL_RGBA, GL_UNSIGNED_BYTE, mPixels.data());
  glPopClientAttrib();
  mUploaded = true;
}

void TimelineStrip::ShowQuads(int inWidth, int inHeight, double inPlayheadX) {
  const int theStripWidth = mComposed.width;
  const int theStripHeight = mComposed.height;
  // Window pixels, y down, over whatever the demo set up; all of it popped again.
  PushViewport(0, 0, unsigned(inWidth), unsigned(inHeight));
  PushProjection(0, inWidth, inHeight, 0, -1, 1, true);
  PushMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  PushState(STATE_DEPTH_TEST, 0);
  PushState(STATE_CLIPPING, 0);
  PushState(STATE_BLEND, 0);  // the image is opaque
  if (mTexture == 0) glGenTextures(1, &mTexture);
  PushTexture2D(true);
  PushTextureUsed(mTexture);
  if (!mUploaded) Upload(theStripWidth, theStripHeight);
  const GLfloat theS = GLfloat(theStripWidth) / mTextureWidth;
  const GLfloat theT = GLfloat(theStripHeight) / mTextureHeight;
  const int theTop = inHeight - theStripHeight;
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2i(0, theTop);
  glTexCoord2f(theS, 0);
  glVertex2i(theStripWidth, theTop);
  glTexCoord2f(theS, theT);
  glVertex2i(theStripWidth, inHeight);
  glTexCoord2f(0, theT);
  glVertex2i(0, inHeight);
  if (inPlayheadX >= -1 && inPlayheadX <= theStripWidth + 1) {
    // The playhead, from its own texel under the image.
    const GLfloat thePlayS = 1.5f / mTextureWidth;
    const GLfloat thePlayT = (theStripHeight + 0.5f) / mTextureHeight;
    const GLfloat theX = GLfloat(std::floor(inPlayheadX));
    glTexCoord2f(thePlayS, thePlayT);
    glVertex2f(theX - 1, GLfloat(theTop));
    glVertex2f(theX + 1, GLfloat(theTop));
    glVertex2f(theX + 1, GLfloat(inHeight));
    glVertex2f(theX - 1, GLfloat(inHeight));
  }
  glEnd();
  // Back to the tracker's current colour after the direct glColor.
  const uint32_t theColour = uint32_t(GetState(STATE_COLOR));
  glColor4ub(GLubyte(theColour >> 16), GLubyte(theColour >> 8), GLubyte(theColour), GLubyte(theColour >> 24));
  PopTextureUsed();
  PopTexture2D();
  PopState(STATE_BLEND);
  PopState(STATE_CLIPPING);
  PopState(STATE_DEPTH_TEST);
  glPopMatrix();
  PopMatrixMode();
  PopProjection();
  PopViewport();
}
