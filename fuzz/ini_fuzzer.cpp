// Feeds arbitrary bytes to the SDL.ini reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "sdlconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
  static const std::string thePath = "/tmp/zorbit_ini_fuzz_" + std::to_string(getpid()) + ".ini";
  FILE* theFile = std::fopen(thePath.c_str(), "wb");
  if (theFile == nullptr) return 0;
  std::fwrite(inData, 1, inSize, theFile);
  std::fclose(theFile);
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  SDL_Config_LoadConfig(thePath.c_str(), theConfig);
  SDL_Config_GetError();
  return 0;
}
