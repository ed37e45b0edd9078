// The player program and its start-up, run headless on documents of test
// plug-ins that record every call they receive.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "playerfixture.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kNoSetupWindow =
    "We couldn't initialize the setup window. We'll just continue with the settings in the SDL.ini file, and hope "
    "we can initialize a window for the demo...\n";

std::string Step(int inStep) {
  return "Something went horribly wrong.  Stopped at step '" + std::to_string(inStep) + "'.\n";
}

// Frames drawn within the same millisecond repeat themselves; one of each is enough to compare.
Strings Collapsed(Strings inLines) {
  inLines.erase(std::unique(inLines.begin(), inLines.end()), inLines.end());
  return inLines;
}

std::string Joined(const Strings& inLines) {
  std::string theText;
  for (const std::string& theLine : inLines) theText += theLine + "\n";
  return theText;
}

TEST(PlayerProgram, PlaysADocumentOfTestPlugInsFromStartToEnd) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(60), Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 20, Const(7) + Const(-3))}}));
  PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode);
  EXPECT_EQ("", theRun.log) << "a clean run leaves an empty log";
  ASSERT_GE(theRun.calls.size(), 6u);
  EXPECT_EQ("init recorder output=2 input=array state=set services=set", theRun.calls.front());
  EXPECT_EQ("quit recorder live=0", theRun.calls.back());
  Strings theEffects = Lines(theRun.calls, "effect");
  ASSERT_GE(theEffects.size(), 3u);
  // The first frame comes a few milliseconds after start on a slow (sanitizer) build: read its time from the line.
  const size_t theAt = theEffects[0].find("elapsed=");
  ASSERT_NE(std::string::npos, theAt);
  const std::string theElapsed = theEffects[0].substr(theAt, theEffects[0].find(' ', theAt) - theAt);
  EXPECT_LE(std::stoi(theElapsed.substr(8)), 20) << "the event starts while it is active";
  EXPECT_EQ("effect recorder Record phase=0 " + theElapsed + " const=1 status=0 start=0 dur=20 slot=empty values=7,-3",
            theEffects[0]);
  EXPECT_EQ("effect recorder Record phase=1 " + theElapsed + " const=1 status=0 start=0 dur=20 slot=kept values=7,-3",
            theEffects[1])
      << "the frame an event starts runs it too, at the same time with the same values";
  Strings theDestroys = Lines(theEffects, "effect recorder Record phase=-1");
  ASSERT_EQ(1u, theDestroys.size()) << "the event ends before the demo does";
  EXPECT_NE(std::string::npos, theDestroys[0].find("slot=kept"));
  EXPECT_EQ(theEffects.back(), theDestroys[0]);
}

TEST(PlayerProgram, WithoutTheSetupWindowItSaysSoAndReadsSdlIni) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Record"}), {}));
  // The dummy driver cannot give the setup window its OpenGL window.
  PlayResult theRun = theFolder.RunProgram({"demo.xml"}, "ZORBIT_NO_SETUP=");
  EXPECT_EQ(0, theRun.exitCode);
  EXPECT_EQ(kNoSetupWindow, theRun.log);
  EXPECT_EQ((Strings{"init recorder", "frame recorder", "quit recorder"}), Collapsed(Summarise(theRun.calls)));
}

