#include "sdlconfig.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <sys/stat.h>

#include <cctype>
#include <cstdarg>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Driver names read from a settings file; the record points into these.
char gVideoDriverName[64];
char gAudioDriverName[64];
bool gAudioOpen = false;
// The last reason for a failure, also printed on standard error.
char gLastError[512];

void Fail(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
void Fail(const char* inFormat, ...) {
  va_list theArgs;
  va_start(theArgs, inFormat);
  vsnprintf(gLastError, sizeof gLastError, inFormat, theArgs);
  va_end(theArgs);
  std::fprintf(stderr, "%s\n", gLastError);
}

// SDL keeps a row's length in 16 bits and cannot allocate surfaces past a
// few gigabytes; such modes are refused before SDL is asked.
const long long kMaxRowBytes = 65535;
const long long kMaxPixels = 1ll << 28;

std::string Trim(const std::string& inText) {
  const char* theSpace = " \t\r\n";
  size_t theFirst = inText.find_first_not_of(theSpace);
  if (theFirst == std::string::npos) return std::string();
  size_t theLast = inText.find_last_not_of(theSpace);
  return inText.substr(theFirst, theLast - theFirst + 1);
}

std::string Lower(std::string inText) {
  for (char& theChar : inText) {
    if (theChar >= 'A' && theChar <= 'Z') theChar = char(theChar - 'A' + 'a');
  }
  return inText;
}

// Decimal or 0x hexadecimal, the whole text, within [inMin, inMax].
bool ParseNumber(const std::string& inText, long long inMin, long long inMax, long long& outValue) {
  if (inText.empty()) return false;
  const char* theStart = inText.c_str();
  int theBase = 10;
  if (inText.size() > 2 && inText[0] == '0' && (inText[1] == 'x' || inText[1] == 'X')) {
    theBase = 16;
    theStart += 2;
  }
  // strtoll accepts leading blanks and a sign after "0x"; neither is a number here.
  if (!(theStart[0] == '-' && theBase == 10) && !std::isxdigit(static_cast<unsigned char>(theStart[0]))) return false;
  char* theEnd = nullptr;
  errno = 0;
  long long theValue = std::strtoll(theStart, &theEnd, theBase);
  if (errno != 0 || theEnd == theStart || *theEnd != '\0') return false;
  if (theValue < inMin || theValue > inMax) return false;
  outValue = theValue;
  return true;
}

bool ParseSwitch(const std::string& inText, bool& outValue) {
  std::string theText = Lower(inText);
  if (theText == "1" || theText == "true" || theText == "yes") {
    outValue = true;
    return true;
  }
  if (theText == "0" || theText == "false" || theText == "no") {
    outValue = false;
    return true;
  }
  return false;
}

void SetFlag(uint32_t& ioFlags, uint32_t inFlag, bool inOn) {
  if (inOn) {
    ioFlags |= inFlag;
  } else {
    ioFlags &= ~inFlag;
  }
}

// Starts one SDL subsystem, first with the named driver (unless the
// environment names one), then, if that driver is missing, with SDL's default.
bool InitSubSystem(uint32_t inFlag, const char* inVariable, const char* inDriver) {
  const char* theForced = std::getenv(inVariable);
  bool theUseRecord = (theForced == nullptr || theForced[0] == '\0') && inDriver != nullptr && inDriver[0] != '\0';
  if (theUseRecord) {
    setenv(inVariable, inDriver, 1);
    bool theStarted = SDL_InitSubSystem(inFlag) == 0;
    unsetenv(inVariable);
    if (theStarted) return true;
  }
  return SDL_InitSubSystem(inFlag) == 0;
}

}  // namespace

void SDL_Config_DefaultConfig(SDL_Config& outConfig) {
  outConfig.initFlags = SDL_INIT_VIDEO;
  outConfig.width = 640;
  outConfig.height = 480;
  outConfig.bitsPerPixel = 32;
  outConfig.videoFlags = SDL_DOUBLEBUF;
  outConfig.videoDriver = nullptr;
  outConfig.audioFrequency = 44100;
  outConfig.audioChannels = 2;
  outConfig.audioFormat = AUDIO_S16LSB;
  outConfig.audioBuffer = 4096;
  outConfig.audioDriver = nullptr;
}

