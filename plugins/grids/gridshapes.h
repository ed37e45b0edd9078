// The vertex arithmetic of the grid effects, free of any table or host.
//
// Vertex arrays hold columns x rows vertices of three floats (x, y, z); the
// vertex of column c and row r starts at float (r * columns + c) * 3.
// Source and output may be the same array.
#pragma once

#include <cstdint>
#include <vector>

// A flat grid centred on the origin, spanning inWidth along x and inHeight
// along y (scene units), z = 0. inColumns and inRows are at least 2.
void FillFlatGrid(float* outVertices, int32_t inColumns, int32_t inRows, int32_t inWidth, int32_t inHeight);

// The six wave parameters of WaveGridZ (its parameters 3 to 8).
struct WaveParams {
  int32_t mColumnCycles;     // cycles across the columns
  int32_t mColumnAmplitude;  // scene units
  int32_t mColumnPhase;      // 1/1000 cycle
  int32_t mRowCycles;
  int32_t mRowAmplitude;
  int32_t mRowPhase;
};

// Copies x and y bit for bit and adds a column wave and a row wave to z.
// ioColumnWaves is scratch space, grown to inColumns entries.
void FillWaveGrid(const float* inSource, float* outVertices, int32_t inColumns, int32_t inRows,
                  const WaveParams& inWave, std::vector<double>& ioColumnWaves);

// Bends a flat page about its left edge: inTurn 0 is flat, 100000 turned over;
// inLift (1/1000) lifts the turned edge out of the page's plane. The output's
// left edge sits at x = 0. A source whose first row has no width (or no finite
// width) is copied unchanged. ioCurve is scratch space for one row's bent part,
// grown as the column count needs.
void FillTurnedPage(const float* inSource, float* outVertices, int32_t inColumns, int32_t inRows, int32_t inTurn,
                    int32_t inLift, std::vector<float>& ioCurve);
