// The font a text effect holds for its whole event (kind FONT, looked up
// through the host). Shared by Text3D and TextSwarm3D.
#pragma once

#include <cstdint>

struct ResourceFont;

// Plain member of an effect's state, zero until Obtain. The font goes back
// with the name and size it was obtained with, even when the effect's font
// parameters change during the event; the address of mSize is the lookup's
// user data both ways, so the record must not move while a font is held.
struct HeldFont {
  ResourceFont* mFont;  // null when none is held
  int32_t mName;
  int32_t mSize;        // pixels
  bool mIsStatic;       // filled in by the lookup, not read

  // Looks font inName at inSize up on behalf of effect inRequester.
  void Obtain(int32_t inName, int32_t inSize, const char* inRequester);
  // Gives a held font back; nothing when none is held.
  void Release();
};
