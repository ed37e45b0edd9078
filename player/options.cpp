#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool IsLogSwitch(const char* inArgument) {
  return std::strcmp(inArgument, "log") == 0 || std::strcmp(inArgument, "Log") == 0 ||
         std::strcmp(inArgument, "-log") == 0 || std::strcmp(inArgument, "-Log") == 0;
}

// A whole decimal number from inMin to inMax; false for anything else ("12x", "", overflow).
bool ReadWhole(const char* inText, long long inMin, long long inMax, long long& outValue) {
  if (inText == nullptr || *inText == '\0') return false;
  char* theEnd = nullptr;
  errno = 0;
  long long theValue = std::strtoll(inText, &theEnd, 10);
  if (errno != 0 || *theEnd != '\0' || theValue < inMin || theValue > inMax) return false;
  outValue = theValue;
  return true;
}

// Each option sets its field from its value (null for a switch) and returns
// an empty string, or says what a sound value looks like.
using ApplyOption = std::string (*)(const char* inValue, PlayerOptions& ioOptions);

std::string ApplyWindow(const char* inValue, PlayerOptions& ioOptions) {
  int theWidth = 0, theHeight = 0;
  char theTail = 0;
  if (std::sscanf(inValue, "%dx%d%c", &theWidth, &theHeight, &theTail) != 2 || theWidth < 16 || theHeight < 16 ||
      theWidth > 16384 || theHeight > 16384) {
    return "wants WIDTHxHEIGHT in pixels, each from 16 to 16384";
  }
  ioOptions.windowWidth = theWidth;
  ioOptions.windowHeight = theHeight;
  ioOptions.noSetup = true;
  return "";
}

std::string ApplyFullscreen(const char*, PlayerOptions& ioOptions) {
  ioOptions.fullscreen = true;
  ioOptions.noSetup = true;
  return "";
}

std::string ApplyNoSetup(const char*, PlayerOptions& ioOptions) {
  ioOptions.noSetup = true;
  return "";
}

std::string ApplyStart(const char* inValue, PlayerOptions& ioOptions) {
  long long theValue = 0;
  if (!ReadWhole(inValue, 0, UINT32_MAX, theValue)) return "wants a start position in milliseconds, 0 or more";
  ioOptions.startMs = uint32_t(theValue);
  return "";
}

std::string ApplyVolume(const char* inValue, PlayerOptions& ioOptions) {
  long long theValue = 0;
  if (!ReadWhole(inValue, 0, 255, theValue)) return "wants a music volume from 0 to 255";
  ioOptions.volume = int32_t(theValue);
  ioOptions.volumeGiven = true;
  return "";
}

std::string ApplyGamma(const char* inValue, PlayerOptions& ioOptions) {
  char* theEnd = nullptr;
  double theValue = std::strtod(inValue, &theEnd);
  if (theEnd == inValue || *theEnd != '\0' || !std::isfinite(theValue) || theValue <= 0.0 || theValue > 10.0) {
    return "wants a display gamma above 0 and at most 10 (1 leaves the display alone)";
  }
  ioOptions.gamma = theValue;
  ioOptions.gammaGiven = true;
  return "";
}

std::string ApplyLog(const char*, PlayerOptions& ioOptions) {
  ioOptions.verbose = true;
  return "";
}

std::string ApplyEdit(const char*, PlayerOptions& ioOptions) {
  ioOptions.edit = true;
  return "";
}

std::string ApplyBpm(const char* inValue, PlayerOptions& ioOptions) {
  ioOptions.bpmAuto = std::strcmp(inValue, "auto") == 0;
  if (ioOptions.bpmAuto) {
    ioOptions.bpm = 0;
    return "";
  }
  long long theValue = 0;
  if (!ReadWhole(inValue, 1, 1000, theValue)) return "wants beats per minute from 1 to 1000, or auto";
  ioOptions.bpm = uint32_t(theValue);
  return "";
}

