// Test support: one real OpenGL window (Xvfb, Mesa llvmpipe) for a whole test
// program, a tracker and the OpenGL GUI factory, and PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "opengldriver.h"

// Opens the 320 x 240 OpenGL window once (retrying while the X server starts),
// with GLEW, a current OGLState of that size and an installed OGLGUIFactory.
::testing::AssertionResult EnsureGuiWindow();

// RGBA pixels of the back buffer, top row first.
std::vector<uint8_t> ReadPixels(int inWidth, int inHeight);
uint32_t PixelAt(const std::vector<uint8_t>& inPixels, int inWidth, int inX, int inY);  // 0xAARRGGBB

bool WritePng(const std::string& inPath, const std::vector<uint8_t>& inRgba, int inWidth, int inHeight);
bool ReadPng(const std::string& inPath, std::vector<uint8_t>& outRgba, int& outWidth, int& outHeight);
