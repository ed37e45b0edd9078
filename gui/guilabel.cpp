#include "guilabel.h"

#include <cstdio>

#include "guifactory.h"

GUILabel::GUILabel(GUIListener* inListener, int inX, int inY, int inIdentifier, const Buffer& inText,
                   uint32_t inTextColour)
    : GUITextWidget(inListener, inX, inY, 1, 1, inIdentifier, inTextColour, Buffer(""), 0), mText(inText) {
  const int theWidth = mFont->TextWidth(mText, 0, -1);
  mWidth = theWidth > 0 ? theWidth : 1;  // an empty text still makes a valid widget
  mHeight = mFont->GetSize() + 1;
}

void GUILabel::DrawAt(int inOriginX, int inOriginY) {
  mFont->DrawText(inOriginX + mX, inOriginY + mY, mText, mTextColour, true, 0.0);
}

void GUILabel::SetInt(int inValue) {
  char theText[16];
  std::snprintf(theText, sizeof theText, "%d", inValue);
  mText = Buffer(theText);
}

void GUILabel::SetUnsigned(unsigned inValue) {
  char theText[16];
  std::snprintf(theText, sizeof theText, "%u", inValue);
  mText = Buffer(theText);
}

void GUILabel::SetFloat(float inValue) {
  char theText[64];  // "%f" of FLT_MAX has 46 characters
  std::snprintf(theText, sizeof theText, "%f", static_cast<double>(inValue));
  mText = Buffer(theText);
}

void GUILabel::SetHex(unsigned inValue, int inMinDigits) {
  static const char kDigits[] = "0123456789ABCDEF";
  const int theMinimum = inMinDigits < 0 ? 0 : (inMinDigits > 10 ? 10 : inMinDigits);
  char theText[12];
  int theCount = 0;
  char theReversed[12];
  for (unsigned v = inValue; v != 0; v >>= 4) theReversed[theCount++] = kDigits[v & 0xF];
  while (theCount < theMinimum) theReversed[theCount++] = '0';
  for (int i = 0; i < theCount; ++i) theText[i] = theReversed[theCount - 1 - i];
  mText = Buffer(theText, static_cast<uint32_t>(theCount));
}
