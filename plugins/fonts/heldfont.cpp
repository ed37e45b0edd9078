#include "heldfont.h"

#include "fontshost.h"

void HeldFont::Obtain(int32_t inName, int32_t inSize, const char* inRequester) {
  mName = inName;
  mSize = inSize;
  mFont = static_cast<ResourceFont*>(gUseResource(KIND_FONT, inName, &mSize, false, inRequester, "font", &mIsStatic));
}

void HeldFont::Release() {
  if (mFont) gReleaseResource(KIND_FONT, mName, &mSize);
  mFont = nullptr;
}
