#include "options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string Joined(const std::vector<const char*>& inArgs) {
  std::string theLine;
  for (const char* theArg : inArgs) theLine += std::string(theArg) + " ";
  return theLine;
}

PlayerOptions Parse(const std::vector<const char*>& inArgs) {
  return ParseCommandLine(int(inArgs.size()), inArgs.data());
}

// The setup window remembers the viewer's last volume and gamma; one given on
// the command line wins, even when it is the default value.
TEST(CommandLine, AVolumeOrGammaOnTheCommandLineIsMarkedAsGiven) {
  struct Case {
    std::vector<const char*> args;
    bool volumeGiven, gammaGiven;
  };
  const Case theCases[] = {
      {{"player", "demo.xml", "5000"}, false, false},
      {{"player", "demo.xml", "0", "255"}, true, false},
      {{"player", "demo.xml", "0", "255", "1.0", "log"}, true, true},
      {{"player", "demo.xml", "--volume", "255"}, true, false},
      {{"player", "--gamma=1", "demo.xml"}, false, true},
      {{"player", "log", "--start", "10"}, false, false},
  };
  for (const Case& theCase : theCases) {
    PlayerOptions theOptions = Parse(theCase.args);
    EXPECT_EQ(theCase.volumeGiven, theOptions.volumeGiven) << Joined(theCase.args);
    EXPECT_EQ(theCase.gammaGiven, theOptions.gammaGiven) << Joined(theCase.args);
  }
}

TEST(CommandLine, DemoPathStartVolumeGammaAndLogSwitch) {
  struct Case {
    std::vector<const char*> args;
    const char* path;
    uint32_t start;
    int32_t volume;
    double gamma;
    bool verbose;
  };
  const Case theCases[] = {
      {{"C:\\demo\\player.exe"}, "C:\\demo\\player.xml", 0, 255, 1.0, false},
      {{"/opt/zorbit/player"}, "/opt/zorbit/player", 0, 255, 1.0, false},  // no extension: the path itself
      {{"./player"}, "./player", 0, 255, 1.0, false},                        // a '.' at the front only does not count
      {{"player", "show.xml", "log"}, "show.xml", 0, 255, 1.0, true},
      {{"player", "log"}, "log", 0, 255, 1.0, true},                         // the first argument is always the path
      {{"player", "show.xml", "15000", "128", "2.2"}, "show.xml", 15000, 128, 2.2, false},
      {{"player", "show.xml", "15000", "-Log"}, "show.xml", 15000, 0, 1.0, true},  // atoi("-Log") is 0
      {{"player", "show.xml", "LOG"}, "show.xml", 0, 255, 1.0, false},      // exact, case-sensitive
      {{"player", "demo.xml", "5000", "200", "1.2", "log"}, "demo.xml", 5000, 200, 1.2, true},
      {{"player", "log", "demo.xml"}, "log", 0, 255, 1.0, true},            // "demo.xml" is the start: atoi is 0
      {{"player", "demo.xml", "5000", "200", "1.2", "extra", "Log"}, "demo.xml", 5000, 200, 1.2, true},
      {{"player", "show.xml", "-5"}, "show.xml", uint32_t(-5), 255, 1.0, false},  // wraps, as it always has
      {{"player", "show.xml", "0", "999"}, "show.xml", 0, 999, 1.0, false},  // the mixer clamps, not the parser
      // Options anywhere leave the positional places alone.
      {{"player", "--log", "demo.xml", "5000"}, "demo.xml", 5000, 255, 1.0, true},
      {{"player", "demo.xml", "--no-setup", "5000", "--fullscreen", "200"}, "demo.xml", 5000, 200, 1.0, false},
      {{"player", "--window", "640x480", "demo.xml", "7"}, "demo.xml", 7, 255, 1.0, false},  // the value is no place
      {{"player", "--volume=10"}, "player", 0, 10, 1.0, false},  // only options: the program's own path
      // Options win over the places they name, whatever their order.
      {{"player", "--start", "100", "demo.xml", "5000", "200", "2.0"}, "demo.xml", 100, 200, 2.0, false},
      {{"player", "demo.xml", "5000", "200", "2.0", "--volume", "255", "--gamma=0.5"}, "demo.xml", 5000, 255, 0.5,
       false},
      // "--" ends the options: a demo whose name starts with "--".
      {{"player", "--", "--odd.xml", "--log"}, "--odd.xml", 0, 255, 1.0, false},
  };
  for (const Case& theCase : theCases) {
    PlayerOptions theOptions = Parse(theCase.args);
    std::string theLine = Joined(theCase.args);
    EXPECT_EQ(theCase.path, theOptions.demoPath) << theLine;
    EXPECT_EQ(theCase.start, theOptions.startMs) << theLine;
    EXPECT_EQ(theCase.volume, theOptions.volume) << theLine;
    EXPECT_DOUBLE_EQ(theCase.gamma, theOptions.gamma) << theLine;
    EXPECT_EQ(theCase.verbose, theOptions.verbose) << theLine;
  }
}

