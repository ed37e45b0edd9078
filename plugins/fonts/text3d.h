// Text3D: one line of the demo's texts as placed, rotated, scaled, coloured
// and blended 3D text, added every frame to a "3D group" (kind 3DWR).
//
// Parameters (signed 32-bit):
//   0 text number (getText)        1 font name number      2 font size, pixels
//   3, 4, 5 position x, y, z in 1/1000 scene units (one unit per font pixel)
//   6, 7, 8, 9 rotation quaternion, 1/10000, normalised
//   10, 11, 12 red, green, blue 0..255   13 opacity 0..255
//   14, 15 blend source and destination factors (OpenGL enumerants)
//   16 uniform scale, 1/100000           17 3D group name number
//   18 non-zero: also show an axis cross at the text's place
// Text and font are fixed by the event's first call. Always returns true.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool Text3D(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inFontName, int32_t inFontSize,
                          int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz,
                          int32_t inQw, int32_t inRed, int32_t inGreen, int32_t inBlue, int32_t inOpacity,
                          int32_t inBlendSrc, int32_t inBlendDst, int32_t inScale, int32_t inGroup,
                          int32_t inShowAxis);

// Ends every Text3D event still running (Zorbit_Quit): releases their fonts
// and frees their nodes.
void EndAllText3D();
