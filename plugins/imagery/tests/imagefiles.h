// Writes small image files for the tests: PNG through libpng, BMP through
// SDL, JPEG through ImageMagick's convert. Pixels are 0xAARRGGBB, row by row
// from the top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestImage {
  int width;
  int height;
  std::vector<uint32_t> pixels;

  uint32_t At(int inX, int inY) const { return pixels[static_cast<size_t>(inY) * width + inX]; }
};

// A deterministic pattern of distinct colours; alpha varies when inWithAlpha.
TestImage MakePatternImage(int inWidth, int inHeight, bool inWithAlpha);

// True on success. A PNG without alpha is written as 8-bit RGB.
bool WritePng(const std::string& inPath, const TestImage& inImage, bool inWithAlpha);
// An 8-bit palette PNG of at most 256 colours; every pixel whose alpha is 0
// becomes the one palette entry marked transparent (SDL_image keys it).
bool WritePalettePng(const std::string& inPath, const TestImage& inImage);
bool WriteBmp(const std::string& inPath, const TestImage& inImage);
// Through a lossless PNG handed to convert; quality 100.
bool WriteJpeg(const std::string& inPath, const TestImage& inImage);