// Every start-up failure: the exact log, the exit code, and which shutdown
// work ran (Zorbit_Quit only once every library started).
TEST(PlayerProgram, FailuresAtEveryStepLogTheirMessageAndUndoWhatWasBroughtUp) {
  struct Case {
    const char* name;
    std::string document;  // empty: no demo.xml at all
    Strings plugins;
    std::string ini;
    std::string environment;
    std::string log;
    int exitCode;
    Strings calls;  // summarised, without frames
  };
  const std::string theRecorder = Library("recorder.so", {"Record"});
  const std::string theOneEvent = Event("recorder.so", "Record", 0, 10);
  const std::string theIni = "[video]\nwidth=64\nheight=48\n[audio]\nenabled=0\n";
  const Case theCases[] = {
      {"no SDL.ini", Document(Settings(10), theRecorder, {}), {"recorder"}, "", "",
       "SDL.ini: cannot open the settings file: No such file or directory\n" + Step(1), 1, {}},
      {"malformed SDL.ini", Document(Settings(10), theRecorder, {}), {"recorder"}, "[video]\nwidth=wide\n", "",
       "SDL.ini:2: malformed value 'wide' for width: expected a number from 1 to 65535\n" + Step(1), 1, {}},
      {"no video mode", Document(Settings(10), theRecorder, {}), {"recorder"}, theIni, "SDL_VIDEODRIVER=nosuchdriver",
       "SDL_Config_Init: no video: No available video device\n" + Step(1), 1, {}},
      {"video mode larger than SDL can allocate", Document(Settings(10), theRecorder, {}), {"recorder"},
       "[video]\nwidth=65535\nheight=65535\n", "",
       "SDL_Config_Init: a 65535x65535 video mode is larger than SDL can allocate\n" + Step(1), 1, {}},
      {"library missing", Document(Settings(10), theRecorder, {}), {}, theIni, "",
       "Couldn't load library 'recorder.so'!\n", 1, {}},
      {"no Zorbit_Init (nor Zorbit_Quit)", Document(Settings(10), Library("noinit.so", {}), {}), {"noinit"}, theIni,
       "", "Couldn't load function 'Zorbit_Init' from library 'noinit.so'!\n", 1, {}},
      {"no Zorbit_Quit", Document(Settings(10), Library("noquit.so", {}), {}), {"noquit"}, theIni, "",
       "Couldn't load function 'Zorbit_Quit' from library 'noquit.so'!\n", 1, {}},
      {"no Zorbit_BeginNewFrame", Document(Settings(10), Library("noframe.so", {}), {}), {"noframe"}, theIni, "",
       "Couldn't load function 'Zorbit_BeginNewFrame' from library 'noframe.so'!\n", 1, {}},
      {"declared function missing", Document(Settings(10), Library("recorder.so", {"Record", "Nope"}), {}),
       {"recorder"}, theIni, "", "Couldn't load function 'Nope' from library 'recorder.so'!\n", 1, {}},
      {"event without a function",
       Document(Settings(10), theRecorder, {{theOneEvent}, {}, {Event("recorder.so", "FailRun", 0, 10)}}),
       {"recorder"}, theIni, "",
       "Couldn't match event 0's function 'FailRun' for library 'recorder.so' to available libraries in track 2", 1,
       {}},
      {"event naming another library",
       Document(Settings(10), theRecorder, {{theOneEvent, Event("other.so", "Record", 20, 30)}}), {"recorder"},
       theIni, "", "Couldn't match event 1's function 'Record' for library 'other.so' to available libraries in track 0",
       1, {}},
      {"input surfaces beyond reason",
       "<Demo><Settings RunningTime=\"10\" NumberOfInputSurfaces=\"-1\"/>" + theRecorder + "</Demo>", {"recorder"},
       theIni, "", "Couldn't create 4294967295 input surfaces, at most 256 are supported", 1, {}},
      {"third of four libraries fails Zorbit_Init",
       Document(Settings(10),
                theRecorder + Library("producer2.so", {}) + Library("initfail.so", {}) + Library("other.so", {}),
                {{theOneEvent}}),
       {"recorder", "producer2", "initfail", "other"}, theIni, "", Step(5), 1,
       {"init recorder", "init producer2", "init initfail"}},
      {"last frame's running call fails",
       Document(Settings(0), Library("recorder.so", {"FailRun"}), {{Event("recorder.so", "FailRun", 0, 10)}}),
       {"recorder"}, theIni, "", Step(9), 0,
       {"init recorder", "recorder:FailRun make@0", "recorder:FailRun run@0", "quit recorder"}},
  };
  for (const Case& theCase : theCases) {
    SCOPED_TRACE(theCase.name);
    DemoFolder theFolder;
    for (const std::string& thePlugin : theCase.plugins) theFolder.AddPlugin(thePlugin);
    if (!theCase.ini.empty()) theFolder.Write("SDL.ini", theCase.ini);
    theFolder.Write("demo.xml", theCase.document);
    PlayResult theRun = theFolder.RunProgram({"demo.xml"}, theCase.environment);
    // A demo of running time 0 draws only while the demo time is still 0: on
    // a busy machine the clock may pass 0 ms before the first frame, and the
    // demo then ends at once, drawing nothing, which is right too. Run it
    // again until a frame was drawn at 0.
    const auto theDrewNothing = [&] {
      return theCase.exitCode == 0 && Collapsed(Summarise(theRun.calls, false)).size() < theCase.calls.size();
    };
    for (int theTry = 0; theTry < 50 && theDrewNothing(); ++theTry) {
      EXPECT_EQ("", theRun.log) << "nothing was drawn, so nothing failed";
      EXPECT_EQ(0, theRun.exitCode);
      theRun = theFolder.RunProgram({"demo.xml"}, theCase.environment);
    }
    EXPECT_EQ(theCase.log, theRun.log);
    EXPECT_EQ(theCase.exitCode, theRun.exitCode);
    EXPECT_EQ(Joined(theCase.calls), Joined(Collapsed(Summarise(theRun.calls, false))));
  }
}

TEST(PlayerProgram, DocumentThatDoesNotLoadStopsBeforeAnythingElse) {
  DemoFolder theFolder;
  theFolder.WriteDefaultIni();
  PlayResult theMissing = theFolder.RunProgram({"absent.xml"});
  EXPECT_EQ(1, theMissing.exitCode);
  EXPECT_NE(std::string::npos, theMissing.log.find("demo")) << theMissing.log;
  theFolder.Write("broken.xml", "<Demo><Settings RunningTime=\"10\"");
  PlayResult theBroken = theFolder.RunProgram({"broken.xml"});
  EXPECT_EQ(1, theBroken.exitCode);
  EXPECT_NE(std::string::npos, theBroken.log.find("XML")) << theBroken.log;
  std::string theLongPath(1100, 'd');
  PlayResult theLong = theFolder.RunProgram({theLongPath});
  EXPECT_EQ(1, theLong.exitCode);
  EXPECT_EQ("The demo path is 1100 characters long; at most 1023 are allowed.\n", theLong.log);
}

