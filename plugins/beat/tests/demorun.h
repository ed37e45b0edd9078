// Plays a demo document through the real player program in a temporary
// folder and collects what it left there (Errorlog.txt, the recorder's
// calls.txt); the demo document builders come with it (demoxml.h).
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "demoxml.h"
#include "textfile.h"

class DemoFolder {
 public:
  DemoFolder() {
    std::string theTemplate = (std::filesystem::temp_directory_path() / "zorbit-demo-XXXXXX").string();
    if (mkdtemp(theTemplate.data())) mPath = theTemplate;
  }
  ~DemoFolder() {
    std::error_code theError;
    if (!mPath.empty() && !std::getenv("ZORBIT_KEEP_TEST_FOLDERS")) std::filesystem::remove_all(mPath, theError);
  }
  DemoFolder(const DemoFolder&) = delete;
  DemoFolder& operator=(const DemoFolder&) = delete;

  const std::string& Path() const { return mPath; }
  void Write(const std::string& inName, const std::string& inText) const {
    WriteFile(mPath + "/" + inName, inText);
  }
  std::string Read(const std::string& inName) const { return ReadFile(mPath + "/" + inName); }
  std::vector<std::string> Lines(const std::string& inName) const {
    std::vector<std::string> theLines;
    std::ifstream theFile(mPath + "/" + inName);
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
    const std::string theCommand = "cd '" + mPath + "' && env ZORBIT_NO_SETUP=1 SDL_AUDIODRIVER=dummy " +
                                   inEnvironment + " '" ZORBIT_BIN_DIR "/player' '" + inDocument +
                                   "' >player.out 2>&1";
    const int theStatus = std::system(theCommand.c_str());
    return WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1;
  }

 private:
  std::string mPath;
};
