// beat.so: named rhythm curves ("beats") offered to everyone as kind BEAT.
//
// An event of MakeBeat defines one beat from its 40 parameters while the
// event is active; the player's beat parameters read the BeatRecord that
// ProduceBeat hands out (layout in zorbit/zorbit.h). The table holds at
// most kMaxBeats beats, kept without gaps in slots 0 .. count - 1.
//
// MakeBeat parameters (signed 32-bit):
//   0            name number of the beat (a demo text)
//   1            smooth: anything but 0 selects smoothed segments
//   2 + 2k       length of segment k, 1/10 ms; a negative length ends the pattern
//   3 + 2k       level at the end of segment k, 1/1000
// for k = 0 .. 18.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

enum { kMaxBeats = 64, kBeatSegments = 19 };

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** inOutputSurfaces, SDL_Surface** inInputSurfaces, void** inHostTable);
ZORBIT_EXPORT bool Zorbit_Quit();
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t inValue);

// The slot remembers which beat this event made, so that the event's
// PHASE_DESTROY removes that beat and never another event's beat of the same name.
ZORBIT_EXPORT bool MakeBeat(FrameInfo* inInfo, void** ioSlot,
                            int32_t inP0, int32_t inP1, int32_t inP2, int32_t inP3, int32_t inP4,
                            int32_t inP5, int32_t inP6, int32_t inP7, int32_t inP8, int32_t inP9,
                            int32_t inP10, int32_t inP11, int32_t inP12, int32_t inP13, int32_t inP14,
                            int32_t inP15, int32_t inP16, int32_t inP17, int32_t inP18, int32_t inP19,
                            int32_t inP20, int32_t inP21, int32_t inP22, int32_t inP23, int32_t inP24,
                            int32_t inP25, int32_t inP26, int32_t inP27, int32_t inP28, int32_t inP29,
                            int32_t inP30, int32_t inP31, int32_t inP32, int32_t inP33, int32_t inP34,
                            int32_t inP35, int32_t inP36, int32_t inP37, int32_t inP38, int32_t inP39);

// Resource callbacks of kind BEAT, registered in Zorbit_Init.
void* ProduceBeat(const char* inName, void* inUserData, bool& outIsStatic);
bool ReleaseBeat(const char* inName, void* inResource);
