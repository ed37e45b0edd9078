// Plays a demo document through the real player program in a temporary
// folder and collects what it left there (Errorlog.txt, the recorder's
// calls.txt), plus small builders for demo documents.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Builders for demo documents; attributes are given as written in XML.
namespace demoxml {

inline std::string Const(int inValue) { return "<param type=\"const\" val=\"" + std::to_string(inValue) + "\"/>"; }
inline std::string Beat(int inId, int inMin, int inMax) {
  return "<param type=\"beat\" ID=\"" + std::to_string(inId) + "\" min=\"" + std::to_string(inMin) + "\" max=\"" +
         std::to_string(inMax) + "\"/>";
}
inline std::string Ramp(int inStart, int inEnd) {
  return "<param start=\"" + std::to_string(inStart) + "\" end=\"" + std::to_string(inEnd) + "\"/>";
}
inline std::string Consts(const std::vector<int>& inValues) {
  std::string theText;
  for (int theValue : inValues) theText += Const(theValue);
  return theText;
}
inline std::string Event(const std::string& inLibrary, const std::string& inFunction, int inStart, int inEnd,
                         const std::string& inParams) {
  return "<Event LibraryFileName=\"" + inLibrary + "\" FunctionName=\"" + inFunction + "\" StartTime=\"" +
         std::to_string(inStart) + "\" EndTime=\"" + std::to_string(inEnd) + "\">" + inParams + "</Event>";
}
inline std::string Library(const std::string& inFile, const std::vector<std::string>& inFunctions) {
  std::string theText = "<Library FileName=\"" + inFile + "\">";
  for (const std::string& theFunction : inFunctions) theText += "<Function Name=\"" + theFunction + "\"/>";
  return theText + "</Library>";
}
// One event per track, tracks in the given order.
inline std::string Document(int inRunningTime, bool inOpenGL, const std::vector<std::string>& inTexts,
                            const std::string& inLibraries, const std::vector<std::string>& inTrackEvents) {
  std::string theText = "<?xml version=\"1.0\"?>\n<Demo><Settings RunningTime=\"" + std::to_string(inRunningTime) +
                        "\" UseOpenGL=\"" + (inOpenGL ? "true" : "false") + "\" NumberOfInputSurfaces=\"0\"/>";
  theText += "<Texts>";
  for (const std::string& theName : inTexts) theText += "<Text>" + theName + "</Text>";
  theText += "</Texts><Libraries>" + inLibraries + "</Libraries><Tracks>";
  for (const std::string& theEvent : inTrackEvents) theText += "<Track>" + theEvent + "</Track>";
  return theText + "</Tracks></Demo>\n";
}

}  // namespace demoxml
