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

// False (with errno-style detail in outError) when the file cannot be written.
bool WritePng(const std::string& inPath, const Image& inImage, std::string* outError = nullptr);
// False when the file is missing or not a PNG; any PNG is converted to RGBA.
bool ReadPng(const std::string& inPath, Image& outImage, std::string* outError = nullptr);
