// The table of grids that grids.so offers under kind GRID.
//
// kMaxGrids slots; a slot is free when its name is null. gridCount is the
// high-water mark of slots ever taken. A slot's name is the demo's own text
// (not a copy) and lives as long as the demo.
//
// Besides the fixed Grid record every slot keeps a version number that
// changes whenever its grid is created or rebuilt; deformers compare it to
// notice that a source changed even when the source claims to be static
// (for example a constant deformer over an animated grid).
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

enum { kMaxGrids = 128 };
// Largest grid (columns x rows) made or copied; keeps every vertex index,
// times 3 floats, inside signed 32-bit for readers.
constexpr int64_t kMaxGridVertices = int64_t(1) << 24;

// A new empty grid under inName, or null when all kMaxGrids slots are taken.
Grid* AddGrid(const char* inName, bool inIsStatic);
// Frees inGrid and its vertices and frees its slot; gridCount stays.
void RemoveGrid(Grid* inGrid);
// Frees every grid in the table and resets it (Zorbit_Init and Zorbit_Quit).
void ClearGridTable();

// Makes room for inColumns x inRows vertices (reallocating only when the
// vertex count changes) and sets the grid's columns and rows. False for a
// negative or too large size (grid unchanged) or when the allocation fails
// (grid left empty, 0 x 0).
bool ResizeGrid(Grid& ioGrid, int32_t inColumns, int32_t inRows);

// Records that inGrid's vertices changed.
void MarkGridChanged(const Grid* inGrid);
// Version of inGrid, or 0 for a grid that is not in this table. ioSlotHint
// is where the grid was last found and is updated.
uint64_t GridVersion(const Grid* inGrid, int32_t& ioSlotHint);

// Resource callbacks of kind GRID.
void* ProduceGrid(const char* inName, void* inUserData, bool& outIsStatic);
bool ReleaseGrid(const char* inName, void* inResource);
