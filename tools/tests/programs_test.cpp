// Every program answers --help, --version and an unknown option the same way:
// the real binaries, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tempfolder.h"
#include "zorbit_version.h"

namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& inPath) {
  std::string theText;
  if (FILE* theFile = std::fopen(inPath.c_str(), "rb")) {
    char theChunk[4096];
    size_t theRead;
    while ((theRead = std::fread(theChunk, 1, sizeof theChunk, theFile)) > 0) theText.append(theChunk, theRead);
    std::fclose(theFile);
  }
  return theText;
}

// Runs a program of the build in inFolder, standard output and error apart.
ProgramRun RunProgram(const std::string& inFolder, const std::string& inProgram, const std::string& inArguments) {
  std::string theCommand = "cd '" + inFolder + "' && " ZORBIT_BIN_DIR "/" + inProgram + " " + inArguments +
                           " >stdout.txt 2>stderr.txt </dev/null";
  ProgramRun theRun;
  int theWait = std::system(theCommand.c_str());
  theRun.status = WIFEXITED(theWait) ? WEXITSTATUS(theWait) : -1;
  theRun.out = ReadAll(inFolder + "/stdout.txt");
  theRun.err = ReadAll(inFolder + "/stderr.txt");
  std::remove((inFolder + "/stdout.txt").c_str());
  std::remove((inFolder + "/stderr.txt").c_str());
  return theRun;
}

int Lines(const std::string& inText) {
  int theCount = 0;
  for (char theChar : inText) theCount += theChar == '\n';
  return theCount;
}

const char* const kPrograms[] = {"player", "zorbit-info", "zorbit-check", "zorbit-capture"};

TEST(Programs, HelpGoesToStandardOutputAndExitsZero) {
  TempFolder theFolder("programs_help");
  for (const char* theProgram : kPrograms) {
    ProgramRun theRun = RunProgram(theFolder.Path(), theProgram, "--help");
    EXPECT_EQ(0, theRun.status) << theProgram << ": " << theRun.err;
    EXPECT_EQ(0u, theRun.out.find("Usage: ")) << theProgram << " --help starts with its usage line:\n" << theRun.out;
    EXPECT_NE(std::string::npos, theRun.out.find(theProgram)) << theProgram;
    EXPECT_NE(std::string::npos, theRun.out.find("--help")) << theProgram << " lists --help";
    EXPECT_EQ("", theRun.err) << theProgram;
  }
  // The player answers before it opens its log or looks for a demo.
  EXPECT_NE(0, access((theFolder.Path() + "/Errorlog.txt").c_str(), F_OK)) << "player --help wrote a log";
}

TEST(Programs, VersionNamesTheProgramAndTheProjectVersion) {
  TempFolder theFolder("programs_version");
  for (const char* theProgram : kPrograms) {
    ProgramRun theRun = RunProgram(theFolder.Path(), theProgram, "--version");
    EXPECT_EQ(0, theRun.status) << theProgram;
    EXPECT_EQ(std::string(theProgram) + " (zorbit) " ZORBIT_VERSION "\n", theRun.out) << theProgram;
  }
}

TEST(Programs, UnknownOptionsAreBadUsageWithAOneLineHint) {
  TempFolder theFolder("programs_unknown");
  struct Case {
    const char* program;
    const char* arguments;
    const char* mentions;
  };
  const Case theCases[] = {
      {"player", "--frobnicate demo.xml", "'--frobnicate'"},
      {"player", "demo.xml --volume 300", "--volume"},
      {"player", "--window", "--window"},
      {"zorbit-info", "--frobnicate", "'--frobnicate'"},
      {"zorbit-info", "--frobnicate demo.xml", "'--frobnicate'"},  // an option is never a file name
      {"zorbit-info", "", "zorbit-info DEMO.xml"},
      {"zorbit-info", "a.xml b.xml", "one demo document"},
      {"zorbit-check", "--frobnicate demo.xml", "'--frobnicate'"},
      {"zorbit-check", "demo.xml --schema", "--schema needs a value"},
      {"zorbit-capture", "--frobnicate demo.xml out", "'--frobnicate'"},
      {"zorbit-capture", "demo.xml", "OUTDIR"},
      {"zorbit-capture", "demo.xml out --size 5x5", "--size"},
  };
  for (const Case& theCase : theCases) {
    std::string theLine = std::string(theCase.program) + " " + theCase.arguments;
    ProgramRun theRun = RunProgram(theFolder.Path(), theCase.program, theCase.arguments);
    EXPECT_EQ(2, theRun.status) << theLine << "\n" << theRun.err;
    EXPECT_EQ("", theRun.out) << theLine;
    EXPECT_NE(std::string::npos, theRun.err.find(theCase.mentions)) << theLine << ":\n" << theRun.err;
    EXPECT_NE(std::string::npos, theRun.err.find(std::string("Try '") + theCase.program + " --help'"))
        << theLine << ":\n" << theRun.err;
    EXPECT_EQ(2, Lines(theRun.err)) << theLine << ": the problem and the hint only:\n" << theRun.err;
  }
}

}  // namespace
