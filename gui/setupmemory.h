// The setup window's memory: the viewer's last choices, kept between runs in
// "setup.ini" in the state folder (statefolder.h). Choices are entry indices
// of setupchoices.h; a choice the file does not hold keeps the window's own
// default.
//
// The file is a few lines of "key = value", "#" starting a comment:
//   aspect = 16/9          one of 5/4, 4/3, 16/9, 16/10
//   resolution = 1600x900  one of that aspect's resolutions (4/3 without an aspect)
//   gamma = 1.3            one of 0.9, 1.0, 1.1, 1.2, 1.3, 1.4
//   fullscreen = no        yes or no
//   volume = 200           0 to 255
// Keys it does not know are passed over, so that a newer player's file still
// serves; anything else that is not as above makes the whole file ignored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

struct SetupMemory {
  std::optional<int> aspect;      // entry of the aspect box
  std::optional<int> resolution;  // entry of that aspect's resolution box
  std::optional<int> gamma;       // entry of the gamma box
  std::optional<bool> fullScreen;
  std::optional<int> volume;      // 0..255

  bool operator==(const SetupMemory& inOther) const {
    return aspect == inOther.aspect && resolution == inOther.resolution && gamma == inOther.gamma &&
           fullScreen == inOther.fullScreen && volume == inOther.volume;
  }
};

// Which of the window's starting values the caller's command line gave.
// Those win over the remembered ones, and are only remembered when the viewer
// changes them in the window: a value typed for one run is not a choice.
struct SetupGiven {
  bool gamma = false;
  bool volume = false;
};

// What to remember after "Start Demo": the window's inChoices, except a
// gamma or volume that inGiven says the command line gave and the viewer left
// alone (inGammaPicked, inVolumeMoved false): there inRemembered's stays.
SetupMemory ChoicesToRemember(const SetupMemory& inRemembered, const SetupMemory& inChoices, const SetupGiven& inGiven,
                              bool inGammaPicked, bool inVolumeMoved);

// A remembered file larger than this is not read (it cannot be one of ours).
constexpr size_t kSetupMemoryMaxBytes = 4096;

// The file's text for inMemory; choices it does not hold are left out.
// Indices outside the entries are left out too.
std::string FormatSetupMemory(const SetupMemory& inMemory);
// False, with the reason ("line 3: ...") in outError and outMemory empty,
// for a text that is not as described above.
bool ParseSetupMemory(const std::string& inText, SetupMemory& outMemory, std::string& outError);

// "setup.ini" in the state folder; empty when no state folder can be named.
std::string SetupMemoryPath();

enum class SetupMemoryRead {
  kRead,      // outMemory holds the file's choices
  kMissing,   // no such file (or no such folder): nothing is remembered yet
  kBad,       // a regular file that cannot be read or is not sound: may be replaced
  kNotAFile,  // a folder, a FIFO, a device ...: to be left alone
};
// Reads the remembered choices at inPath: regular files only, at most
// kSetupMemoryMaxBytes, never waiting on a FIFO. Says why in outError for
// kBad and kNotAFile; outMemory is empty unless kRead.
SetupMemoryRead ReadSetupMemory(const std::string& inPath, SetupMemory& outMemory, std::string& outError);
// Replaces inPath with inMemory through a temporary file beside it, renamed
// over it, so that a reader never sees half a file; makes the folders first.
// False with the reason in outError; whatever was at inPath is then as it was.
bool WriteSetupMemory(const std::string& inPath, const SetupMemory& inMemory, std::string& outError);
