#include "displayplayer.h"

#include <unistd.h>

#include <cstdlib>

#include "textfile.h"

int RunPlayerOnDisplay(const std::string& inPlayer, const std::string& inFolder, const std::string& inDocument) {
  const std::string theCommand = "cd '" + inFolder +
                                 "' && env ZORBIT_NO_SETUP=1 SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 '" +
                                 inPlayer + "' '" + inDocument + "' >stdout.txt 2>stderr.txt";
  int theStatus = -1;
  for (int theTry = 0; theTry < 20; ++theTry) {
    theStatus = std::system(theCommand.c_str());
    if (ReadFile(inFolder + "/stderr.txt").find("Couldn't open X11 display") == std::string::npos) break;
    usleep(200000);
  }
  return theStatus;
}
