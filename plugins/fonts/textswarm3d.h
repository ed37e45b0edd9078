// TextSwarm3D: a text carried by the particles of a swarm (kind SWRM), one
// character per particle in order, repeated along the swarm, added every
// frame to a "3D group" (kind 3DWR).
//
// Parameters (signed 32-bit):
//   0 text number      1 swarm name number    2 font name number    3 font size, pixels
//   4, 5, 6 position x, y, z in 1/1000 scene units
//   7, 8, 9, 10 rotation quaternion, 1/10000, normalised
//   11 opacity 0..255 (clamped)   12, 13 blend source and destination factors
//   14 uniform scale, 1/100000    15 3D group name number   16 non-zero: axis cross
// A static swarm is built into glyphs once and only recoloured afterwards; a
// moving one is looked up (and released at once) and rebuilt every frame.
// Always returns true.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool TextSwarm3D(FrameInfo* ioInfo, void** ioSlot, int32_t inText, int32_t inSwarm,
                               int32_t inFontName, int32_t inFontSize, int32_t inX, int32_t inY, int32_t inZ,
                               int32_t inQx, int32_t inQy, int32_t inQz, int32_t inQw, int32_t inOpacity,
                               int32_t inBlendSrc, int32_t inBlendDst, int32_t inScale, int32_t inGroup,
                               int32_t inShowAxis);

// Ends every TextSwarm3D event still running (Zorbit_Quit): releases their
// fonts and swarms and frees their nodes.
void EndAllTextSwarm3D();
