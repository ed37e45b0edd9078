#include "setupmemory.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "setupchoices.h"
#include "statefolder.h"

namespace {

const char* const kFileName = "setup.ini";

std::string Trimmed(const std::string& inText) {
  const size_t theStart = inText.find_first_not_of(" \t\r");
  if (theStart == std::string::npos) return std::string();
  return inText.substr(theStart, inText.find_last_not_of(" \t\r") - theStart + 1);
}

// A text fit to quote in the log: the file is anyone's, the log is one line.
std::string Quoted(const std::string& inText) {
  return "'" + (inText.size() > 40 ? inText.substr(0, 40) + "..." : inText) + "'";
}

// A whole decimal number from 0 to inMax; false for anything else ("", "-1", "12x", 99999999999).
bool ReadWhole(const std::string& inText, int inMax, int& outValue) {
  if (inText.empty() || inText.size() > 9) return false;
  int theValue = 0;
  for (char c : inText) {
    if (c < '0' || c > '9') return false;
    theValue = theValue * 10 + (c - '0');
  }
  if (theValue > inMax) return false;
  outValue = theValue;
  return true;
}

std::string ResolutionText(const SetupResolution& inResolution) {
  return std::to_string(inResolution.width) + "x" + std::to_string(inResolution.height);
}

std::string GammaText(int inIndex) {
  char theText[16];
  std::snprintf(theText, sizeof theText, "%.1f", double(SetupGammaValue(inIndex)));
  return theText;
}

// Each value's reader: an index or flag into outMemory, or the reason it is not one.
std::string ReadAspect(const std::string& inValue, SetupMemory& outMemory) {
  for (int i = 0; i < kSetupAspectCount; ++i) {
    if (inValue == SetupAspectAt(i).text) {
      outMemory.aspect = i;
      return "";
    }
  }
  return "aspect " + Quoted(inValue) + " is not one of 5/4, 4/3, 16/9, 16/10";
}

// After the aspect: which list the resolution must be in depends on it.
std::string ReadResolution(const std::string& inValue, SetupMemory& outMemory) {
  const SetupAspect& theAspect = SetupAspectAt(outMemory.aspect.value_or(kSetupDefaultAspect));
  for (int i = 0; i < theAspect.count; ++i) {
    if (inValue == ResolutionText(theAspect.resolutions[i])) {
      outMemory.resolution = i;
      return "";
    }
  }
  return "resolution " + Quoted(inValue) + " is not one the setup window offers for " + theAspect.text;
}

std::string ReadGamma(const std::string& inValue, SetupMemory& outMemory) {
  char* theEnd = nullptr;
  const double theValue = std::strtod(inValue.c_str(), &theEnd);
  if (!inValue.empty() && *theEnd == '\0' && std::isfinite(theValue)) {
    for (int i = 0; i < kSetupGammaCount; ++i) {
      if (std::fabs(theValue - double(SetupGammaValue(i))) < 0.001) {
        outMemory.gamma = i;
        return "";
      }
    }
  }
  return "gamma " + Quoted(inValue) + " is not one of 0.9, 1.0, 1.1, 1.2, 1.3, 1.4";
}

std::string ReadFullScreen(const std::string& inValue, SetupMemory& outMemory) {
  if (inValue == "yes" || inValue == "no") {
    outMemory.fullScreen = inValue == "yes";
    return "";
  }
  return "fullscreen " + Quoted(inValue) + " is neither yes nor no";
}

std::string ReadVolume(const std::string& inValue, SetupMemory& outMemory) {
  int theVolume = 0;
  if (!ReadWhole(inValue, 255, theVolume)) return "volume " + Quoted(inValue) + " is not a whole number from 0 to 255";
  outMemory.volume = theVolume;
  return "";
}

using ReadValue = std::string (*)(const std::string& inValue, SetupMemory& outMemory);

struct Key {
  const char* name;
  ReadValue read;
};

// In the order they are read: the resolution depends on the aspect.
const Key kKeys[] = {{"aspect", &ReadAspect},
                     {"resolution", &ReadResolution},
                     {"gamma", &ReadGamma},
                     {"fullscreen", &ReadFullScreen},
                     {"volume", &ReadVolume}};

struct Entry {
  std::string value;
  int line;
};

// The text's "key = value" lines, unknown keys included. Empty with the
// reason for a line that is none, a key given twice or a binary byte.
std::string SplitLines(const std::string& inText, std::map<std::string, Entry>& outEntries) {
  int theLine = 1;
  size_t theStart = 0;
  for (unsigned char c : inText) {
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
      return "line " + std::to_string(theLine) + ": holds binary data";
    theLine += c == '\n';
  }
  theLine = 1;
  while (theStart < inText.size()) {
    size_t theEnd = inText.find('\n', theStart);
    if (theEnd == std::string::npos) theEnd = inText.size();
    const std::string theText = Trimmed(inText.substr(theStart, theEnd - theStart));
    const std::string theWhere = "line " + std::to_string(theLine) + ": ";
    if (!theText.empty() && theText[0] != '#') {
      const size_t theEquals = theText.find('=');
      if (theEquals == std::string::npos) return theWhere + Quoted(theText) + " is not 'key = value'";
      const std::string theKey = Trimmed(theText.substr(0, theEquals));
      if (theKey.empty()) return theWhere + Quoted(theText) + " has no key";
      if (!outEntries.emplace(theKey, Entry{Trimmed(theText.substr(theEquals + 1)), theLine}).second)
        return theWhere + theKey + " is given twice";
    }
    theStart = theEnd + 1;
    ++theLine;
  }
  return "";
}

}  // namespace

