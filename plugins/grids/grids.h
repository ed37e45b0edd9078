// grids.so: rectangular grids of 3D points offered as kind GRID, and
// effects that make them.
//
//   MakeGrid(name, width, height, columns, rows)
//       a flat grid centred on the origin; columns and rows below 2 count as 2.
//   WaveGridZ(name, source, unused, columnCycles, columnAmplitude, columnPhase,
//             rowCycles, rowAmplitude, rowPhase)
//       the source with two sine waves added to z; phases in 1/1000 cycle.
//   TurnPageGrid(name, source, turn, lift)
//       the source bent like a page being turned: turn 0 flat, 100000 turned
//       over; lift in 1/1000.
// name and source are demo text numbers. Each event's grid lives from its
// PHASE_MAKE to its PHASE_DESTROY and is rebuilt only when something changed.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** inOutputSurfaces, SDL_Surface** inInputSurfaces, void** inHostTable);
// Frees the grids of events that were still active (they get no PHASE_DESTROY).
ZORBIT_EXPORT bool Zorbit_Quit();
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t inValue);

ZORBIT_EXPORT bool MakeGrid(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inWidth, int32_t inHeight,
                            int32_t inColumns, int32_t inRows);
ZORBIT_EXPORT bool WaveGridZ(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inSource, int32_t inUnused,
                             int32_t inColumnCycles, int32_t inColumnAmplitude, int32_t inColumnPhase,
                             int32_t inRowCycles, int32_t inRowAmplitude, int32_t inRowPhase);
ZORBIT_EXPORT bool TurnPageGrid(FrameInfo* inInfo, void** ioSlot, int32_t inName, int32_t inSource, int32_t inTurn,
                                int32_t inLift);
