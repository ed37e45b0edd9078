#include "statefolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool IsAbsolute(const char* inPath) { return inPath != nullptr && inPath[0] == '/'; }

std::string HomeFolder() {
  const char* theHome = std::getenv("HOME");
  if (IsAbsolute(theHome)) return theHome;
  const passwd* theUser = getpwuid(getuid());
  if (theUser != nullptr && IsAbsolute(theUser->pw_dir)) return theUser->pw_dir;
  return std::string();
}

}  // namespace

std::string StateFolder() {
  const char* theState = std::getenv("XDG_STATE_HOME");
  if (IsAbsolute(theState)) return std::string(theState) + "/zorbit";
  std::string theHome = HomeFolder();
  if (theHome.empty()) return std::string();
  return theHome + "/.local/state/zorbit";
}

bool MakeFolders(const std::string& inPath, std::string& outError) {
  for (size_t theEnd = 1; theEnd <= inPath.size(); ++theEnd) {
    if (theEnd < inPath.size() && inPath[theEnd] != '/') continue;
    const std::string thePart = inPath.substr(0, theEnd);
    if (mkdir(thePart.c_str(), 0700) == 0 || errno == EEXIST) {
      struct stat theInfo;
      // A file in the way shows here rather than as a puzzling failure later.
      if (stat(thePart.c_str(), &theInfo) == 0 && S_ISDIR(theInfo.st_mode)) continue;
      outError = thePart + " is not a folder";
      return false;
    }
    outError = "cannot make the folder " + thePart + ": " + std::strerror(errno);
    return false;
  }
  return true;
}