SetupMemory ChoicesToRemember(const SetupMemory& inRemembered, const SetupMemory& inChoices, const SetupGiven& inGiven,
                              bool inGammaPicked, bool inVolumeMoved) {
  SetupMemory theMemory = inChoices;
  if (inGiven.gamma && !inGammaPicked) theMemory.gamma = inRemembered.gamma;
  if (inGiven.volume && !inVolumeMoved) theMemory.volume = inRemembered.volume;
  return theMemory;
}

std::string FormatSetupMemory(const SetupMemory& inMemory) {
  std::string theText = "# The setup window's last choices; the player rewrites this file.\n";
  const int theAspect = inMemory.aspect.value_or(kSetupDefaultAspect);
  const bool theAspectKnown = theAspect >= 0 && theAspect < kSetupAspectCount;
  if (inMemory.aspect && theAspectKnown) theText += std::string("aspect = ") + SetupAspectAt(theAspect).text + "\n";
  if (inMemory.resolution && theAspectKnown && *inMemory.resolution >= 0 &&
      *inMemory.resolution < SetupAspectAt(theAspect).count)
    theText += "resolution = " + ResolutionText(SetupAspectAt(theAspect).resolutions[*inMemory.resolution]) + "\n";
  if (inMemory.gamma && *inMemory.gamma >= 0 && *inMemory.gamma < kSetupGammaCount)
    theText += "gamma = " + GammaText(*inMemory.gamma) + "\n";
  if (inMemory.fullScreen) theText += std::string("fullscreen = ") + (*inMemory.fullScreen ? "yes" : "no") + "\n";
  if (inMemory.volume && *inMemory.volume >= 0 && *inMemory.volume <= 255)
    theText += "volume = " + std::to_string(*inMemory.volume) + "\n";
  return theText;
}

bool ParseSetupMemory(const std::string& inText, SetupMemory& outMemory, std::string& outError) {
  outMemory = SetupMemory();
  std::map<std::string, Entry> theEntries;
  outError = SplitLines(inText, theEntries);
  if (!outError.empty()) return false;
  SetupMemory theMemory;
  for (const Key& theKey : kKeys) {
    auto theEntry = theEntries.find(theKey.name);
    if (theEntry == theEntries.end()) continue;
    const std::string theProblem = theKey.read(theEntry->second.value, theMemory);
    if (!theProblem.empty()) {
      outError = "line " + std::to_string(theEntry->second.line) + ": " + theProblem;
      return false;
    }
  }
  outMemory = theMemory;
  return true;
}

