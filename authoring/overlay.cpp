#include "overlay.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>

#include "basicexception.h"
#include "buffer.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>
#include "writelog.h"

namespace {

const int kFontSize = 15;   // pixels, also the line height
const int kMargin = 6;      // pixels around the text
const uint32_t kPanel = 0xB0000000;  // AARRGGBB
const uint32_t kText = 0xFFFFFFFF;
const uint32_t kFirstLine = 0xFFFFD040;

}  // namespace

Overlay::Overlay() = default;
Overlay::~Overlay() = default;

void Overlay::Release() {
  if (mTexture != 0) glDeleteTextures(1, &mTexture);
  mTexture = 0;
  mTextureSide = 0;
  mFont.reset();
  mFactory.reset();
}

void Overlay::Draw(int inWidth, int inHeight, const std::vector<std::string>& inLines) {
  if (mBroken || inLines.empty() || GetCurrentState() == nullptr || inWidth <= 0 || inHeight <= 0) return;
  if (!mFont) {
    try {
      mFactory = std::make_unique<OGLGUIFactory>();
      mFont = std::make_unique<OGLFont>(mFactory->GetDefaultFontName(), kFontSize);
    } catch (const BasicException& inFailure) {
      WriteLog(inFailure.GetMessage());
      mBroken = true;
      Release();
      return;
    }
  }
  int theWidth = 0;
  std::vector<Buffer> theTexts;
  for (const std::string& theLine : inLines) {
    theTexts.emplace_back(theLine.c_str());
    theWidth = std::max(theWidth, mFont->TextWidth(theTexts.back(), 0, -1));
  }
  const int thePanelWidth = std::min(inWidth, theWidth + 2 * kMargin);
  const int thePanelHeight = std::min(inHeight, int(inLines.size()) * kFontSize + 2 * kMargin);

  // The panel and its text are drawn by the processor into one image, shown
  // as one quad: a software renderer spends far longer on hundreds of small
  // glyph quads.
  const uint8_t thePanelAlpha = uint8_t(kPanel >> 24);
  const uint8_t thePanel[4] = {uint8_t(((kPanel >> 16) & 0xFF) * thePanelAlpha / 255),
                               uint8_t(((kPanel >> 8) & 0xFF) * thePanelAlpha / 255),
                               uint8_t((kPanel & 0xFF) * thePanelAlpha / 255), thePanelAlpha};
  mPixels.resize(size_t(thePanelWidth) * thePanelHeight * 4);
  for (size_t i = 0; i < mPixels.size(); i += 4) std::memcpy(&mPixels[i], thePanel, 4);
  std::vector<OGLFont::TextLine> theLines;
  for (size_t i = 0; i < theTexts.size(); ++i)
    theLines.push_back({kMargin, kMargin + int(i) * kFontSize, &theTexts[i], i == 0 ? kFirstLine : kText});
  mFont->RenderLines(theLines.data(), theLines.size(), mPixels.data(), thePanelWidth, thePanelHeight);

  // Window pixels, y down, over whatever the demo set up; all of it popped again.
  PushViewport(0, 0, unsigned(inWidth), unsigned(inHeight));
  PushProjection(0, inWidth, inHeight, 0, -1, 1, true);
  PushMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  PushState(STATE_DEPTH_TEST, 0);
  PushState(STATE_CLIPPING, 0);
  PushState(STATE_BLEND, 1);
  PushState(STATE_BLEND_SRC, GL_ONE);  // the image is premultiplied
  PushState(STATE_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA);
  const bool theNew = mTexture == 0;
  if (theNew) glGenTextures(1, &mTexture);
  PushTexture2D(true);
  PushTextureUsed(mTexture);
  int theSide = std::max(mTextureSide, 64);
  while (theSide < thePanelWidth || theSide < thePanelHeight) theSide *= 2;
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  if (theNew || theSide != mTextureSide) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, theSide, theSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    mTextureSide = theSide;
  }
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, thePanelWidth, thePanelHeight, GL_RGBA, GL_UNSIGNED_BYTE, mPixels.data());
  glPopClientAttrib();
  const GLfloat theS = GLfloat(thePanelWidth) / mTextureSide;
  const GLfloat theT = GLfloat(thePanelHeight) / mTextureSide;
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2i(0, 0);
  glTexCoord2f(theS, 0);
  glVertex2i(thePanelWidth, 0);
  glTexCoord2f(theS, theT);
  glVertex2i(thePanelWidth, thePanelHeight);
  glTexCoord2f(0, theT);
  glVertex2i(0, thePanelHeight);
  glEnd();
  // Back to the tracker's current colour after the direct glColor.
  const uint32_t theColour = uint32_t(GetState(STATE_COLOR));
  glColor4ub(GLubyte(theColour >> 16), GLubyte(theColour >> 8), GLubyte(theColour), GLubyte(theColour >> 24));
  PopTextureUsed();
  PopTexture2D();
  PopState(STATE_BLEND_DST);
  PopState(STATE_BLEND_SRC);
  PopState(STATE_BLEND);
  PopState(STATE_CLIPPING);
  PopState(STATE_DEPTH_TEST);
  glPopMatrix();
  PopMatrixMode();
  PopProjection();
  PopViewport();
}