std::string ApplyClock(const char* inValue, PlayerOptions& ioOptions) {
  if (std::strcmp(inValue, "wall") == 0) {
    ioOptions.musicClock = false;
  } else if (std::strcmp(inValue, "music") == 0) {
    ioOptions.musicClock = true;
  } else {
    return "wants wall or music";
  }
  return "";
}

std::string ApplyHelp(const char*, PlayerOptions& ioOptions) {
  ioOptions.showHelp = true;
  return "";
}

std::string ApplyVersion(const char*, PlayerOptions& ioOptions) {
  ioOptions.showVersion = true;
  return "";
}

struct OptionSpec {
  const char* name;
  const char* valueName;  // null: a switch without a value
  const char* help;
  ApplyOption apply;
};

// Every option of the player, in the order --help lists them. A new option
// is one line here and its Apply function.
const OptionSpec kPlayerOptions[] = {
    {"--window", "WxH", "play in a window of W x H pixels, without the setup window", &ApplyWindow},
    {"--fullscreen", nullptr, "play full screen, without the setup window", &ApplyFullscreen},
    {"--no-setup", nullptr, "skip the setup window and use SDL.ini (as ZORBIT_NO_SETUP=1)", &ApplyNoSetup},
    {"--start", "MS", "start at MS milliseconds into the demo", &ApplyStart},
    {"--volume", "0-255", "music volume (default 255)", &ApplyVolume},
    {"--gamma", "G", "display gamma (default 1)", &ApplyGamma},
    {"--log", nullptr, "write progress lines to the log (as the \"log\" argument)", &ApplyLog},
    {"--edit", nullptr, "authoring mode: reload on save, transport keys, Tab for the display", &ApplyEdit},
    {"--bpm", "N|auto", "with --edit: Up and Down seek one bar of four beats at N beats a minute, or at the music's estimated tempo", &ApplyBpm},
    {"--clock", "wall|music", "demo time from the wall clock (default) or the music's position", &ApplyClock},
    {"--help", nullptr, "print this help and exit", &ApplyHelp},
    {"--version", nullptr, "print the version and exit", &ApplyVersion},
};

const OptionSpec* FindOption(const std::string& inName) {
  for (const OptionSpec& theSpec : kPlayerOptions) {
    if (inName == theSpec.name) return &theSpec;
  }
  return nullptr;
}

// The program's own path with its extension replaced: player.exe -> player.xml.
std::string OwnDemoPath(const char* inProgram) {
  if (inProgram == nullptr) return "";
  std::string theOwn = inProgram;
  for (size_t i = theOwn.size(); i-- > 1;) {
    if (theOwn[i] == '.') return theOwn.substr(0, i + 1) + "xml";
  }
  return theOwn;
}

// One option as written on the command line, applied once the positional
// values are known.
struct GivenOption {
  const OptionSpec* spec;
  const char* value;
};

// Reads the option at argv[ioIndex] (and its value, as "--name=value" or the
// next argument) into outGiven. Returns the problem, or an empty string.
std::string ReadOption(int argc, const char* const* argv, int& ioIndex, GivenOption& outGiven) {
  std::string theArg = argv[ioIndex];
  std::string theName = theArg;
  const char* theValue = nullptr;
  size_t theEquals = theArg.find('=');
  if (theEquals != std::string::npos) {
    theName = theArg.substr(0, theEquals);
    theValue = argv[ioIndex] + theEquals + 1;
  }
  const OptionSpec* theSpec = FindOption(theName);
  if (theSpec == nullptr) return "unknown option '" + theName + "'";
  if (theSpec->valueName == nullptr) {
    if (theValue != nullptr) return theName + " takes no value";
  } else if (theValue == nullptr) {
    if (ioIndex + 1 >= argc) return theName + " needs a value (" + theSpec->valueName + ")";
    theValue = argv[++ioIndex];
  }
  outGiven = GivenOption{theSpec, theValue};
  return "";
}

}  // namespace

