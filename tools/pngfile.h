// Writing and reading 8-bit RGBA PNG files with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes, rows top to bottom

  uint8_t* Pixel(int inX, int inY) { return &rgba[(static_cast<size_t>(inY) * width + inX) * 4]; }
  const uint8_t* Pixel(int inX, int inY) const { return &rgba[(static_cast<size_t>(inY) * width + inX) * 4]; }
};

// How a PNG is compressed; the pixels read back are the same whatever is chosen.
struct PngSettings {
  bool opaque = false;  // store RGB, leaving out an alpha channel that is 255 everywhere
  int filters = 0xF8;   // PNG_FILTER_NONE, ... _PAETH bits; several: libpng chooses per row
  int level = 1;        // zlib level
  int strategy = 0;     // Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE
};
// Capture frames: measured with tools/bench/png_bench on showcase frames.
PngSettings FramePngSettings();

// False (with errno-style detail in outError) when the file cannot be written,
// the disk being full included. An image with any alpha below 255 keeps its
// alpha channel whatever inSettings says.
bool WritePng(const std::string& inPath, const Image& inImage, std::string* outError = nullptr);
bool WritePng(const std::string& inPath, const Image& inImage, const PngSettings& inSettings, std::string* outError);
// True when every pixel's alpha is 255.
bool IsOpaque(const Image& inImage);
// False when the file is missing or not a PNG; any PNG is converted to RGBA.
bool ReadPng(const std::string& inPath, Image& outImage, std::string* outError = nullptr);
