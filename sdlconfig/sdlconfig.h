// SDL_Config: the video and audio set-up of one SDL window, as a plain
// record that the setup window fills or that is read from "SDL.ini".
//
// Usage: SDL_Config_DefaultConfig, adjust or SDL_Config_LoadConfig, then
// SDL_Config_Init to bring SDL up; SDL_Config_Quit closes what Init opened.
// Main thread only.
#pragma once

#include <cstdint>

struct SDL_Surface;

struct SDL_Config {
  uint32_t initFlags;       // SDL_Init flags; 0x31 = timer, audio, video. The audio bit 0x10 decides about sound
  int32_t width;            // pixels
  int32_t height;           // pixels
  int32_t bitsPerPixel;     // colour depth of the video mode; 0 = the display's
  uint32_t videoFlags;      // SDL_SetVideoMode flags: 0x80000000 full screen, 0x40000000 double buffer,
                            // 0x2 OpenGL, 0x1 hardware surface
  const char* videoDriver;  // SDL video driver name; null, "" or one this SDL lacks ("directx"): SDL's default.
                            // Not owned: a string literal or SDL_Config's own storage (see LoadConfig)
  int32_t audioFrequency;   // Hz
  int32_t audioChannels;    // 1 mono, 2 stereo
  uint16_t audioFormat;     // SDL audio format code; 0x8010 = signed 16-bit little-endian
  int32_t audioBuffer;      // samples
  const char* audioDriver;  // SDL audio driver name; null, "" or one this SDL lacks ("waveout"): SDL's default
};

// Fills the record with the defaults: video only (0x20), 640x480, 32 bpp,
// windowed double-buffered, 44100 Hz stereo signed 16-bit, 4096 samples,
// SDL's default drivers.
void SDL_Config_DefaultConfig(SDL_Config& outConfig);

// Reads an INI file (format in sdlconfig/README.md) into the record; keys the
// file lacks keep the record's values. Returns 0 on success; -1 when the file
// cannot be opened and -2 when a line is malformed, each with one line on
// standard error ("file:line: what is wrong"); the record may then be partly
// updated. Unknown sections and keys are reported on standard error and ignored.
// Driver names read here live in SDL_Config's own storage until the next
// LoadConfig call.
int SDL_Config_LoadConfig(const char* inPath, SDL_Config& ioConfig);

// Starts SDL with the record's init flags and opens the video mode. When the
// audio bit is set it also opens SDL_mixer's audio; when that fails the
// reason goes to standard error, the audio bit of ioConfig.initFlags is
// cleared and the program goes on silent. The environment variables
// SDL_VIDEODRIVER and SDL_AUDIODRIVER win over the record's driver names.
// Returns the screen surface, or null (with SDL shut down again) on failure.
SDL_Surface* SDL_Config_Init(SDL_Config& ioConfig);

// The line that the last failed LoadConfig or Init printed on standard
// error (without its newline), for a log; "" when it did not fail.
const char* SDL_Config_GetError();

// Closes the audio opened by SDL_Config_Init and shuts SDL down. Harmless
// when nothing is open.
void SDL_Config_Quit();
