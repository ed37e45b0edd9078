#include "sdlconfig.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string WriteIni(const std::string& inText) {
  char theName[] = "/tmp/sdlconfig_testXXXXXX";
  int theFd = mkstemp(theName);
  EXPECT_GE(theFd, 0);
  EXPECT_EQ(ssize_t(inText.size()), write(theFd, inText.data(), inText.size()));
  close(theFd);
  return theName;
}

struct LoadResult {
  int result;
  SDL_Config config;
  std::string errors;
};

LoadResult Load(const std::string& inText) {
  std::string thePath = WriteIni(inText);
  LoadResult theLoad;
  SDL_Config_DefaultConfig(theLoad.config);
  theLoad.config.initFlags = 0x31;
  testing::internal::CaptureStderr();
  theLoad.result = SDL_Config_LoadConfig(thePath.c_str(), theLoad.config);
  theLoad.errors = testing::internal::GetCapturedStderr();
  std::remove(thePath.c_str());
  // Name the file in messages the same way in every run.
  for (size_t thePos; (thePos = theLoad.errors.find(thePath)) != std::string::npos;) {
    theLoad.errors.replace(thePos, thePath.size(), "SDL.ini");
  }
  return theLoad;
}

TEST(SdlConfigLoad, ReadsEveryDocumentedKey) {
  LoadResult theLoad = Load(
      "; demo settings\n"
      "[Video]\n"
      "Width = 1280\r\n"
      "height=720\n"
      "bpp=16\n"
      "fullscreen=yes\n"
      "doublebuf=false\n"
      "hwsurface=1\n"
      "driver=x11\n"
      "[AUDIO]\n"
      "enabled=0\n"
      "frequency=22050\n"
      "channels=1\n"
      "format=0x8010\n"
      "buffer=1024\n"
      "driver=alsa");
  ASSERT_EQ(0, theLoad.result) << theLoad.errors;
  EXPECT_EQ("", theLoad.errors);
  const SDL_Config& theConfig = theLoad.config;
  EXPECT_EQ(1280, theConfig.width);
  EXPECT_EQ(720, theConfig.height);
  EXPECT_EQ(16, theConfig.bitsPerPixel);
  EXPECT_EQ(uint32_t(SDL_FULLSCREEN | SDL_HWSURFACE), theConfig.videoFlags) << "doublebuf=false must clear its flag";
  EXPECT_STREQ("x11", theConfig.videoDriver);
  EXPECT_EQ(0x21u, theConfig.initFlags) << "enabled=0 clears only the audio bit";
  EXPECT_EQ(22050, theConfig.audioFrequency);
  EXPECT_EQ(1, theConfig.audioChannels);
  EXPECT_EQ(0x8010, theConfig.audioFormat);
  EXPECT_EQ(1024, theConfig.audioBuffer);
  EXPECT_STREQ("alsa", theConfig.audioDriver);
}

TEST(SdlConfigLoad, MissingKeysKeepDefaultsAndEmptyDriverMeansDefault) {
  LoadResult theLoad = Load("[video]\nwidth=800\ndriver=\n");
  ASSERT_EQ(0, theLoad.result);
  SDL_Config theDefault;
  SDL_Config_DefaultConfig(theDefault);
  EXPECT_EQ(800, theLoad.config.width);
  EXPECT_EQ(theDefault.height, theLoad.config.height);
  EXPECT_EQ(theDefault.videoFlags, theLoad.config.videoFlags);
  EXPECT_EQ(nullptr, theLoad.config.videoDriver);
  EXPECT_EQ(0x31u, theLoad.config.initFlags);
}