TEST(PlayerProgram, WithoutAWritableLogDiagnosticsGoToStandardError) {
  DemoFolder theFolder;
  theFolder.WriteDefaultIni();
  std::system(("mkdir '" + theFolder.Path() + "/Errorlog.txt'").c_str());  // cannot be opened as a file
  theFolder.Write("demo.xml", Document(Settings(10), Library("absent.so", {}), {}));
  // Nor can the state folder be made: a file stands where it would go.
  PlayResult theRun = theFolder.RunProgram({"demo.xml"}, "XDG_STATE_HOME='" + theFolder.Path() + "/demo.xml'");
  EXPECT_EQ(1, theRun.exitCode);
  EXPECT_NE(std::string::npos, theRun.errors.find("player: cannot open the log Errorlog.txt")) << theRun.errors;
  EXPECT_NE(std::string::npos, theRun.errors.find("Couldn't load library 'absent.so'!\n")) << theRun.errors;
}

// A folder the player cannot write its log into: inCandidate made 0555, or,
// where that does not stop this user (root), /proc. Empty when there is none.
std::string UnwritableFolder(const std::string& inCandidate) {
  chmod(inCandidate.c_str(), 0555);
  const std::string theProbe = inCandidate + "/probe";
  if (FILE* theFile = std::fopen(theProbe.c_str(), "wb")) {
    std::fclose(theFile);
    std::remove(theProbe.c_str());
    chmod(inCandidate.c_str(), 0755);
    if (FILE* theProc = std::fopen("/proc/Errorlog.txt", "wb")) {
      std::fclose(theProc);
      return std::string();
    }
    return "/proc";
  }
  return inCandidate;
}

TEST(PlayerProgram, ReadOnlyWorkingFolderPutsTheLogInTheStateFolder) {
  DemoFolder theFolder;  // the document and what the runs leave
  const std::string& f = theFolder.Path();
  theFolder.Write("broken.xml", "<Demo><Settings RunningTime=\"10\"");
  TempFolder theWork("zorbit_readonly");
  ASSERT_FALSE(theWork.Path().empty());
  const std::string theWorking = UnwritableFolder(theWork.Path());
  if (theWorking.empty()) GTEST_SKIP() << "this user can write everywhere, /proc included";

  struct Case {
    std::string environment;
    std::string log;
  } const kCases[] = {
      {"XDG_STATE_HOME='" + f + "/state'", f + "/state/zorbit/Errorlog.txt"},
      {"XDG_STATE_HOME= HOME='" + f + "/home'", f + "/home/.local/state/zorbit/Errorlog.txt"},
      {"XDG_STATE_HOME=relative HOME='" + f + "/home2'", f + "/home2/.local/state/zorbit/Errorlog.txt"},
  };
  for (const Case& c : kCases) {
    const std::string theCommand = "cd '" + theWorking +
                                   "' && env ZORBIT_NO_SETUP=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " +
                                   c.environment + " '" ZORBIT_PLAYER "' '" + f + "/broken.xml' 2>'" + f +
                                   "/stderr.txt'";
    const int theStatus = std::system(theCommand.c_str());
    EXPECT_TRUE(WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 1) << theCommand;
    const std::string theErrors = ReadFile(f + "/stderr.txt");
    const std::string theLine = "; the log is " + c.log + "\n";
    EXPECT_NE(theErrors.find("player: cannot open the log Errorlog.txt ("), std::string::npos) << theErrors;
    EXPECT_NE(theErrors.find(theLine), std::string::npos) << "standard error does not say where the log went:\n"
                                                          << theErrors;
    EXPECT_NE(ReadFile(c.log).find("XML"), std::string::npos) << "the loader's message is not in " << c.log;
  }
  EXPECT_NE(0, access((theWork.Path() + "/Errorlog.txt").c_str(), F_OK)) << "a log appeared in the read-only folder";
  chmod(theWork.Path().c_str(), 0755);

  // A writable working folder keeps its log, and the state folder stays unmade.
  PlayResult theHere = theFolder.RunProgram({"broken.xml"}, "XDG_STATE_HOME='" + f + "/unused'");
  EXPECT_NE(theHere.log.find("XML"), std::string::npos) << theHere.log;
  EXPECT_EQ(theHere.errors.find("player: cannot open the log"), std::string::npos) << theHere.errors;
  EXPECT_NE(0, access((f + "/unused").c_str(), F_OK)) << "the state folder was made although the working folder is writable";
}

TEST(PlayerProgram, PlugInThatDoesNotLoadIsExplainedOnStandardError) {
  DemoFolder theFolder;
  theFolder.WriteDefaultIni();
  theFolder.Write("broken.so", "not a shared object");
  theFolder.Write("demo.xml", Document(Settings(10), Library("broken.so", {}), {}));
  PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(1, theRun.exitCode);
  EXPECT_EQ("Couldn't load library 'broken.so'!\n", theRun.log);
  EXPECT_NE(std::string::npos, theRun.errors.find("broken.so")) << theRun.errors;
}

