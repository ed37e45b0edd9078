#include "writelog.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "statefolder.h"

namespace {

const char* const kLogName = "Errorlog.txt";

FILE* gLog = nullptr;
std::string gLastLine;

// The log in the state folder, or null with the reason in outReason.
FILE* OpenStateLog(std::string& outPath, std::string& outReason) {
  const std::string theFolder = StateFolder();
  if (theFolder.empty()) {
    outReason = "neither XDG_STATE_HOME nor HOME names a folder";
    return nullptr;
  }
  if (!MakeFolders(theFolder, outReason)) return nullptr;
  outPath = theFolder + "/" + kLogName;
  FILE* theFile = std::fopen(outPath.c_str(), "wb");
  if (theFile == nullptr) outReason = outPath + ": " + std::strerror(errno);
  return theFile;
}

}  // namespace

bool OpenLog(const char* inPath) {
  CloseLog();
  gLog = std::fopen(inPath, "wb");
  if (gLog == nullptr) {
    std::fprintf(stderr, "player: cannot open the log %s (%s); writing diagnostics here instead\n", inPath,
                 std::strerror(errno));
    return false;
  }
  return true;
}

std::string OpenPlayerLog() {
  CloseLog();
  gLog = std::fopen(kLogName, "wb");
  if (gLog != nullptr) return kLogName;
  const std::string theHere = std::strerror(errno);
  std::string thePath, theReason;
  gLog = OpenStateLog(thePath, theReason);
  if (gLog != nullptr) {
    std::fprintf(stderr, "player: cannot open the log %s (%s); the log is %s\n", kLogName, theHere.c_str(),
                 thePath.c_str());
    return thePath;
  }
  std::fprintf(stderr, "player: cannot open the log %s (%s) nor one in the state folder (%s); writing diagnostics here instead\n",
               kLogName, theHere.c_str(), theReason.c_str());
  return std::string();
}

void CloseLog() {
  if (gLog != nullptr) {
    std::fclose(gLog);
    gLog = nullptr;
  }
}

FILE* GetLogFile() { return gLog; }

void WriteLog(const char* inText) {
  if (inText == nullptr) return;
  FILE* theFile = gLog != nullptr ? gLog : stderr;
  std::fputs(inText, theFile);
  std::fflush(theFile);
  // The last line with something on it, without its line break.
  std::string theText(inText);
  while (!theText.empty() && (theText.back() == '\n' || theText.back() == '\r')) theText.pop_back();
  const size_t theBreak = theText.rfind('\n');
  if (theBreak != std::string::npos) theText.erase(0, theBreak + 1);
  if (!theText.empty()) gLastLine = theText;
}

const std::string& LastLogLine() { return gLastLine; }

void WriteLogF(const char* inFormat, ...) {
  va_list theArgs;
  va_start(theArgs, inFormat);
  va_list theCopy;
  va_copy(theCopy, theArgs);
  int theLength = std::vsnprintf(nullptr, 0, inFormat, theCopy);
  va_end(theCopy);
  if (theLength >= 0) {
    std::vector<char> theText(size_t(theLength) + 1);
    std::vsnprintf(theText.data(), theText.size(), inFormat, theArgs);
    WriteLog(theText.data());
  }
  va_end(theArgs);
}
