#include "toolpaths.h"

#include <unistd.h>

#include <climits>

std::string ExecutableFolder() {
  char thePath[PATH_MAX];
  ssize_t theLength = readlink("/proc/self/exe", thePath, sizeof thePath - 1);
  if (theLength <= 0) return ".";
  std::string theExe(thePath, static_cast<size_t>(theLength));
  return theExe.substr(0, theExe.rfind('/'));
}

std::string FindSchema() {
  std::string theCandidates[] = {ExecutableFolder() + "/../" ZORBIT_DATA_RELATIVE_DIR "/demo.xsd",
                                 ZORBIT_SOURCE_DIR "/schemas/demo.xsd"};
  for (auto& theCandidate : theCandidates)
    if (access(theCandidate.c_str(), R_OK) == 0) return theCandidate;
  return std::string();
}
