#include "pluginsearch.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#ifndef ZORBIT_PLUGIN_RELATIVE_DIR
#define ZORBIT_PLUGIN_RELATIVE_DIR "lib/zorbit"
#endif
#ifndef ZORBIT_PLUGIN_DIR
#define ZORBIT_PLUGIN_DIR ""
#endif

std::string FolderOf(const std::string& inPath) {
  size_t theSlash = inPath.rfind('/');
  if (theSlash == std::string::npos) return ".";
  if (theSlash == 0) return "/";
  return inPath.substr(0, theSlash);
}

std::string ExecutableFolder() {
  char thePath[4096];
  ssize_t theLength = readlink("/proc/self/exe", thePath, sizeof thePath - 1);
  if (theLength <= 0) return std::string();
  thePath[theLength] = '\0';
  return FolderOf(thePath);
}

namespace {

bool EndsWith(const std::string& inText, const char* inEnd) {
  size_t theLength = std::strlen(inEnd);
  return inText.size() >= theLength && inText.compare(inText.size() - theLength, theLength, inEnd) == 0;
}

}  // namespace

std::vector<std::string> LibrarySearchFolders(const char* inDemoPath) {
  std::vector<std::string> theFolders;
  if (inDemoPath != nullptr && inDemoPath[0] != '\0') theFolders.push_back(FolderOf(inDemoPath));
  // ZORBIT_PLUGIN_PATH: folders of plug-ins in the making, and of programs
  // that carry the player inside them (tools, tests), separated by ':'.
  if (const char* thePath = std::getenv("ZORBIT_PLUGIN_PATH")) {
    std::string theList = thePath;
    size_t theStart = 0;
    while (theStart <= theList.size()) {
      size_t theEnd = theList.find(':', theStart);
      if (theEnd == std::string::npos) theEnd = theList.size();
      if (theEnd > theStart) theFolders.push_back(theList.substr(theStart, theEnd - theStart));
      theStart = theEnd + 1;
    }
  }
  std::string theOwn = ExecutableFolder();
  if (!theOwn.empty()) {
    theFolders.push_back(theOwn);
    // Installed: bin/player finds lib/zorbit/ wherever the tree was installed to.
    theFolders.push_back(theOwn + "/../" ZORBIT_PLUGIN_RELATIVE_DIR);
  }
  if (ZORBIT_PLUGIN_DIR[0] != '\0') theFolders.push_back(ZORBIT_PLUGIN_DIR);
  return theFolders;
}

std::vector<std::string> LibraryCandidateNames(const char* inFileName) {
  std::vector<std::string> theNames;
  std::string theName = inFileName != nullptr ? inFileName : "";
  auto theAddWithDebug = [&theNames](const std::string& inName) {
    size_t theDot = inName.find('.');
    if (theDot != std::string::npos) theNames.push_back(inName.substr(0, theDot) + "DBG" + inName.substr(theDot));
    theNames.push_back(inName);
  };
  theAddWithDebug(theName);
  if (EndsWith(theName, ".dll")) theAddWithDebug(theName.substr(0, theName.size() - 4) + ".so");
  return theNames;
}

const void* OwnDataSymbol(void* inHandle, const char* inName) {
  if (inHandle == nullptr) return nullptr;
  const void* theSymbol = dlsym(inHandle, inName);
  if (theSymbol == nullptr) return nullptr;
  link_map* theOwn = nullptr;
  link_map* theFound = nullptr;
  Dl_info theInfo;
  if (dlinfo(inHandle, RTLD_DI_LINKMAP, &theOwn) != 0 ||
      dladdr1(theSymbol, &theInfo, reinterpret_cast<void**>(&theFound), RTLD_DL_LINKMAP) == 0)
    return nullptr;
  return theFound == theOwn ? theSymbol : nullptr;
}
