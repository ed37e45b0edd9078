#include "overlay.h"

#include <GL/glew.h>

#include <algorithm>

#include "basicexception.h"
#include "buffer.h"
#include "oglguifactory.h"
#include "oglstate.h"
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
  mFont.reset();
  mFactory.reset();
}

void Overlay::Draw(int inWidth, int inHeight, const std::vector<std::string>& inLines) {
  if (mBroken || inLines.empty() || GetCurrentState() == nullptr) return;
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

  // Window pixels, y down, over whatever the demo set up; all of it popped again.
  PushViewport(0, 0, unsigned(inWidth), unsigned(inHeight));
  PushProjection(0, inWidth, inHeight, 0, -1, 1, true);
  PushMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  PushState(STATE_DEPTH_TEST, 0);
  PushState(STATE_CLIPPING, 0);
  PushTexture2D(GetTexture2D());
  PushTextureUsed(GetTextureUsed());
  mFactory->PushClipRect(0, inWidth, 0, inHeight);
  mFactory->FillRect(0, 0, thePanelWidth, thePanelHeight, kPanel);
  std::vector<OGLFont::TextLine> theLines;
  for (size_t i = 0; i < theTexts.size(); ++i)
    theLines.push_back({kMargin, kMargin + int(i) * kFontSize, &theTexts[i], i == 0 ? kFirstLine : kText});
  mFont->DrawLines(theLines.data(), theLines.size(), 0.0);
  mFactory->PopClipRect();
  PopTextureUsed();
  PopTexture2D();
  PopState(STATE_CLIPPING);
  PopState(STATE_DEPTH_TEST);
  glPopMatrix();
  PopMatrixMode();
  PopProjection();
  PopViewport();
}
