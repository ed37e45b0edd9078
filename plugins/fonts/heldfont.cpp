#include "heldfont.h"

#include "fontshost.h"

void HeldFont::Obtain(int32_t inName, int32_t inSize, const char* inRequester) {
  mName = inName;
  mSize = inSize;
  mFont = static_cast<ResourceFont*>(gHost.Use(KIND_FONT, inName, &mSize, false, inRequester, "font", &mIsStatic));
}

void HeldFont::Release() {
  if (mFont) gHost.Release(KIND_FONT, mName, &mSize);
  mFont = nullptr;
}
