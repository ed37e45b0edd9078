#include "toolpaths.h"

#include <unistd.h>

#include "pluginsearch.h"

std::string FindSchema() {
  std::string theCandidates[] = {ExecutableFolder() + "/../" ZORBIT_DATA_RELATIVE_DIR "/demo.xsd",
                                 ZORBIT_SOURCE_DIR "/schemas/demo.xsd"};
  for (auto& theCandidate : theCandidates)
    if (access(theCandidate.c_str(), R_OK) == 0) return theCandidate;
  return std::string();
}
