#include "playerfixture.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "demoxml.h"
#include "sdlini.h"
#include "textfile.h"

namespace {

std::string Field(const std::string& inLine, const std::string& inKey) {
  size_t thePos = inLine.find(" " + inKey + "=");
  if (thePos == std::string::npos) return std::string();
  thePos += inKey.size() + 2;
  return inLine.substr(thePos, inLine.find(' ', thePos) - thePos);
}

}  // namespace

DemoFolder::DemoFolder() : mFolder("zorbit_player") {
  EXPECT_FALSE(mFolder.Path().empty());
  mPath = !mFolder.Path().empty() ? mFolder.Path() : "/tmp";
}

void DemoFolder::Write(const std::string& inName, const std::string& inText) const {
  WriteFile(mPath + "/" + inName, inText);
}

void DemoFolder::AddPlugin(const std::string& inPlugin, const std::string& inAs) const {
  std::string theCommand = "mkdir -p \"$(dirname '" + mPath + "/" + (inAs.empty() ? inPlugin + ".so" : inAs) +
                           "')\" && cp '" ZORBIT_TEST_PLUGIN_DIR "/" + inPlugin + ".so' '" + mPath + "/" +
                           (inAs.empty() ? inPlugin + ".so" : inAs) + "'";
  ASSERT_EQ(0, std::system(theCommand.c_str())) << theCommand;
}

void DemoFolder::WriteDefaultIni() const { Write("SDL.ini", SilentWindowIni(64, 48)); }

PlayResult DemoFolder::Collect(int inExitCode) const {
  PlayResult theResult;
  theResult.exitCode = inExitCode;
  theResult.log = ReadFile(mPath + "/Errorlog.txt");
  std::stringstream theCalls(ReadFile(mPath + "/calls.txt"));
  for (std::string theLine; std::getline(theCalls, theLine);) theResult.calls.push_back(theLine);
  std::remove((mPath + "/calls.txt").c_str());
  return theResult;
}

PlayResult DemoFolder::RunProgram(const std::vector<std::string>& inArguments, const std::string& inEnvironment) const {
  std::string theCommand = "cd '" + mPath +
                           "' && env ZORBIT_NO_SETUP=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_STATE_HOME='" +
                           mPath + "/state' " + inEnvironment +
                           " '" ZORBIT_PLAYER "'";
  for (const std::string& theArgument : inArguments) theCommand += " '" + theArgument + "'";
  theCommand += " >stdout.txt 2>stderr.txt";
  int theStatus = std::system(theCommand.c_str());
  EXPECT_TRUE(WIFEXITED(theStatus)) << "the player did not exit normally: " << theCommand << "\n"
                                    << ReadFile(mPath + "/stderr.txt");
  PlayResult theResult = Collect(WIFEXITED(theStatus) ? WEXITSTATUS(theStatus) : -1);
  std::stringstream theErrors(ReadFile(mPath + "/stderr.txt"));
  bool theTrace = false;
  for (std::string theLine; std::getline(theErrors, theLine);) {
    bool theTraceLine = theLine.rfind("TRACE: ", 0) == 0 || (theTrace && theLine.rfind("  in file ", 0) == 0);
    theTrace = theLine.rfind("TRACE: ", 0) == 0;
    if (!theTraceLine) theResult.errors += theLine + "\n";
  }
  return theResult;
}

PlayResult DemoFolder::RunHere(const std::vector<std::string>& inArguments, uint32_t inStepMs,
                               const FrameHook& inAfterDraw) const {
  char theOld[4096];
  EXPECT_NE(nullptr, getcwd(theOld, sizeof theOld));
  EXPECT_EQ(0, chdir(mPath.c_str()));
  std::vector<std::string> theArguments = {"player"};
  theArguments.insert(theArguments.end(), inArguments.begin(), inArguments.end());
  std::vector<char*> theArgv;
  for (std::string& theArgument : theArguments) theArgv.push_back(&theArgument[0]);
  theArgv.push_back(nullptr);
  FixedStepClock theClock(inStepMs);
  PlayerHooks theHooks;
  theHooks.clock = &theClock;
  theHooks.afterDraw = inAfterDraw;
  theHooks.allowSetupWindow = false;
  int theExit = RunPlayer(ParseCommandLine(int(theArguments.size()), theArgv.data()), theHooks);
  EXPECT_EQ(0, chdir(theOld));
  return Collect(theExit);
}

std::string Settings(int inRunningTime, bool inOpenGL, const std::string& inExtra) {
  return "<Settings RunningTime=\"" + std::to_string(inRunningTime) + "\" UseOpenGL=\"" +
         (inOpenGL ? "true" : "false") + "\" NumberOfInputSurfaces=\"0\" " + inExtra + "/>\n";
}

std::string Library(const std::string& inFile, std::initializer_list<const char*> inFunctions) {
  return demoxml::Library(inFile, std::vector<std::string>(inFunctions.begin(), inFunctions.end())) + "\n";
}

std::string Document(const std::string& inSettings, const std::string& inLibraries,
                     const std::vector<std::vector<std::string>>& inTracks, std::initializer_list<const char*> inTexts) {
  std::string theText = "<Demo>\n" + inSettings + "<Texts>";
  for (const char* theName : inTexts) theText += "<Text>" + std::string(theName) + "</Text>";
  theText += "</Texts>\n<Libraries>\n" + inLibraries + "</Libraries>\n<Tracks>\n";
  for (const std::vector<std::string>& theTrack : inTracks) {
    theText += "<Track>";
    for (const std::string& theEvent : theTrack) theText += theEvent;
    theText += "</Track>\n";
  }
  return theText + "</Tracks>\n</Demo>\n";
}

std::vector<std::string> Summarise(const std::vector<std::string>& inCalls, bool inWithFrames) {
  std::vector<std::string> theSummary;
  for (const std::string& theLine : inCalls) {
    std::istringstream theWords(theLine);
    std::string theWhat, theTag, theEffect;
    theWords >> theWhat >> theTag;
    if (theWhat == "init" || theWhat == "quit") {
      theSummary.push_back(theWhat + " " + theTag);
    } else if (theWhat == "frame") {
      if (inWithFrames) theSummary.push_back("frame " + theTag);
    } else if (theWhat == "effect") {
      theWords >> theEffect;
      int thePhase = std::atoi(Field(theLine, "phase").c_str());
      long theTime = std::atol(Field(theLine, "start").c_str()) + std::atol(Field(theLine, "elapsed").c_str());
      const char* thePhaseName = thePhase == 0 ? "make" : thePhase == 1 ? "run" : "destroy";
      theSummary.push_back(theTag + ":" + theEffect + " " + thePhaseName + "@" + std::to_string(theTime));
    }
  }
  return theSummary;
}

std::vector<std::string> Lines(const std::vector<std::string>& inCalls, const std::string& inPrefix) {
  std::vector<std::string> theLines;
  for (const std::string& theLine : inCalls) {
    if (theLine.rfind(inPrefix, 0) == 0) theLines.push_back(theLine);
  }
  return theLines;
}