int SDL_Config_LoadConfig(const char* inPath, SDL_Config& ioConfig) {
  gLastError[0] = '\0';
  FILE* theFile = std::fopen(inPath, "rb");
  struct stat theInfo;
  if (theFile != nullptr && fstat(fileno(theFile), &theInfo) == 0 && S_ISDIR(theInfo.st_mode)) {
    // A folder opens, and reads as an empty file.
    std::fclose(theFile);
    theFile = nullptr;
    errno = EISDIR;
  }
  if (theFile == nullptr) {
    Fail("%s: cannot open the settings file: %s", inPath, std::strerror(errno));
    return -1;
  }
  std::string theSection;
  std::string theLine;
  int theLineNumber = 0;
  int theResult = 0;
  bool theDone = false;
  while (!theDone && theResult == 0) {
    theLine.clear();
    int theChar;
    while ((theChar = std::fgetc(theFile)) != EOF && theChar != '\n') theLine.push_back(char(theChar));
    if (theChar == EOF) {
      theDone = true;
      if (theLine.empty()) break;
    }
    ++theLineNumber;
    std::string theText = Trim(theLine);
    if (theText.empty() || theText[0] == ';' || theText[0] == '#') continue;
    if (theText[0] == '[') {
      if (theText.back() != ']') {
        Fail("%s:%d: malformed section header '%s'", inPath, theLineNumber, theText.c_str());
        theResult = -2;
        break;
      }
      theSection = Lower(Trim(theText.substr(1, theText.size() - 2)));
      if (theSection != "video" && theSection != "audio") {
        std::fprintf(stderr, "%s:%d: unknown section [%s], its keys are ignored\n", inPath, theLineNumber,
                     theSection.c_str());
      }
      continue;
    }
    size_t theEquals = theText.find('=');
    if (theEquals == std::string::npos) {
      Fail("%s:%d: expected key=value, found '%s'", inPath, theLineNumber, theText.c_str());
      theResult = -2;
      break;
    }
    std::string theKey = Lower(Trim(theText.substr(0, theEquals)));
    std::string theValue = Trim(theText.substr(theEquals + 1));
    const char* theWhat = nullptr;  // set when the value is malformed
    bool theKnown = true;
    long long theNumber = 0;
    bool theSwitch = false;
    if (theSection == "video") {
      if (theKey == "width" || theKey == "height") {
        if (!ParseNumber(theValue, 1, 65535, theNumber)) {
          theWhat = "a number from 1 to 65535";
        } else if (theKey == "width") {
          ioConfig.width = int32_t(theNumber);
        } else {
          ioConfig.height = int32_t(theNumber);
        }
      } else if (theKey == "bpp") {
        if (!ParseNumber(theValue, 0, 32, theNumber)) {
          theWhat = "a number from 0 to 32";
        } else {
          ioConfig.bitsPerPixel = int32_t(theNumber);
        }
      } else if (theKey == "fullscreen" || theKey == "doublebuf" || theKey == "hwsurface") {
        if (!ParseSwitch(theValue, theSwitch)) {
          theWhat = "0, 1, true, false, yes or no";
        } else {
          uint32_t theFlag = theKey == "fullscreen" ? SDL_FULLSCREEN
                             : theKey == "doublebuf" ? SDL_DOUBLEBUF
                                                     : SDL_HWSURFACE;
          SetFlag(ioConfig.videoFlags, theFlag, theSwitch);
        }
      } else if (theKey == "driver") {
        if (theValue.size() >= sizeof(gVideoDriverName)) {
          theWhat = "a driver name of at most 63 characters";
        } else {
          std::memcpy(gVideoDriverName, theValue.c_str(), theValue.size() + 1);
          ioConfig.videoDriver = theValue.empty() ? nullptr : gVideoDriverName;
        }
      } else {
        theKnown = false;
      }
    } else if (theSection == "audio") {
      if (theKey == "enabled") {
        if (!ParseSwitch(theValue, theSwitch)) {
          theWhat = "0, 1, true, false, yes or no";
        } else {
          SetFlag(ioConfig.initFlags, SDL_INIT_AUDIO, theSwitch);
        }
      } else if (theKey == "frequency" || theKey == "buffer") {
        if (!ParseNumber(theValue, 1, 1000000, theNumber)) {
          theWhat = "a number from 1 to 1000000";
        } else if (theKey == "frequency") {
          ioConfig.audioFrequency = int32_t(theNumber);
        } else {
          ioConfig.audioBuffer = int32_t(theNumber);
        }
      } else if (theKey == "channels") {
        if (!ParseNumber(theValue, 1, 8, theNumber)) {
          theWhat = "a number from 1 to 8";
        } else {
          ioConfig.audioChannels = int32_t(theNumber);
        }
      } else if (theKey == "format") {
        if (!ParseNumber(theValue, 0, 0xFFFF, theNumber)) {
          theWhat = "a number from 0 to 0xFFFF";
        } else {
          ioConfig.audioFormat = uint16_t(theNumber);
        }
      } else if (theKey == "driver") {
        if (theValue.size() >= sizeof(gAudioDriverName)) {
          theWhat = "a driver name of at most 63 characters";
        } else {
          std::memcpy(gAudioDriverName, theValue.c_str(), theValue.size() + 1);
          ioConfig.audioDriver = theValue.empty() ? nullptr : gAudioDriverName;
        }
      } else {
        theKnown = false;
      }
    } else {
      theKnown = false;
    }
    if (theWhat != nullptr) {
      Fail("%s:%d: malformed value '%s' for %s: expected %s", inPath, theLineNumber, theValue.c_str(),
           theKey.c_str(), theWhat);
      theResult = -2;
    } else if (!theKnown) {
      std::fprintf(stderr, "%s:%d: unknown key '%s' in [%s], ignored\n", inPath, theLineNumber, theKey.c_str(),
                   theSection.c_str());
    }
  }
  std::fclose(theFile);
  return theResult;
}

