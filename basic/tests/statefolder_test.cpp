// Where the programs keep what lasts between runs, and making that folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "statefolder.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

// Sets or unsets (null) an environment variable for one test, and puts it back.
class ScopedVariable {
 public:
  ScopedVariable(const char* inName, const char* inValue) : mName(inName) {
    const char* theOld = std::getenv(inName);
    mHad = theOld != nullptr;
    if (mHad) mOld = theOld;
    if (inValue) setenv(inName, inValue, 1);
    else unsetenv(inName);
  }
  ~ScopedVariable() {
    if (mHad) setenv(mName.c_str(), mOld.c_str(), 1);
    else unsetenv(mName.c_str());
  }

 private:
  std::string mName;
  std::string mOld;
  bool mHad = false;
};

TEST(StateFolder, FollowsXdgStateHomeAndFallsBackToHome) {
  struct Case {
    const char* state;  // null: unset
    const char* home;
    std::string folder;
  } const kCases[] = {
      {"/var/state", "/home/ann", "/var/state/zorbit"},
      {nullptr, "/home/ann", "/home/ann/.local/state/zorbit"},
      {"", "/home/ann", "/home/ann/.local/state/zorbit"},
      {"relative/state", "/home/ann", "/home/ann/.local/state/zorbit"},
  };
  for (const Case& c : kCases) {
    ScopedVariable theState("XDG_STATE_HOME", c.state);
    ScopedVariable theHome("HOME", c.home);
    EXPECT_EQ(StateFolder(), c.folder) << "XDG_STATE_HOME=" << (c.state ? c.state : "(unset)");
  }
}

TEST(StateFolder, WithoutAUsableHomeTheUsersEntryIsAsked) {
  ScopedVariable theState("XDG_STATE_HOME", nullptr);
  ScopedVariable theHome("HOME", "not/absolute");
  const std::string theFolder = StateFolder();
  // Every user of this machine has an absolute home in the password database.
  ASSERT_FALSE(theFolder.empty()) << "a relative HOME gave no state folder at all";
  EXPECT_EQ(theFolder[0], '/') << theFolder;
  EXPECT_EQ(theFolder.find("not/absolute"), std::string::npos) << "a relative HOME was used: " << theFolder;
}

TEST(StateFolder, MakeFoldersMakesEveryMissingPartPrivately) {
  TempFolder theTemp("zorbit_state");
  ASSERT_FALSE(theTemp.Path().empty());
  const std::string theDeep = theTemp.Path() + "/a/b/zorbit";
  std::string theError;
  ASSERT_TRUE(MakeFolders(theDeep, theError)) << theError;
  struct stat theInfo;
  ASSERT_EQ(stat(theDeep.c_str(), &theInfo), 0);
  EXPECT_TRUE(S_ISDIR(theInfo.st_mode));
  EXPECT_EQ(theInfo.st_mode & 0777, 0700u) << "a state folder is the user's own";
  EXPECT_TRUE(MakeFolders(theDeep + "/", theError)) << "an existing folder is fine: " << theError;
}

TEST(StateFolder, AFileInTheWayIsAnErrorThatNamesIt) {
  TempFolder theTemp("zorbit_state");
  ASSERT_FALSE(theTemp.Path().empty());
  WriteFile(theTemp.Path() + "/file", "x");
  std::string theError;
  EXPECT_FALSE(MakeFolders(theTemp.Path() + "/file", theError));
  EXPECT_EQ(theError, theTemp.Path() + "/file is not a folder");
  EXPECT_FALSE(MakeFolders(theTemp.Path() + "/file/zorbit", theError));
  EXPECT_NE(theError.find(theTemp.Path() + "/file"), std::string::npos) << theError;
}

}  // namespace