TEST(PlayerProgram, VerboseRunLogsProgressLines) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.AddPlugin("initfail");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {}) + Library("initfail.so", {}), {}));
  PlayResult theRun = theFolder.RunProgram({"demo.xml", "log"});
  EXPECT_EQ(1, theRun.exitCode);
  EXPECT_EQ(
      "Initializing openGL state \n"
      "Setting warning function\n"
      "Setting viewport to correct aspect ratio \n"
      "Initialising libraries: \n"
      "Initializing lib recorder.so ... \n"
      "Initializing lib initfail.so ... \n"
      " *** Library initfail.so failed init! \n" +
          Step(5),
      theRun.log);
}

// Where a library file is found, and which file of several wins.
TEST(PlayerProgram, LibrariesAreFoundDebugNameFirstInTheDocumentsFolder) {
  struct Case {
    const char* name;
    const char* libraryName;  // as written in the document
    std::vector<std::pair<const char*, const char*>> files;  // plug-in, placed as (relative to the folder)
    const char* documentPath;
    const char* loaded;  // tag of the plug-in that started, or null for a load failure
  };
  const Case theCases[] = {
      {"debug build wins", "recorder.so", {{"recorder", "recorder.so"}, {"recorderDBG", "recorderDBG.so"}},
       "demo.xml", "recorderDBG"},
      {"release build alone", "recorder.so", {{"recorder", "recorder.so"}}, "demo.xml", "recorder"},
      {"document in a sub-folder", "recorder.so", {{"recorder", "show/recorder.so"}}, "show/demo.xml", "recorder"},
      {"working folder is not searched", "recorder.so", {{"recorder", "recorder.so"}}, "show/demo.xml", nullptr},
      {"a .dll name finds the .so", "recorder.dll", {{"recorder", "recorder.so"}}, "demo.xml", "recorder"},
      {"a .dll name prefers a .dll file", "recorder.dll",
       {{"recorder", "recorder.so"}, {"other", "recorder.dll"}}, "demo.xml", "other"},
      {"a name without a dot is taken as written", "recorder", {{"recorder", "recorder"}, {"other", "recorderDBG"}},
       "demo.xml", "recorder"},
  };
  for (const Case& theCase : theCases) {
    SCOPED_TRACE(theCase.name);
    DemoFolder theFolder;
    for (auto& theFile : theCase.files) theFolder.AddPlugin(theFile.first, theFile.second);
    theFolder.WriteDefaultIni();
    std::system(("mkdir -p '" + theFolder.Path() + "/show'").c_str());
    theFolder.Write(theCase.documentPath,
                    Document(Settings(0), Library(theCase.libraryName, {"Record"}),
                             {{Event(theCase.libraryName, "Record", 0, 10)}}));
    PlayResult theRun = theFolder.RunProgram({theCase.documentPath});
    if (theCase.loaded == nullptr) {
      EXPECT_EQ(1, theRun.exitCode);
      EXPECT_EQ("Couldn't load library '" + std::string(theCase.libraryName) + "'!\n", theRun.log);
    } else {
      EXPECT_EQ(0, theRun.exitCode) << theRun.log;
      EXPECT_EQ((Strings{"init " + std::string(theCase.loaded)}), Lines(Summarise(theRun.calls), "init"));
    }
  }
}

TEST(PlayerProgram, StartOffsetSkipsEventsThatEndedBefore) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(5030), Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 4990)},
                                        {Event("recorder.so", "Record", 5000, 9000)}}));
  PlayResult theRun = theFolder.RunProgram({"demo.xml", "5000"});
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  Strings theEffects = Lines(theRun.calls, "effect");
  ASSERT_FALSE(theEffects.empty());
  for (const std::string& theLine : theEffects) EXPECT_NE(std::string::npos, theLine.find("start=5000")) << theLine;
  Strings theSummary = Summarise(theEffects);
  EXPECT_EQ(0u, theSummary[0].rfind("recorder:Record make@50", 0)) << "first frame near 5000 ms: " << theSummary[0];
}

// The order of calls within frames, with a fixed 10 ms step.
TEST(FrameLoop, EndsAnnouncesStartsAndRunsTracksFromTheHighestDown) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.AddPlugin("other");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml",
                  Document(Settings(60), Library("recorder.so", {"Record"}) + Library("other.so", {"Record"}),
                           {{Event("recorder.so", "Record", 0, 20), Event("recorder.so", "Record", 30, 50)},
                            {Event("other.so", "Record", 10, 40)}}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  const Strings theFrames = {"frame recorder", "frame other"};
  Strings theExpected = {"init recorder", "init other"};
  auto theAdd = [&theExpected](const Strings& inLines) {
    theExpected.insert(theExpected.end(), inLines.begin(), inLines.end());
  };
  theAdd(theFrames);  // t = 0
  theAdd({"recorder:Record make@0", "recorder:Record run@0"});
  theAdd(theFrames);  // t = 10: track 1 starts and runs before track 0
  theAdd({"other:Record make@10", "other:Record run@10", "recorder:Record run@10"});
  theAdd(theFrames);  // t = 20: both ends inclusive
  theAdd({"other:Record run@20", "recorder:Record run@20"});
  theAdd({"recorder:Record destroy@30"});  // t = 30: the end comes before the new-frame notice
  theAdd(theFrames);
  theAdd({"recorder:Record make@30", "other:Record run@30", "recorder:Record run@30"});
  theAdd(theFrames);  // t = 40
  theAdd({"other:Record run@40", "recorder:Record run@40"});
  theAdd({"other:Record destroy@50"});  // t = 50
  theAdd(theFrames);
  theAdd({"recorder:Record run@50"});
  theAdd({"recorder:Record destroy@60"});  // t = 60: the running time itself is drawn
  theAdd(theFrames);
  theAdd({"quit recorder", "quit other"});
  EXPECT_EQ(Joined(theExpected), Joined(Summarise(theRun.calls)));
}

