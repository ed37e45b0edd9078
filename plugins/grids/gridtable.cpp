#include "gridtable.h"

#include <cstring>
#include <new>

namespace {

int32_t gGridCount = 0;
const char* gNames[kMaxGrids];
Grid* gGrids[kMaxGrids];
uint8_t gStaticFlags[kMaxGrids];
uint64_t gVersions[kMaxGrids];
uint64_t gLastVersion = 0;

void DeleteGrid(Grid* inGrid) {
  delete[] inGrid->vertices;
  delete inGrid;
}

int32_t FindSlot(const Grid* inGrid) {
  if (!inGrid) return -1;  // free slots hold null too
  for (int32_t i = 0; i < gGridCount; ++i)
    if (gGrids[i] == inGrid) return i;
  return -1;
}

}  // namespace

Grid* AddGrid(const char* inName, bool inIsStatic) {
  int32_t theSlot = 0;
  while (theSlot < gGridCount && gNames[theSlot]) ++theSlot;
  if (theSlot == kMaxGrids) return nullptr;
  Grid* theGrid = new (std::nothrow) Grid{};
  if (!theGrid) return nullptr;
  if (theSlot == gGridCount) ++gGridCount;
  gNames[theSlot] = inName;
  gGrids[theSlot] = theGrid;
  gStaticFlags[theSlot] = inIsStatic ? 1 : 0;
  gVersions[theSlot] = ++gLastVersion;
  return theGrid;
}

void RemoveGrid(Grid* inGrid) {
  const int32_t theSlot = FindSlot(inGrid);
  if (theSlot < 0) return;
  DeleteGrid(inGrid);
  gNames[theSlot] = nullptr;
  gGrids[theSlot] = nullptr;
  gVersions[theSlot] = 0;
}

void ClearGridTable() {
  for (int32_t i = 0; i < gGridCount; ++i) {
    if (gGrids[i]) DeleteGrid(gGrids[i]);
    gNames[i] = nullptr;
    gGrids[i] = nullptr;
    gVersions[i] = 0;
  }
  gGridCount = 0;
}

bool ResizeGrid(Grid& ioGrid, int32_t inColumns, int32_t inRows) {
  const int64_t theCount = int64_t(inColumns) * inRows;
  if (inColumns < 0 || inRows < 0 || theCount > kMaxGridVertices) return false;
  if (int64_t(ioGrid.columns) * ioGrid.rows != theCount) {
    delete[] ioGrid.vertices;
    ioGrid.vertices = nullptr;
    ioGrid.columns = 0;
    ioGrid.rows = 0;
  }
  if (!ioGrid.vertices && theCount > 0) {
    ioGrid.vertices = new (std::nothrow) float[size_t(theCount) * 3];
    if (!ioGrid.vertices) return false;
  }
  ioGrid.columns = inColumns;
  ioGrid.rows = inRows;
  return true;
}

void MarkGridChanged(const Grid* inGrid) {
  const int32_t theSlot = FindSlot(inGrid);
  if (theSlot >= 0) gVersions[theSlot] = ++gLastVersion;
}

uint64_t GridVersion(const Grid* inGrid, int32_t& ioSlotHint) {
  if (ioSlotHint < 0 || ioSlotHint >= gGridCount || gGrids[ioSlotHint] != inGrid) ioSlotHint = FindSlot(inGrid);
  return ioSlotHint >= 0 ? gVersions[ioSlotHint] : 0;
}

void* ProduceGrid(const char* inName, void*, bool& outIsStatic) {
  outIsStatic = false;
  if (!inName) return nullptr;
  for (int32_t i = 0; i < gGridCount; ++i) {
    if (gNames[i] && std::strcmp(gNames[i], inName) == 0) {
      outIsStatic = gStaticFlags[i] != 0;
      return gGrids[i];
    }
  }
  return nullptr;
}

bool ReleaseGrid(const char*, void*) { return true; }