TEST(CommandLine, EveryOptionSetsItsField) {
  PlayerOptions theOptions = Parse({"player", "--window", "800x600", "--start", "4294967295", "--volume", "0",
                                    "--gamma", "2.2", "--log", "demo.xml"});
  EXPECT_EQ("", theOptions.error);
  EXPECT_EQ(800, theOptions.windowWidth);
  EXPECT_EQ(600, theOptions.windowHeight);
  EXPECT_TRUE(theOptions.noSetup) << "a window size skips the setup window";
  EXPECT_FALSE(theOptions.fullscreen);
  EXPECT_EQ(4294967295u, theOptions.startMs);
  EXPECT_EQ(0, theOptions.volume);
  EXPECT_DOUBLE_EQ(2.2, theOptions.gamma);
  EXPECT_TRUE(theOptions.verbose);

  PlayerOptions theFull = Parse({"player", "--fullscreen"});
  EXPECT_TRUE(theFull.fullscreen && theFull.noSetup && theFull.AsksForVideoMode()) << "--fullscreen";
  PlayerOptions theNoSetup = Parse({"player", "--no-setup"});
  EXPECT_TRUE(theNoSetup.noSetup && !theNoSetup.AsksForVideoMode()) << "--no-setup keeps SDL.ini's mode";
  EXPECT_TRUE(Parse({"player", "--help", "x.xml"}).showHelp);
  EXPECT_TRUE(Parse({"player", "--version"}).showVersion);
  PlayerOptions thePlain = Parse({"player", "demo.xml"});
  EXPECT_FALSE(thePlain.noSetup || thePlain.AsksForVideoMode() || thePlain.showHelp || thePlain.showVersion)
      << "a plain command line asks for nothing new";
}

TEST(CommandLine, UnknownOptionsAndBadValuesAreErrorsThatNameTheArgument) {
  struct Case {
    std::vector<const char*> args;
    const char* mentions;  // part of the error line
  };
  const Case theCases[] = {
      {{"player", "--frobnicate"}, "unknown option '--frobnicate'"},
      {{"player", "demo.xml", "--Log"}, "unknown option '--Log'"},  // the log switch is exact
      {{"player", "--edit"}, "unknown option '--edit'"},            // not before authoring exists
      {{"player", "--window"}, "--window needs a value"},
      {{"player", "--window", "640"}, "'640'"},
      {{"player", "--window", "640x480x3"}, "WIDTHxHEIGHT"},
      {{"player", "--window", "0x480"}, "WIDTHxHEIGHT"},
      {{"player", "--window=99999x480"}, "WIDTHxHEIGHT"},
      {{"player", "--start", "-1"}, "--start"},
      {{"player", "--start", "12s"}, "'12s'"},
      {{"player", "--start", "4294967296"}, "--start"},
      {{"player", "--volume", "256"}, "0 to 255"},
      {{"player", "--volume="}, "--volume"},
      {{"player", "--gamma", "0"}, "--gamma"},
      {{"player", "--gamma", "nan"}, "--gamma"},
      {{"player", "--gamma", "1.5x"}, "--gamma"},
      {{"player", "--log=yes"}, "--log takes no value"},
      {{"player", "--fullscreen=1"}, "takes no value"},
  };
  for (const Case& theCase : theCases) {
    PlayerOptions theOptions = Parse(theCase.args);
    EXPECT_NE(std::string::npos, theOptions.error.find(theCase.mentions))
        << Joined(theCase.args) << "gave \"" << theOptions.error << "\"";
    EXPECT_EQ(std::string::npos, theOptions.error.find('\n')) << "one line: " << theOptions.error;
  }
}

TEST(CommandLine, HelpListsEveryOption) {
  char* theText = nullptr;
  size_t theSize = 0;
  FILE* theOut = open_memstream(&theText, &theSize);
  ASSERT_NE(nullptr, theOut);
  PrintPlayerUsage(theOut);
  std::fclose(theOut);
  std::string theHelp(theText, theSize);
  free(theText);
  for (const char* theOption : {"--window WxH", "--fullscreen", "--no-setup", "--start MS", "--volume 0-255",
                                "--gamma G", "--log", "--help", "--version"}) {
    EXPECT_NE(std::string::npos, theHelp.find(theOption)) << theOption << " missing from:\n" << theHelp;
    // Every option the help names is one the parser takes.
    std::string theName = std::string(theOption).substr(0, std::string(theOption).find(' '));
    std::string theValue = std::string(theOption).find(' ') == std::string::npos ? "" : "=1";
    if (theName == "--window") theValue = "=64x64";
    EXPECT_EQ("", Parse({"player", (theName + theValue).c_str()}).error) << theName;
  }
}

}  // namespace