TEST(FrameLoop, FalseRunningResultSkipsLowerTracksButNotTheirStart) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(10), Library("recorder.so", {"Record", "FailRun"}),
                                       {{Event("recorder.so", "Record", 0, 10)},
                                        {Event("recorder.so", "Record", 0, 10)},
                                        {Event("recorder.so", "FailRun", 0, 0)},
                                        {Event("recorder.so", "Record", 0, 10)}}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode) << "the main loop was entered";
  EXPECT_EQ("", theRun.log) << "the last frame succeeded, so the loop did too";
  EXPECT_EQ(Joined({"init recorder", "frame recorder", "recorder:Record make@0", "recorder:FailRun make@0",
                    "recorder:Record make@0", "recorder:Record make@0", "recorder:Record run@0",
                    "recorder:FailRun run@0",
                    // t = 10: FailRun's event has ended, so the lower tracks run again
                    "recorder:FailRun destroy@10", "frame recorder", "recorder:Record run@10",
                    "recorder:Record run@10", "recorder:Record run@10", "quit recorder"}),
            Joined(Summarise(theRun.calls)));
}

TEST(FrameLoop, FortyValuesArePassedAndFortyOneAreNeverCalled) {
  std::string theForty, theFortyOne;
  for (int i = 1; i <= 40; ++i) theForty += Const(i);
  theFortyOne = theForty + Const(41);
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 10, theFortyOne)},
                                        {Event("recorder.so", "Record", 0, 10, theForty)},
                                        {Event("recorder.so", "Record", 0, 10, Const(5))}}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"});
  std::string theAll;
  for (int i = 1; i <= 40; ++i) theAll += (i > 1 ? "," : "") + std::to_string(i);
  Strings theRuns = Lines(theRun.calls, "effect recorder Record phase=1");
  ASSERT_EQ(2u, theRuns.size()) << "the event with 41 values is never called";
  EXPECT_NE(std::string::npos, theRuns[0].find(" values=5")) << theRuns[0];
  EXPECT_NE(std::string::npos, theRuns[1].find(" values=" + theAll)) << theRuns[1];
  EXPECT_EQ(2u, Lines(theRun.calls, "effect recorder Record phase=0").size());
  // The uncalled event counts as a failed running call: it is the lowest track, so only the result shows.
  EXPECT_EQ(Step(9), theRun.log);
  EXPECT_EQ(0, theRun.exitCode);
}

TEST(FrameLoop, InfoCarriesTimesConstancyAndStatusPerPhase) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml",
                  Document(Settings(30), Library("recorder.so", {"Record"}),
                           {{Event("recorder.so", "Record", 10, 25, "<param start=\"0\" end=\"100\"/>")}}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"}, 10);
  Strings theEffects = Lines(theRun.calls, "effect");
  EXPECT_EQ(Joined({
                "effect recorder Record phase=0 elapsed=0 const=0 status=0 start=10 dur=10 slot=empty values=",
                "effect recorder Record phase=1 elapsed=0 const=0 status=0 start=10 dur=10 slot=kept values=",
                "effect recorder Record phase=1 elapsed=10 const=0 status=0 start=10 dur=10 slot=kept values=100",
                "effect recorder Record phase=-1 elapsed=20 const=0 status=0 start=10 dur=10 slot=kept values=100",
            }),
            Joined(theEffects))
      << "times are rounded down to 10 ms; the ramp is evaluated at every call";
}

