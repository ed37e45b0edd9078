// The setup window's remembered choices: the file's text, and reading and
// writing it in places that may be broken or hostile.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "setupchoices.h"
#include "setupmemory.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

namespace fs = std::filesystem;

SetupMemory Full(int inAspect, int inResolution, int inGamma, bool inFullScreen, int inVolume) {
  SetupMemory theMemory;
  theMemory.aspect = inAspect;
  theMemory.resolution = inResolution;
  theMemory.gamma = inGamma;
  theMemory.fullScreen = inFullScreen;
  theMemory.volume = inVolume;
  return theMemory;
}

TEST(SetupMemoryText, WritesOneReadableLinePerChoice) {
  EXPECT_EQ(FormatSetupMemory(Full(2, 1, 4, false, 127)),
            "# The setup window's last choices; the player rewrites this file.\n"
            "aspect = 16/9\n"
            "resolution = 1600x900\n"
            "gamma = 1.3\n"
            "fullscreen = no\n"
            "volume = 127\n");
  EXPECT_EQ(FormatSetupMemory(SetupMemory()), "# The setup window's last choices; the player rewrites this file.\n")
      << "nothing chosen, nothing written";
  EXPECT_EQ(FormatSetupMemory(Full(7, 0, 9, true, 300)),
            "# The setup window's last choices; the player rewrites this file.\nfullscreen = yes\n")
      << "indices outside the entries are left out";
}

TEST(SetupMemoryText, EveryEntryReadsBackAsWritten) {
  for (int a = 0; a < kSetupAspectCount; ++a) {
    for (int r = 0; r < SetupAspectAt(a).count; ++r) {
      for (int g = 0; g < kSetupGammaCount; ++g) {
        const SetupMemory theMemory = Full(a, r, g, g % 2 == 0, g * 51);
        SetupMemory theRead;
        std::string theError;
        ASSERT_TRUE(ParseSetupMemory(FormatSetupMemory(theMemory), theRead, theError)) << theError;
        EXPECT_EQ(theRead, theMemory) << "aspect " << a << " resolution " << r << " gamma " << g;
      }
    }
  }
  SetupMemory thePart;
  thePart.resolution = 2;  // "1024 by 768": without an aspect, of the 4/3 list
  SetupMemory theRead;
  std::string theError;
  ASSERT_TRUE(ParseSetupMemory(FormatSetupMemory(thePart), theRead, theError)) << theError;
  EXPECT_EQ(theRead, thePart);
}

TEST(SetupMemoryText, HandWrittenFilesAreUnderstood) {
  SetupMemory theRead;
  std::string theError;
  ASSERT_TRUE(ParseSetupMemory("\r\n# mine\r\n  volume=0 \r\n\tgamma =  0.90\r\nwindow = 3x4\r\n", theRead, theError))
      << theError;
  SetupMemory theExpected;
  theExpected.volume = 0;
  theExpected.gamma = 0;
  EXPECT_EQ(theRead, theExpected) << "CR LF, spaces, tabs, comments and a key of a newer player";
  ASSERT_TRUE(ParseSetupMemory("resolution = 1920x1200\naspect = 16/10\n", theRead, theError)) << theError;
  EXPECT_EQ(theRead.resolution, 3) << "the resolution is read in its aspect's list wherever the aspect stands";
  EXPECT_TRUE(ParseSetupMemory("", theRead, theError));
  EXPECT_EQ(theRead, SetupMemory());
}

TEST(SetupMemoryText, AnythingElseIsRefusedWithItsLineAndReason) {
  struct Case {
    std::string text;
    std::string error;
  } const kCases[] = {
      {"volume = 12\n\x01\x02\x03", "line 2: holds binary data"},
      {std::string("aspect = 4/3\0", 13), "line 1: holds binary data"},
      {"aspect 16/9", "line 1: 'aspect 16/9' is not 'key = value'"},
      {"= 3", "line 1: '= 3' has no key"},
      {"volume = 3\nvolume = 4", "line 2: volume is given twice"},
      {"aspect = 21/9", "line 1: aspect '21/9' is not one of 5/4, 4/3, 16/9, 16/10"},
      {"resolution = 1600x900", "line 1: resolution '1600x900' is not one the setup window offers for 4/3"},
      {"aspect = 5/4\nresolution = 1x1", "line 2: resolution '1x1' is not one the setup window offers for 5/4"},
      {"gamma = 1.7", "line 1: gamma '1.7' is not one of 0.9, 1.0, 1.1, 1.2, 1.3, 1.4"},
      {"gamma = nan", "line 1: gamma 'nan' is not one of"},
      {"gamma =", "line 1: gamma '' is not one of"},
      {"fullscreen = maybe", "line 1: fullscreen 'maybe' is neither yes nor no"},
      {"volume = 256", "line 1: volume '256' is not a whole number from 0 to 255"},
      {"volume = -1", "line 1: volume '-1' is not"},
      {"volume = 99999999999999999999", "line 1: volume '99999999999999999999' is not"},
      {"volume = " + std::string(100, '7'), "line 1: volume '7777777777777777777777777777777777777777...' is not"},
  };
  for (const Case& c : kCases) {
    SetupMemory theRead;
    theRead.volume = 9;
    std::string theError;
    EXPECT_FALSE(ParseSetupMemory(c.text, theRead, theError)) << c.text;
    EXPECT_EQ(theError.rfind(c.error, 0), 0u) << "for " << c.text << ": " << theError;
    EXPECT_EQ(theRead, SetupMemory()) << "a refused file gives no choice at all: " << c.text;
  }
}