TEST(SdlConfigLoad, MalformedLinesFailWithFileLineAndReason) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case theCases[] = {
      {"[video]\nwidth=12a\n", "SDL.ini:2: malformed value '12a' for width: expected a number from 1 to 65535\n"},
      {"[video]\nheight=0\n", "SDL.ini:2: malformed value '0' for height: expected a number from 1 to 65535\n"},
      {"[video]\n\nfullscreen=maybe\n",
       "SDL.ini:3: malformed value 'maybe' for fullscreen: expected 0, 1, true, false, yes or no\n"},
      {"[audio]\nformat=0x1FFFF\n", "SDL.ini:2: malformed value '0x1FFFF' for format: expected a number from 0 to 0xFFFF\n"},
      {"[audio]\nformat=0x\n", "SDL.ini:2: malformed value '0x' for format: expected a number from 0 to 0xFFFF\n"},
      {"[audio]\nchannels=-2\n", "SDL.ini:2: malformed value '-2' for channels: expected a number from 1 to 8\n"},
      {"[audio]\nfrequency 44100\n", "SDL.ini:2: expected key=value, found 'frequency 44100'\n"},
      {"[video\nwidth=1\n", "SDL.ini:1: malformed section header '[video'\n"},
  };
  for (const Case& theCase : theCases) {
    LoadResult theLoad = Load(theCase.text);
    EXPECT_LT(theLoad.result, 0) << theCase.text;
    EXPECT_EQ(theCase.message, theLoad.errors) << theCase.text;
  }
  LoadResult theLong = Load("[video]\ndriver=" + std::string(64, 'd') + "\n");
  EXPECT_LT(theLong.result, 0);
  EXPECT_NE(std::string::npos, theLong.errors.find("SDL.ini:2: malformed value")) << theLong.errors;
}

TEST(SdlConfigLoad, UnknownKeysAndSectionsAreReportedAndIgnored) {
  LoadResult theLoad = Load("[video]\ncolour=red\nwidth=320\n[extras]\nwidth=1\n");
  ASSERT_EQ(0, theLoad.result);
  EXPECT_EQ(320, theLoad.config.width) << "keys of an unknown section must not reach the record";
  EXPECT_EQ(
      "SDL.ini:2: unknown key 'colour' in [video], ignored\n"
      "SDL.ini:4: unknown section [extras], its keys are ignored\n"
      "SDL.ini:5: unknown key 'width' in [extras], ignored\n",
      theLoad.errors);
}

TEST(SdlConfigLoad, MissingFileIsNegativeWithOneLine) {
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  testing::internal::CaptureStderr();
  int theResult = SDL_Config_LoadConfig("/nonexistent/SDL.ini", theConfig);
  std::string theErrors = testing::internal::GetCapturedStderr();
  EXPECT_LT(theResult, 0);
  EXPECT_EQ("/nonexistent/SDL.ini: cannot open the settings file: No such file or directory\n", theErrors);
}

// The environment of the test names the dummy drivers; they must win over the
// record, and names this SDL lacks must fall back to SDL's default.
TEST(SdlConfigInit, EnvironmentDriversWinAndMissingDriversFallBack) {
  ASSERT_STREQ("dummy", std::getenv("SDL_VIDEODRIVER"));
  const char* theRecordDrivers[][2] = {{"directx", "waveout"}, {"x11", "alsa"}, {nullptr, nullptr}};
  for (auto& theDrivers : theRecordDrivers) {
    SDL_Config theConfig;
    SDL_Config_DefaultConfig(theConfig);
    theConfig.initFlags = 0x31;
    theConfig.width = 200;
    theConfig.height = 100;
    theConfig.videoDriver = theDrivers[0];
    theConfig.audioDriver = theDrivers[1];
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Surface* theScreen = SDL_Config_Init(theConfig);
    ASSERT_NE(nullptr, theScreen) << SDL_GetError();
    EXPECT_EQ(200, theScreen->w);
    EXPECT_EQ(100, theScreen->h);
    char theName[32] = "";
    SDL_VideoDriverName(theName, sizeof theName);
    EXPECT_STREQ("dummy", theName);
    int theFrequency = 0, theChannels = 0;
    Uint16 theFormat = 0;
    EXPECT_EQ(1, Mix_QuerySpec(&theFrequency, &theFormat, &theChannels)) << "audio must be open";
    EXPECT_EQ(0x31u, theConfig.initFlags);
    SDL_Config_Quit();
    EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_EVERYTHING));
  }
}

TEST(SdlConfigInit, RecordDriverIsUsedWhenEnvironmentNamesNone) {
  std::string theSaved = std::getenv("SDL_VIDEODRIVER");
  unsetenv("SDL_VIDEODRIVER");
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.videoDriver = "dummy";
  SDL_Surface* theScreen = SDL_Config_Init(theConfig);
  setenv("SDL_VIDEODRIVER", theSaved.c_str(), 1);
  ASSERT_NE(nullptr, theScreen) << SDL_GetError();
  char theName[32] = "";
  SDL_VideoDriverName(theName, sizeof theName);
  EXPECT_STREQ("dummy", theName);
  SDL_Config_Quit();
}

}  // namespace