std::string SetupMemoryPath() {
  const std::string theFolder = StateFolder();
  return theFolder.empty() ? std::string() : theFolder + "/" + kFileName;
}

SetupMemoryRead ReadSetupMemory(const std::string& inPath, SetupMemory& outMemory, std::string& outError) {
  outMemory = SetupMemory();
  // O_NONBLOCK: a FIFO opens at once and fstat turns it away.
  const int theFile = open(inPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (theFile < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return SetupMemoryRead::kMissing;
    outError = std::strerror(errno);
    return SetupMemoryRead::kBad;
  }
  struct stat theInfo;
  if (fstat(theFile, &theInfo) != 0 || !S_ISREG(theInfo.st_mode)) {
    close(theFile);
    outError = "not a regular file";
    return SetupMemoryRead::kNotAFile;
  }
  std::vector<char> theBytes(kSetupMemoryMaxBytes + 1);
  size_t theUsed = 0;
  while (theUsed < theBytes.size()) {
    const ssize_t theRead = read(theFile, theBytes.data() + theUsed, theBytes.size() - theUsed);
    if (theRead < 0 && errno == EINTR) continue;
    if (theRead < 0) {
      outError = std::strerror(errno);
      close(theFile);
      return SetupMemoryRead::kBad;
    }
    if (theRead == 0) break;
    theUsed += size_t(theRead);
  }
  close(theFile);
  if (theUsed > kSetupMemoryMaxBytes) {
    outError = "larger than " + std::to_string(kSetupMemoryMaxBytes) + " bytes";
    return SetupMemoryRead::kBad;
  }
  if (!ParseSetupMemory(std::string(theBytes.data(), theUsed), outMemory, outError)) return SetupMemoryRead::kBad;
  return SetupMemoryRead::kRead;
}

bool WriteSetupMemory(const std::string& inPath, const SetupMemory& inMemory, std::string& outError) {
  // A link is followed, so that a file kept elsewhere on purpose stays linked.
  std::string theTarget = inPath;
  char theResolved[PATH_MAX];
  struct stat theInfo;
  if (lstat(inPath.c_str(), &theInfo) == 0 && S_ISLNK(theInfo.st_mode) && realpath(inPath.c_str(), theResolved))
    theTarget = theResolved;
  if (stat(theTarget.c_str(), &theInfo) == 0 && !S_ISREG(theInfo.st_mode)) {
    outError = theTarget + " is not a regular file; it is left alone";
    return false;
  }
  const size_t theSlash = theTarget.rfind('/');
  if (theSlash != std::string::npos && theSlash > 0 && !MakeFolders(theTarget.substr(0, theSlash), outError))
    return false;

  std::string theTemporary = theTarget + ".XXXXXX";
  const int theFile = mkstemp(theTemporary.data());
  if (theFile < 0) {
    outError = "cannot make a file beside " + theTarget + ": " + std::strerror(errno);
    return false;
  }
  const std::string theText = FormatSetupMemory(inMemory);
  size_t theWritten = 0;
  while (theWritten < theText.size()) {
    const ssize_t theCount = write(theFile, theText.data() + theWritten, theText.size() - theWritten);
    if (theCount < 0 && errno == EINTR) continue;
    if (theCount <= 0) break;
    theWritten += size_t(theCount);
  }
  // On disk before the rename: after a crash the old file or the new one, never an empty one.
  const bool theSynced = theWritten == theText.size() && fsync(theFile) == 0;
  const int theSyncError = errno;
  if (close(theFile) != 0 || !theSynced) {
    outError = "cannot write " + theTemporary + ": " + std::strerror(theSynced ? errno : theSyncError);
    unlink(theTemporary.c_str());
    return false;
  }
  if (rename(theTemporary.c_str(), theTarget.c_str()) != 0) {
    outError = "cannot replace " + theTarget + ": " + std::strerror(errno);
    unlink(theTemporary.c_str());
    return false;
  }
  return true;
}
