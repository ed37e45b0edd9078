#include "soundfonts.h"

#include <SDL_mixer.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kForce = "SDL_FORCE_SOUNDFONTS";
const char* const kFonts = "SDL_SOUNDFONTS";

bool HasMidiExtension(const char* inPath) {
  const char* theDot = std::strrchr(inPath, '.');
  if (theDot == nullptr || std::strchr(theDot, '/') != nullptr) return false;
  return strcasecmp(theDot, ".mid") == 0 || strcasecmp(theDot, ".midi") == 0 || strcasecmp(theDot, ".kar") == 0;
}

bool StartsWithMidiHeader(const char* inPath) {
  FILE* theFile = std::fopen(inPath, "rb");
  if (theFile == nullptr) return false;
  char theMagic[4] = {};
  const bool theMidi = std::fread(theMagic, 1, 4, theFile) == 4 && std::memcmp(theMagic, "MThd", 4) == 0;
  std::fclose(theFile);
  return theMidi;
}

}  // namespace

bool IsMidiMusic(const char* inPath) {
  return inPath != nullptr && inPath[0] != '\0' && (HasMidiExtension(inPath) || StartsWithMidiHeader(inPath));
}

bool LeaveOutSoundFonts(const char* inMusicPath) {
  if (IsMidiMusic(inMusicPath)) return false;
  if (std::getenv(kForce) != nullptr || std::getenv(kFonts) != nullptr) return false;  // the user's choice
  return setenv(kForce, "1", 0) == 0;
}

void RestoreSoundFonts() { unsetenv(kForce); }

bool BringBackSoundFonts(int inChunkSize) {
  RestoreSoundFonts();
  int theFrequency = 0;
  Uint16 theFormat = 0;
  int theChannels = 0;
  if (Mix_QuerySpec(&theFrequency, &theFormat, &theChannels) == 0) return false;
  Mix_CloseAudio();
  return Mix_OpenAudio(theFrequency, theFormat, theChannels, inChunkSize) == 0;
}