TEST(Registry, ProducersOfSeveralPlugInsAndPrivateUsesThroughTheHost) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.AddPlugin("producer2");
  theFolder.WriteDefaultIni();
  // UseTest values: text number, private, release right after, repeats.
  auto theUse = [](int inText, int inPrivate, int inRelease, int inRepeats, int inStart) {
    return Event("recorder.so", "UseTest", inStart, inStart + 100,
                 Const(inText) + Const(inPrivate) + Const(inRelease) + Const(inRepeats));
  };
  theFolder.Write("demo.xml",
                  Document(Settings(40), Library("recorder.so", {"UseTest", "Warn"}) + Library("producer2.so", {}),
                           {{theUse(0, 1, 0, 1, 0), theUse(0, 0, 0, 1, 200)},
                            {theUse(1, 0, 0, 1, 10)},
                            {theUse(0, 0, 0, 1, 20)},
                            {theUse(2, 1, 1, 2, 30), Event("recorder.so", "Warn", 200, 300, Const(-1))},
                            {theUse(3, 0, 0, 1, 40), theUse(7, 0, 0, 1, 200)}},
                           {"apple", "banana", "avocado", "cherry"}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode);
  EXPECT_EQ(Joined({"used recorder apple -> recorder static=1",   // t = 0, private
                    "used recorder banana -> producer2 static=1",  // t = 10, the second producer knows it
                    "used recorder apple -> null static=0",        // t = 20, in private use
                    "used recorder avocado -> recorder static=1",  // t = 30: private and released, twice
                    "used recorder avocado -> recorder static=1",
                    "used recorder cherry -> null static=0"}),     // t = 40: nobody knows it
            Joined(Lines(theRun.calls, "used")));
  EXPECT_EQ(Joined({"release recorder avocado taken", "release recorder avocado taken"}),
            Joined(Lines(theRun.calls, "release")));
  EXPECT_EQ(
      "UseTest tried to use the test thing apple, but it's already in private use!\n"
      "UseTest could not find the test thing named cherry\n",
      theRun.log);
}

TEST(Registry, PlugInWarningsOfAnyLengthReachTheLogWhole) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Warn"}),
                                       {{Event("recorder.so", "Warn", 0, 10, Const(-1))},
                                        {Event("recorder.so", "Warn", 0, 10, Const(0))}},
                                       {"short one"}));
  PlayResult theRun = theFolder.RunHere({"demo.xml"});
  EXPECT_TRUE(theRun.log == "Warn: short one\nWarn: " + std::string(3000, 'w') + "\n")
      << "log of " << theRun.log.size() << " characters begins: " << theRun.log.substr(0, 40);
}

// Without OpenGL, output surface 0 is what reaches the screen after each frame.
TEST(FrameLoop, WithoutOpenGlOutputSurfaceZeroIsCopiedToTheScreen) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(30), Library("recorder.so", {"Paint"}),
                                       {{Event("recorder.so", "Paint", 0, 100, "<param start=\"0\" end=\"100\"/>")}}));
  std::vector<int> theSeen;
  PlayResult theRun = theFolder.RunHere({"demo.xml"}, 10, [&theSeen](const Demo& inDemo, uint32_t) {
    // Before this frame is shown the screen still holds the previous one.
    SDL_Surface* theScreen = SDL_GetVideoSurface();
    ASSERT_NE(nullptr, theScreen);
    ASSERT_EQ(0, SDL_LockSurface(theScreen));
    theSeen.push_back(static_cast<uint8_t*>(theScreen->pixels)[theScreen->pitch * 10 + 8]);
    SDL_UnlockSurface(theScreen);
    EXPECT_EQ(2u, inDemo.outputSurfaceCount);
  });
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  EXPECT_EQ((std::vector<int>{0, 0, 10, 20}), theSeen) << "the ramp painted at 0, 10 and 20 ms, one frame later on screen";
}

TEST(FrameLoop, EscapeWindowCloseAndActivationEndTheLoopAfterTheFrameIsShown) {
  struct Case {
    const char* name;
    SDL_Event event;
    int frames;  // drawn at 0, 10, ... 50 ms when nothing stops the loop
  };
  auto theKey = [](Uint8 inType, SDLKey inKey) {
    SDL_Event theEvent = {};
    theEvent.type = inType;
    theEvent.key.type = inType;
    theEvent.key.keysym.sym = inKey;
    return theEvent;
  };
  auto theActive = [](Uint8 inGain, Uint8 inState) {
    SDL_Event theEvent = {};
    theEvent.type = SDL_ACTIVEEVENT;
    theEvent.active.type = SDL_ACTIVEEVENT;
    theEvent.active.gain = inGain;
    theEvent.active.state = inState;
    return theEvent;
  };
  SDL_Event theQuit = {};
  theQuit.type = SDL_QUIT;
  const Case theCases[] = {
      {"Escape pressed", theKey(SDL_KEYDOWN, SDLK_ESCAPE), 2},
      {"Escape released", theKey(SDL_KEYUP, SDLK_ESCAPE), 6},
      {"another key", theKey(SDL_KEYDOWN, SDLK_a), 6},
      {"window closed", theQuit, 2},
      {"application activated", theActive(1, SDL_APPACTIVE), 2},
      {"application deactivated", theActive(0, SDL_APPACTIVE), 6},
      {"activation with focus bits", theActive(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS), 6},
  };
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(50), Library("recorder.so", {"Record"}), {}));
  for (const Case& theCase : theCases) {
    int theFrames = 0;
    SDL_Event theEvent = theCase.event;
    PlayResult theRun = theFolder.RunHere({"demo.xml"}, 10, [&](const Demo&, uint32_t inTime) {
      ++theFrames;
      if (inTime == 10) SDL_PushEvent(&theEvent);
    });
    EXPECT_EQ(theCase.frames, theFrames) << theCase.name;
    EXPECT_EQ(0, theRun.exitCode) << theCase.name;
  }
}

