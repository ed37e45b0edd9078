// A temporary demo folder with a document, an SDL.ini and copies of the test
// plug-ins, and ways to play it: the real player program, or start-up called
// in this process with a fixed-step clock.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "demoxml.h"
#include "startup.h"
#include "tempfolder.h"

struct PlayResult {
  int exitCode = -1;
  std::string log;                 // Errorlog.txt
  std::vector<std::string> calls;  // calls.txt, one entry per line
  std::string errors;              // the program's standard error, without the loader's trace lines
};

class DemoFolder {
 public:
  DemoFolder();
  DemoFolder(const DemoFolder&) = delete;
  DemoFolder& operator=(const DemoFolder&) = delete;

  const std::string& Path() const { return mPath; }
  void Write(const std::string& inName, const std::string& inText) const;
  // Copies build/tests/plugins/<inPlugin>.so here, as inAs when given.
  void AddPlugin(const std::string& inPlugin, const std::string& inAs = std::string()) const;
  // A 64x48 window without sound.
  void WriteDefaultIni() const;

  // Runs the player program here with ZORBIT_NO_SETUP=1, the dummy drivers and
  // the state folder in state/ here, never the user's (unless inEnvironment
  // says otherwise).
  PlayResult RunProgram(const std::vector<std::string>& inArguments, const std::string& inEnvironment = "") const;
  // Runs start-up in this process, in this folder, with a fixed-step clock.
  PlayResult RunHere(const std::vector<std::string>& inArguments, uint32_t inStepMs = 10,
                     const FrameHook& inAfterDraw = FrameHook()) const;

 private:
  PlayResult Collect(int inExitCode) const;
  TempFolder mFolder;
  std::string mPath;  // mFolder's, or /tmp when it could not be made
};

// Pieces of a demo document.
std::string Settings(int inRunningTime, bool inOpenGL = false, const std::string& inExtra = "");
std::string Library(const std::string& inFile, std::initializer_list<const char*> inFunctions);
using demoxml::Const;
using demoxml::Event;
std::string Document(const std::string& inSettings, const std::string& inLibraries,
                     const std::vector<std::vector<std::string>>& inTracks,
                     std::initializer_list<const char*> inTexts = {});

// The calls reduced to what a test compares: "init tag", "quit tag",
// "frame tag", "tag:Effect make|run|destroy@time" (time = start + elapsed).
std::vector<std::string> Summarise(const std::vector<std::string>& inCalls, bool inWithFrames = true);
// The lines of inCalls that start with inPrefix.
std::vector<std::string> Lines(const std::vector<std::string>& inCalls, const std::string& inPrefix);
