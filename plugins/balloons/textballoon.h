// TextBalloon: a comic thought balloon. The first characters of a text
// (a typewriter when the count grows frame by frame) in front of a flat oval
// sized to the text, with a trail of four smaller ovals running to a tail
// point, optionally outlined, added every frame to a "3D group" (kind 3DWR).
//
// Parameters (signed 32-bit):
//   0 text number           1 characters shown (negative: 0)
//   2 font name number      3 font size, pixels (below 5: 5)
//   4, 5 tail point x, y relative to the balloon, scene units
//   6 non-zero: outlines around the ovals
//   7, 8, 9 text and outline red, green, blue   10, 11, 12 fill red, green, blue
//   13, 14, 15 position x, y, z in 1/1000 scene units
//   16, 17, 18, 19 rotation quaternion, 1/100000, normalised
//   20 alpha of both colours   21, 22 blend source and destination factors of the ovals
//   23 uniform scale, 1/100000 24 3D group name number   25 non-zero low byte: axis cross
// Colours take the low 8 bits of their parameters. Always returns true;
// status STATUS_FAILED when the font cannot be had.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool TextBalloon(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inCount,
                               int32_t inFontName, int32_t inFontSize, int32_t inTailX, int32_t inTailY,
                               int32_t inOutlines, int32_t inTextRed, int32_t inTextGreen, int32_t inTextBlue,
                               int32_t inFillRed, int32_t inFillGreen, int32_t inFillBlue, int32_t inX,
                               int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz, int32_t inQw,
                               int32_t inAlpha, int32_t inBlendSrc, int32_t inBlendDst, int32_t inScale,
                               int32_t inGroup, int32_t inShowAxis);

// Ends every TextBalloon event still running (Zorbit_Quit): releases their
// fonts and frees their nodes.
void EndAllTextBalloons();