// Only playing Ogg Vorbis music can be started part-way; otherwise the demo
// starts at 0 so pictures and sound stay together. Volume 0..255 maps onto 0..128.
TEST(Music, StartPositionFollowsTheMusicAndVolumeIsScaled) {
  if (std::system("command -v sox >/dev/null") != 0) GTEST_SKIP() << "sox makes the music files";
  struct Case {
    const char* name;
    const char* music;  // InputMusicFile, or null
    bool audio;
    std::vector<std::string> arguments;
    uint32_t firstTime;
    int mixerVolume;  // -1: not checked
  };
  const Case theCases[] = {
      {"Ogg Vorbis", "music.ogg", true, {"demo.xml", "5000"}, 5000, 128},
      {"Ogg Vorbis at half volume", "music.ogg", true, {"demo.xml", "5000", "128"}, 5000, 64},
      // The document names it in its code page; the file's name on disk is UTF-8.
      {"Ogg Vorbis named with an accent", "m\xC3\xBCsik.ogg", true, {"demo.xml", "5000"}, 5000, 128},
      {"WAV", "music.wav", true, {"demo.xml", "5000"}, 0, 128},
      {"music that does not load", "missing.ogg", true, {"demo.xml", "5000"}, 0, -1},
      {"no music named", nullptr, true, {"demo.xml", "5000"}, 0, -1},
      {"sound off", "music.ogg", false, {"demo.xml", "5000"}, 5000, -1},
  };
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  ASSERT_EQ(0, std::system(("cd '" + theFolder.Path() + "' && sox -q -n -r 22050 -c 1 music.ogg synth 8 sine 440 && " +
                            "sox -q -n -r 22050 -c 1 music.wav synth 8 sine 440 && cp music.ogg 'm\xC3\xBCsik.ogg'").c_str()));
  for (const Case& theCase : theCases) {
    SCOPED_TRACE(theCase.name);
    theFolder.Write("SDL.ini", std::string("[video]\nwidth=64\nheight=48\n[audio]\nenabled=") +
                                   (theCase.audio ? "1" : "0") + "\n");
    std::string theMusic = theCase.music ? "InputMusicFile=\"" + std::string(theCase.music) + "\"" : "";
    theFolder.Write("demo.xml", Document(Settings(9000, false, theMusic), Library("recorder.so", {"Record"}),
                                         {{Event("recorder.so", "Record", 0, 100000)}}));
    std::vector<uint32_t> theTimes;
    int theVolume = -2;
    PlayResult theRun = theFolder.RunHere(theCase.arguments, 10, [&](const Demo&, uint32_t inTime) {
      theTimes.push_back(inTime);
      if (theVolume == -2 && theCase.audio) theVolume = Mix_VolumeMusic(-1);
      // Two frames are enough to see where the demo started.
      if (theTimes.size() == 2) {
        SDL_Event theQuit = {};
        theQuit.type = SDL_QUIT;
        SDL_PushEvent(&theQuit);
      }
    });
    EXPECT_EQ(0, theRun.exitCode) << theRun.log;
    ASSERT_FALSE(theTimes.empty());
    EXPECT_EQ(theCase.firstTime, theTimes[0]);
    if (theCase.mixerVolume >= 0) {
      EXPECT_EQ(theCase.mixerVolume, theVolume);
    }
  }
}

// Start-up reads only regular files of the data folder: a FIFO or an endless
// device would otherwise keep it from ever playing.
TEST(PlayerProgram, DataFolderPrefetchPassesOverSpecialFiles) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Record"}), {}));
  std::string theData = theFolder.Path() + "/zelth";
  ASSERT_EQ(0, system(("mkdir -p '" + theData + "/folder' && mkfifo '" + theData + "/fifo' && ln -s /dev/zero '" +
                       theData + "/zero' && echo data > '" + theData + "/plain'").c_str()));
  PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
}

TEST(PlayerProgram, SdlIniThatIsAFolderFailsLikeAMissingOne) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Record"}), {}));
  ASSERT_EQ(0, system(("mkdir '" + theFolder.Path() + "/SDL.ini'").c_str()));
  PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(1, theRun.exitCode);
  EXPECT_EQ("SDL.ini: cannot open the settings file: Is a directory\nSomething went horribly wrong.  Stopped at step '1'.\n",
            theRun.log);
}

TEST(PlayerProgram, WithoutADisplayItSaysSoAndLeavesTheTerminalAlone) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(0), Library("recorder.so", {"Record"}), {}));
  const std::string theLine =
      "no display: cannot open the X display \":4321\"; zorbit-capture renders a demo without one\n";
  PlayResult theRun = theFolder.RunProgram({"demo.xml"}, "SDL_VIDEODRIVER= DISPLAY=:4321 WAYLAND_DISPLAY=");
  EXPECT_EQ(1, theRun.exitCode);
  EXPECT_EQ(theLine, theRun.log);
  EXPECT_NE(std::string::npos, theRun.errors.find(theLine)) << theRun.errors;
  EXPECT_TRUE(theRun.calls.empty());
}

}  // namespace