SDL_Surface* SDL_Config_Init(SDL_Config& ioConfig) {
  gLastError[0] = '\0';
  long long theRowBytes = (long long)ioConfig.width * (ioConfig.bitsPerPixel > 0 ? (ioConfig.bitsPerPixel + 7) / 8 : 4);
  if (ioConfig.width <= 0 || ioConfig.height <= 0 || theRowBytes > kMaxRowBytes ||
      (long long)ioConfig.width * ioConfig.height > kMaxPixels) {
    Fail("SDL_Config_Init: a %dx%d video mode is larger than SDL can allocate", ioConfig.width, ioConfig.height);
    return nullptr;
  }
  uint32_t theOthers = ioConfig.initFlags & ~uint32_t(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
  if (SDL_Init(theOthers) != 0) {
    Fail("SDL_Config_Init: SDL_Init failed: %s", SDL_GetError());
    return nullptr;
  }
  if ((ioConfig.initFlags & SDL_INIT_VIDEO) != 0 &&
      !InitSubSystem(SDL_INIT_VIDEO, "SDL_VIDEODRIVER", ioConfig.videoDriver)) {
    Fail("SDL_Config_Init: no video: %s", SDL_GetError());
    SDL_Quit();
    return nullptr;
  }
  SDL_Surface* theScreen =
      SDL_SetVideoMode(ioConfig.width, ioConfig.height, ioConfig.bitsPerPixel, ioConfig.videoFlags);
  if (theScreen == nullptr) {
    Fail("SDL_Config_Init: cannot open a %dx%dx%d video mode: %s", ioConfig.width, ioConfig.height,
         ioConfig.bitsPerPixel, SDL_GetError());
    SDL_Quit();
    return nullptr;
  }
  if ((ioConfig.initFlags & SDL_INIT_AUDIO) != 0) {
    bool theOpen = InitSubSystem(SDL_INIT_AUDIO, "SDL_AUDIODRIVER", ioConfig.audioDriver) &&
                   Mix_OpenAudio(ioConfig.audioFrequency, ioConfig.audioFormat, ioConfig.audioChannels,
                                 ioConfig.audioBuffer) == 0;
    if (theOpen) {
      gAudioOpen = true;
    } else {
      // A machine without sound still plays the pictures.
      std::fprintf(stderr, "SDL_Config_Init: no audio, playing silent: %s\n", SDL_GetError());
      ioConfig.initFlags &= ~uint32_t(SDL_INIT_AUDIO);
    }
  }
  return theScreen;
}

const char* SDL_Config_GetError() { return gLastError; }

void SDL_Config_Quit() {
  if (gAudioOpen) {
    Mix_CloseAudio();
    gAudioOpen = false;
  }
  SDL_Quit();
}
