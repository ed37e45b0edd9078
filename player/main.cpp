#include "programinfo.h"
#include "startup.h"

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
  return RunPlayer(argc, argv);
}