namespace {

// Demo times from a script, each frame's with whether the clock jumped to it.
class ScriptedClock : public FrameClock {
 public:
  struct Step {
    uint32_t time;
    bool jump;
  };
  explicit ScriptedClock(std::vector<Step> inSteps) : mSteps(std::move(inSteps)) {}
  uint32_t NowMs() override {
    const Step& theStep = mSteps[std::min(mIndex, mSteps.size() - 1)];
    if (theStep.jump && mCounted != mIndex) {
      ++mJumps;
      mCounted = mIndex;
    }
    return theStep.time;
  }
  void FrameShown() override { ++mIndex; }
  bool Done() const { return mIndex + 1 >= mSteps.size(); }
  uint64_t Jumps() const { return mJumps; }

 private:
  std::vector<Step> mSteps;
  size_t mIndex = 0;
  size_t mCounted = size_t(-1);
  uint64_t mJumps = 0;
};

TEST(FrameLoop, ASeekEndsEveryStartedEventAndStartsWhatIsActiveAtTheNewTime) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(1000), Library("recorder.so", {"Record"}),
                                       {{Event("recorder.so", "Record", 0, 100), Event("recorder.so", "Record", 200, 300)}}));
  ScriptedClock theClock({{50, false}, {60, false}, {250, true}, {40, true}, {45, true}, {70, false}});
  LoopControl theControl;
  theControl.jumps = [&] { return theClock.Jumps(); };
  theControl.clockIsDemoTime = true;
  SessionSettings theSettings;
  theSettings.options.demoPath = "demo.xml";
  theSettings.workingFolder = theFolder.Path();
  theSettings.allowSetupWindow = false;
  theSettings.clock = &theClock;
  theSettings.loopControl = &theControl;
  PlayerSession* theCurrent = nullptr;
  theSettings.afterDraw = [&](const Demo&, uint32_t) {
    if (theClock.Done()) theCurrent->Stop();
  };
  {
    PlayerSession theSession(theSettings);
    theCurrent = &theSession;
    ASSERT_TRUE(theSession.Open());
    ASSERT_TRUE(theSession.Play());
    EXPECT_EQ(0, theSession.Close());
  }
  std::ifstream theFile(theFolder.Path() + "/calls.txt");
  Strings theCalls;
  for (std::string theLine; std::getline(theFile, theLine);) theCalls.push_back(theLine);
  // A jump ends the started event at the time it was last drawn at, even
  // when the new time falls in the same event (45 after 40).
  EXPECT_EQ(Joined(Strings{"recorder:Record make@50", "recorder:Record run@50", "recorder:Record run@60",
                    "recorder:Record destroy@60", "recorder:Record make@250", "recorder:Record run@250",
                    "recorder:Record destroy@250", "recorder:Record make@40", "recorder:Record run@40",
                    "recorder:Record destroy@40", "recorder:Record make@45", "recorder:Record run@45",
                    "recorder:Record run@70"}),
            Joined(Summarise(Lines(theCalls, "effect"), false)));
}

}  // namespace

namespace {

// A plug-in rebuilt on disk (a new file renamed over the old one, as a build
// does) while the demo runs is the one a reopen loads, even though the old
// one is still mapped under the same path.
TEST(Session, ReopenLoadsAPlugInRebuiltOnDisk) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder", "effects.so");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(1000), Library("effects.so", {"Record"}),
                                       {{Event("effects.so", "Record", 0, 1000)}}));
  FixedStepClock theClock(10);
  SessionSettings theSettings;
  theSettings.options.demoPath = "demo.xml";
  theSettings.workingFolder = theFolder.Path();
  theSettings.allowSetupWindow = false;
  theSettings.clock = &theClock;
  PlayerSession* theCurrent = nullptr;
  int theFrames = 0;
  theSettings.afterDraw = [&](const Demo&, uint32_t) {
    if (++theFrames % 2 == 0) theCurrent->Stop();
  };
  {
    PlayerSession theSession(theSettings);
    theCurrent = &theSession;
    ASSERT_TRUE(theSession.Open());
    ASSERT_TRUE(theSession.Play());
    for (const char* thePlugin : {"other", "recorder", "other"}) {
      theFolder.AddPlugin(thePlugin, "rebuilt.so");
      ASSERT_EQ(0, std::rename((theFolder.Path() + "/rebuilt.so").c_str(), (theFolder.Path() + "/effects.so").c_str()));
      ASSERT_TRUE(theSession.Reopen("", 100));
      ASSERT_TRUE(theSession.Play());
    }
    theSession.Reopen("", 200);  // unchanged on disk: the same plug-in again
    ASSERT_TRUE(theSession.Play());
    EXPECT_EQ(0, theSession.Close());
  }
  std::ifstream theFile(theFolder.Path() + "/calls.txt");
  Strings theLifecycle;
  for (std::string theLine; std::getline(theFile, theLine);) {
    if (theLine.rfind("init ", 0) == 0 || theLine.rfind("quit ", 0) == 0)
      theLifecycle.push_back(theLine.substr(0, theLine.find(' ', 5)));
  }
  EXPECT_EQ(Joined(Strings{"init recorder", "quit recorder", "init other", "quit other", "init recorder",
                           "quit recorder", "init other", "quit other", "init other", "quit other"}),
            Joined(theLifecycle));
}

}  // namespace
