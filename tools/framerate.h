// Frame rates as exact fractions (30000/1001 and the like) and the frame
// ranges that split one capture into chunks rendered apart.
#pragma once

#include <cstdint>
#include <string>

struct FrameRate {
  FrameRate() = default;
  FrameRate(int64_t inNum, int64_t inDen = 1) : num(inNum), den(inDen) {}  // NOLINT: a whole rate reads as a number
  int64_t num = 25;  // frames per num / den demo seconds
  int64_t den = 1;
};

// Reads "N" or "NUM/DEN" (positive, at most 1000 frames a second).
bool ParseFrameRate(const std::string& inText, FrameRate& outRate);

// "25" or "30000/1001": what ffmpeg takes as a rate.
std::string FrameRateText(const FrameRate& inRate);

// Demo time of frame inIndex: inFrom + floor(inIndex * 1000 * den / num) ms.
// Computed from the index alone, so no rounding error builds up.
int64_t FrameTimeMs(int64_t inFromMs, const FrameRate& inRate, int64_t inIndex);

// How many frames lie at or before inLastMs when the first is at inFromMs.
int64_t FramesUpTo(int64_t inFromMs, int64_t inLastMs, const FrameRate& inRate);

// Frames [first, first + count) of a capture, numbered from its first frame.
struct FrameRange {
  int64_t first = 0;
  int64_t count = 0;
};

// Reads "K/N": the K-th (from 1) of N chunks.
bool ParseChunk(const std::string& inText, int& outIndex, int& outCount);

// The inIndex-th (from 1) of inCount near-equal ranges of inTotal frames.
// The ranges of 1..inCount follow each other without gap or overlap.
FrameRange ChunkRange(int64_t inTotal, int inIndex, int inCount);
