// The player's command line. The positional form has not changed:
//   player [demo file] [start ms] [volume] [gamma]
// with "log"/"Log"/"-log"/"-Log" anywhere. An argument that starts with "--"
// is an option (see kPlayerOptions in options.cpp); every other argument keeps
// its place in the positional form, so options may go anywhere. "--" alone
// ends the options: what follows is positional even when it starts with "--".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// What the command line asks for.
struct PlayerOptions {
  std::string demoPath;
  uint32_t startMs = 0;  // start position; atoi of the second argument (negative wraps, as it always has)
  int32_t volume = 255;  // music volume 0..255
  double gamma = 1.0;
  // The command line gave them: they win over the setup window's remembered ones.
  bool volumeGiven = false;
  bool gammaGiven = false;
  bool verbose = false;  // progress lines in the log

  // The video mode without the setup window: a window of this many pixels
  // (0 x 0: not asked for) and/or full screen.
  int32_t windowWidth = 0;
  int32_t windowHeight = 0;
  bool fullscreen = false;
  bool noSetup = false;  // as ZORBIT_NO_SETUP=1; also implied by --window and --fullscreen

  // Authoring mode (--edit or ZORBIT_EDIT=1), its bar length, and the clock.
  bool edit = false;
  uint32_t bpm = 0;         // 0: no bars
  bool bpmAuto = false;     // --bpm auto: bars at the music's estimated tempo, once it is known
  bool musicClock = false;  // demo time from the music's playback position

  bool showHelp = false;
  bool showVersion = false;
  // Empty when the command line is sound; otherwise one line saying what is
  // wrong (the rest of the record is then not to be used).
  std::string error;

  bool AsksForVideoMode() const { return windowWidth > 0 || fullscreen; }
};

// Parses the whole command line. Without a demo file the program's own path
// with the extension replaced by "xml" is used. Options win over the
// positional values they name (--start over the second argument and so on).
PlayerOptions ParseCommandLine(int argc, const char* const* argv);

// The --help text, one line per option of the table.
void PrintPlayerUsage(FILE* inOut);
