// A small host for imagery.so in tests: loads the real plug-in from the build
// folder, opens an OpenGL window (the tests run under Xvfb), hands the
// plug-in a host table whose warn records the lines, whose getText reads
// `texts`, and whose streams are real SDL file streams. Files are made in a
// fresh folder that is also the working directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zorbit.h"

typedef bool (*MakeMovieFunction)(FrameInfo*, void**, int32_t, int32_t, int32_t);

class PluginHost {
 public:
  static PluginHost& Get();  // created on first use, kept for the whole program

  // Zorbit_Init with a fresh host table; forgets warnings and kinds.
  bool Init();
  void Quit();

  void* Produce(const std::string& inName, bool* outIsStatic = nullptr);
  bool Release(const std::string& inName);
  bool RunMovie(FrameInfo& ioInfo, void** ioSlot, int32_t inName, int32_t inPattern, int32_t inFrame);

  // Warnings since the last Init or TakeWarnings, each one line with its "\n".
  std::vector<std::string> TakeWarnings();

  std::vector<std::string> texts;
  int32_t registeredKind = 0;
  ProduceFunction produce = nullptr;
  ReleaseFunction release = nullptr;
  MakeMovieFunction makeMovie = nullptr;
  const std::string& Folder() const { return mFolder; }

 private:
  PluginHost();
  void* mLibrary = nullptr;
  std::string mFolder;
  InitFunction mInit = nullptr;
  QuitFunction mQuit = nullptr;
};

// Texels of level 0 of a texture, 0xAARRGGBB, rows from the first uploaded one.
struct Texels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int inX, int inY) const { return pixels[static_cast<size_t>(inY) * width + inX]; }
};
Texels ReadTexels(uint32_t inTexture);
