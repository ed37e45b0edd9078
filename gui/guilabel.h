// GUILabel: one line of text. Its size is taken from the text it is built
// with (width = text width, at least 1; height = font size + 1) and does not
// follow later text changes. Takes no mouse input.
#pragma once

#include "guiwidget.h"

class GUILabel : public GUITextWidget {
 public:
  GUILabel(GUIListener* inListener, int inX, int inY, int inIdentifier, const Buffer& inText,
           uint32_t inTextColour);
  void DrawAt(int inOriginX, int inOriginY) override;

  void SetText(const Buffer& inText) { mText = inText; }
  const Buffer& GetText() const { return mText; }
  void SetInt(int inValue);            // "%d"
  void SetUnsigned(unsigned inValue);  // "%u"
  void SetFloat(float inValue);        // "%f"
  // Upper-case hexadecimal without prefix, zero-padded to at least
  // min(inMinDigits, 10) digits; 0 with no minimum gives the empty text.
  void SetHex(unsigned inValue, int inMinDigits);

 private:
  Buffer mText;
};