TEST(SetupMemoryText, ValuesTheCommandLineGaveAreOnlyRememberedWhenChangedInTheWindow) {
  SetupMemory theRemembered;
  theRemembered.gamma = 3;
  theRemembered.volume = 100;
  const SetupMemory theChoices = Full(2, 1, 1, false, 200);  // gamma "1.0", volume 200 on the slider
  struct Case {
    bool gammaGiven, volumeGiven, gammaPicked, volumeMoved;
    std::optional<int> gamma, volume;
  } const kCases[] = {
      {false, false, false, false, 1, 200},  // nothing given: what the window showed
      {true, true, false, false, 3, 100},    // given, left alone: the remembered ones stay
      {true, true, true, true, 1, 200},      // given, then changed: the viewer's choice
      {true, false, false, true, 3, 200},
      {false, true, true, false, 1, 100},
  };
  for (const Case& c : kCases) {
    SetupGiven theGiven;
    theGiven.gamma = c.gammaGiven;
    theGiven.volume = c.volumeGiven;
    const SetupMemory theMemory = ChoicesToRemember(theRemembered, theChoices, theGiven, c.gammaPicked, c.volumeMoved);
    EXPECT_EQ(theMemory.gamma, c.gamma) << c.gammaGiven << c.volumeGiven << c.gammaPicked << c.volumeMoved;
    EXPECT_EQ(theMemory.volume, c.volume) << c.gammaGiven << c.volumeGiven << c.gammaPicked << c.volumeMoved;
    EXPECT_EQ(theMemory.aspect, 2);
    EXPECT_EQ(theMemory.resolution, 1);
    EXPECT_EQ(theMemory.fullScreen, false);
  }
  SetupGiven theBoth;
  theBoth.gamma = theBoth.volume = true;
  const SetupMemory theFirst = ChoicesToRemember(SetupMemory(), theChoices, theBoth, false, false);
  EXPECT_FALSE(theFirst.gamma.has_value()) << "nothing remembered yet: a given gamma is not written";
  EXPECT_FALSE(theFirst.volume.has_value());
}

class SetupMemoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(mFolder.Path().empty()); }
  std::string Path(const std::string& inName) const { return mFolder.Path() + "/" + inName; }
  SetupMemoryRead Read(const std::string& inPath) {
    mMemory = Full(0, 0, 0, false, 1);  // to see it emptied
    mError.clear();
    return ReadSetupMemory(inPath, mMemory, mError);
  }

  TempFolder mFolder{"zorbit_setupmemory"};
  SetupMemory mMemory;
  std::string mError;
};

TEST_F(SetupMemoryFileTest, MissingFilesRememberNothingWithoutComplaint) {
  EXPECT_EQ(Read(Path("absent.ini")), SetupMemoryRead::kMissing);
  EXPECT_EQ(Read(Path("absent/zorbit/setup.ini")), SetupMemoryRead::kMissing);
  WriteFile(Path("file"), "x");
  EXPECT_EQ(Read(Path("file/zorbit/setup.ini")), SetupMemoryRead::kMissing) << "a file where a folder should be";
  EXPECT_EQ(mMemory, SetupMemory());
  EXPECT_EQ(mError, "");
}

