#include <cstdlib>
#include <cstring>

#include "programinfo.h"
#include "startup.h"

#ifdef ZORBIT_HAVE_EDITOR
#include "editor.h"
#include "musicclock.h"
#endif

namespace {

bool EditRequested(const PlayerOptions& inOptions) {
  const char* theValue = std::getenv("ZORBIT_EDIT");
  return inOptions.edit || (theValue != nullptr && theValue[0] != '\0' && std::strcmp(theValue, "0") != 0);
}

}  // namespace

int main(int argc, char** argv) {
  PlayerOptions theOptions = ParseCommandLine(argc, argv);
  if (!theOptions.error.empty()) return UsageError("player", theOptions.error);
  if (theOptions.showHelp) {
    PrintPlayerUsage(stdout);
    return 0;
  }
  if (theOptions.showVersion) {
    PrintVersion("player");
    return 0;
  }
#ifdef ZORBIT_HAVE_EDITOR
  if (EditRequested(theOptions)) return RunEditor(theOptions);
  if (theOptions.musicClock) return RunWithMusicClock(theOptions);
#endif
  return RunPlayer(theOptions);
}