PlayerOptions ParseCommandLine(int argc, const char* const* argv) {
  PlayerOptions theOptions;
  std::vector<const char*> thePositional;
  std::vector<GivenOption> theGiven;
  bool theOptionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* theArg = argv[i];
    if (!theOptionsEnded && std::strcmp(theArg, "--") == 0) {
      theOptionsEnded = true;
    } else if (!theOptionsEnded && std::strncmp(theArg, "--", 2) == 0) {
      GivenOption theOption{};
      std::string theProblem = ReadOption(argc, argv, i, theOption);
      if (!theProblem.empty()) {
        if (theOptions.error.empty()) theOptions.error = theProblem;
      } else {
        theGiven.push_back(theOption);
      }
    } else {
      thePositional.push_back(theArg);
    }
  }

  theOptions.demoPath = !thePositional.empty() ? thePositional[0] : OwnDemoPath(argc > 0 ? argv[0] : nullptr);
  if (thePositional.size() > 1) theOptions.startMs = uint32_t(std::atoi(thePositional[1]));
  if (thePositional.size() > 2) theOptions.volume = std::atoi(thePositional[2]);
  if (thePositional.size() > 3) theOptions.gamma = std::atof(thePositional[3]);
  theOptions.volumeGiven = thePositional.size() > 2;
  theOptions.gammaGiven = thePositional.size() > 3;
  for (const char* theArg : thePositional) {
    if (IsLogSwitch(theArg)) theOptions.verbose = true;
  }

  for (const GivenOption& theOption : theGiven) {
    std::string theProblem = theOption.spec->apply(theOption.value, theOptions);
    if (!theProblem.empty() && theOptions.error.empty()) {
      theOptions.error = std::string(theOption.spec->name) + " " + theProblem + ", not '" + theOption.value + "'";
    }
  }
  return theOptions;
}

void PrintPlayerUsage(FILE* inOut) {
  std::fprintf(inOut,
               "Usage: player [OPTION]... [DEMO.xml [START_MS [VOLUME [GAMMA]]]] [log]\n"
               "Plays a real-time demo described by DEMO.xml (default: the program's own\n"
               "path with the extension replaced by \"xml\"). The positional START_MS, VOLUME\n"
               "(0-255) and GAMMA are the same as the options below; \"log\", \"Log\", \"-log\"\n"
               "or \"-Log\" anywhere turns on progress lines in the log. Options may stand\n"
               "anywhere and win over the positional values; \"--\" ends the options.\n"
               "\n"
               "Options:\n");
  for (const OptionSpec& theSpec : kPlayerOptions) {
    std::string theLeft = theSpec.name;
    if (theSpec.valueName != nullptr) theLeft += std::string(" ") + theSpec.valueName;
    std::fprintf(inOut, "  %-18s %s\n", theLeft.c_str(), theSpec.help);
  }
  std::fprintf(inOut,
               "\n"
               "Without --window, --fullscreen or --no-setup a setup window asks for the\n"
               "video mode, gamma and volume first, and remembers the choices in\n"
               "$XDG_STATE_HOME/zorbit/setup.ini (default ~/.local/state/zorbit/).\n"
               "The log is Errorlog.txt in the working folder, or\n"
               "$XDG_STATE_HOME/zorbit/Errorlog.txt when the working folder is read-only.\n"
               "\n"
               "With --edit (or ZORBIT_EDIT=1) the demo plays in a window and reloads at the\n"
               "same demo time whenever the document or a file it names is saved. Keys:\n"
               "Space pause/resume, Left/Right seek 1 s (Shift: 10 s), Home to 0, Up/Down one\n"
               "bar (with --bpm), comma/period one frame back/on while paused, [ and ] set the\n"
               "loop's start and end, L loops, Tab shows the display, T the timeline strip\n"
               "(click seeks, drag scrubs, wheel zooms), Escape quits.\n"
               "\n"
               "Exit status: 0 when the demo played, 1 when it could not, 2 on bad usage.\n");
}
