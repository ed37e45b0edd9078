// Plays a demo document through the real player program in a temporary
// folder and collects what it left there (Errorlog.txt, the recorder's
// calls.txt); the demo document builders come with it (demoxml.h).
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demoxml.h"
#include "tempfolder.h"
#include "textfile.h"

class DemoFolder {
 public:
  DemoFolder() : mFolder("zorbit-demo-") {}

  const std::string& Path() const { return mFolder.Path(); }
  void Write(const std::string& inName, const std::string& inText) const {
    WriteFile(Path() + "/" + inName, inText);
  }
  std::string Read(const std::string& inName) const { return ReadFile(Path() + "/" + inName); }
  std::vector<std::string> Lines(const std::string& inName) const {
    std::vector<std::string> theLines;
    std::ifstream theFile(Path() + "/" + inName);
    for (std::string theLine; std::getline(theFile, theLine);) theLines.push_back(theLine);
    return theLines;
  }
  // A small window without sound, for the player when no setup window is shown.
  void WriteIni(int inWidth = 320, int inHeight = 240) const {
    Write("SDL.ini", "[video]\nwidth=" + std::to_string(inWidth) + "\nheight=" + std::to_string(inHeight) +
                         "\nbpp=32\nfullscreen=0\ndoublebuf=1\n[audio]\nenabled=0\n");
  }
  // Runs bin/player on inDocument from this folder; returns its exit code.
  int RunPlayer(const std::string& inDocument, const std::string& inEnvironment = "SDL_VIDEODRIVER=dummy") const {
    const std::string theCommand = "cd '" + Path() + "' && env ZORBIT_NO_SETUP=1 SDL_AUDIODRIVER=dummy " +
                                   inEnvironment + " '" ZORBIT_BIN_DIR "/player' '" + inDocument +
                                   "' >player.out 2>&1";
    const int theStatus = std::system(theCommand.c_str());
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
  }

 private:
  TempFolder mFolder;
};