TEST_F(SetupMemoryFileTest, OnlyRegularFilesOfBoundedSizeAreRead) {
  ASSERT_EQ(mkdir(Path("folder.ini").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(Path("fifo.ini").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", Path("zero.ini").c_str()), 0);
  for (const char* theName : {"folder.ini", "fifo.ini", "zero.ini"}) {
    EXPECT_EQ(Read(Path(theName)), SetupMemoryRead::kNotAFile) << theName;
    EXPECT_EQ(mError, "not a regular file") << theName;
    EXPECT_EQ(mMemory, SetupMemory()) << theName;
  }

  const std::string theLine = "volume = 10\n";
  std::string theLargest = theLine;
  theLargest.resize(kSetupMemoryMaxBytes, '\n');
  WriteFile(Path("largest.ini"), theLargest);
  EXPECT_EQ(Read(Path("largest.ini")), SetupMemoryRead::kRead) << mError;
  EXPECT_EQ(mMemory.volume, 10);
  WriteFile(Path("huge.ini"), theLargest + "\n");
  EXPECT_EQ(Read(Path("huge.ini")), SetupMemoryRead::kBad);
  EXPECT_EQ(mError, "larger than 4096 bytes");
  EXPECT_EQ(mMemory, SetupMemory());

  WriteFile(Path("absurd.ini"), "aspect = 16/9\nvolume = 100000\n");
  EXPECT_EQ(Read(Path("absurd.ini")), SetupMemoryRead::kBad);
  EXPECT_EQ(mError, "line 2: volume '100000' is not a whole number from 0 to 255");
  EXPECT_EQ(mMemory, SetupMemory()) << "the sound first line is not kept either";
}

TEST_F(SetupMemoryFileTest, WritingMakesTheFoldersAndLeavesOnlyTheFile) {
  const std::string theFile = Path("state/zorbit/setup.ini");
  std::string theError;
  ASSERT_TRUE(WriteSetupMemory(theFile, Full(3, 2, 5, true, 255), theError)) << theError;
  EXPECT_EQ(Read(theFile), SetupMemoryRead::kRead) << mError;
  EXPECT_EQ(mMemory, Full(3, 2, 5, true, 255));
  ASSERT_TRUE(WriteSetupMemory(theFile, Full(0, 0, 0, false, 0), theError)) << theError;
  EXPECT_EQ(Read(theFile), SetupMemoryRead::kRead) << mError;
  EXPECT_EQ(mMemory, Full(0, 0, 0, false, 0)) << "the second choices replace the first";
  int theEntries = 0;
  for (const fs::directory_entry& theEntry : fs::directory_iterator(Path("state/zorbit"))) {
    EXPECT_EQ(theEntry.path().filename(), "setup.ini") << "left behind";
    ++theEntries;
  }
  EXPECT_EQ(theEntries, 1);
}

TEST_F(SetupMemoryFileTest, ALinkedFileStaysLinked) {
  WriteFile(Path("kept.ini"), "volume = 1\n");
  ASSERT_EQ(symlink(Path("kept.ini").c_str(), Path("setup.ini").c_str()), 0);
  std::string theError;
  ASSERT_TRUE(WriteSetupMemory(Path("setup.ini"), Full(1, 5, 1, true, 77), theError)) << theError;
  EXPECT_TRUE(fs::is_symlink(Path("setup.ini")));
  EXPECT_EQ(Read(Path("kept.ini")), SetupMemoryRead::kRead);
  EXPECT_EQ(mMemory.volume, 77);
}

TEST_F(SetupMemoryFileTest, UnwritablePlacesFailWithTheReasonAndChangeNothing) {
  ASSERT_EQ(mkdir(Path("folder.ini").c_str(), 0755), 0);
  WriteFile(Path("folder.ini/inside"), "mine");
  ASSERT_EQ(mkfifo(Path("fifo.ini").c_str(), 0644), 0);
  WriteFile(Path("file"), "mine");
  std::string theError;
  EXPECT_FALSE(WriteSetupMemory(Path("folder.ini"), Full(1, 5, 1, true, 77), theError));
  EXPECT_EQ(theError, Path("folder.ini") + " is not a regular file; it is left alone");
  EXPECT_EQ(ReadFile(Path("folder.ini/inside")), "mine");
  EXPECT_FALSE(WriteSetupMemory(Path("fifo.ini"), Full(1, 5, 1, true, 77), theError));
  struct stat theInfo;
  EXPECT_TRUE(lstat(Path("fifo.ini").c_str(), &theInfo) == 0 && S_ISFIFO(theInfo.st_mode)) << "the FIFO was replaced";
  EXPECT_FALSE(WriteSetupMemory(Path("file/zorbit/setup.ini"), Full(1, 5, 1, true, 77), theError));
  EXPECT_NE(theError.find(Path("file")), std::string::npos) << theError;
  EXPECT_EQ(ReadFile(Path("file")), "mine");
  int theEntries = 0;
  for (auto theEntry = fs::directory_iterator(mFolder.Path()); theEntry != fs::directory_iterator(); ++theEntry) ++theEntries;
  EXPECT_EQ(theEntries, 3) << "a temporary file was left behind";
}

TEST(SetupMemoryPath, IsSetupIniInTheStateFolder) {
  const char* theOld = std::getenv("XDG_STATE_HOME");
  const std::string theSaved = theOld ? theOld : "";
  setenv("XDG_STATE_HOME", "/somewhere/state", 1);
  EXPECT_EQ(SetupMemoryPath(), "/somewhere/state/zorbit/setup.ini");
  if (theOld) setenv("XDG_STATE_HOME", theSaved.c_str(), 1);
  else unsetenv("XDG_STATE_HOME");
}

}  // namespace
