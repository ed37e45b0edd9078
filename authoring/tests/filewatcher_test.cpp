#include "filewatcher.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tempfolder.h"
#include "textfile.h"

namespace {

TEST(Debouncer, OneBurstSettlesOnceAfterTheQuietSpell) {
  Debouncer theDebounce(200);
  EXPECT_FALSE(theDebounce.Settled(0)) << "nothing changed yet";
  theDebounce.Changed(1000);
  theDebounce.Changed(1150);
  EXPECT_FALSE(theDebounce.Settled(1300)) << "only 150 ms since the last change";
  EXPECT_TRUE(theDebounce.Settled(1350)) << "200 ms quiet after the burst";
  EXPECT_FALSE(theDebounce.Settled(2000)) << "a burst settles once";
  // Across the wrap of a 32-bit ms counter.
  theDebounce.Changed(0xFFFFFFA0u);
  EXPECT_FALSE(theDebounce.Settled(0x00000010u)) << "112 ms after the change, across the wrap";
  EXPECT_TRUE(theDebounce.Settled(0x00000080u)) << "224 ms after the change, across the wrap";
}

bool HasPath(const std::vector<std::string>& inPaths, const std::string& inPath) {
  return std::find(inPaths.begin(), inPaths.end(), inPath) != inPaths.end();
}

class FileWatcherTest : public ::testing::Test {
 protected:
  TempFolder mFolder{"zorbit-watch-"};
  std::string Path(const std::string& inName) const { return mFolder.Path() + "/" + inName; }
};

TEST_F(FileWatcherTest, RenameOverTheWatchedFileIsSeen) {
  WriteFile(Path("demo.xml"), "<old/>");
  FileWatcher theWatcher(0);
  ASSERT_TRUE(theWatcher.Usable()) << theWatcher.Error();
  ASSERT_TRUE(theWatcher.WatchFile(Path("demo.xml"))) << theWatcher.Error();
  EXPECT_FALSE(theWatcher.Poll(0)) << "nothing happened yet";

  // The way many editors save: a new file, renamed over the old one.
  WriteFile(Path(".demo.xml.swp"), "<new/>");
  ASSERT_EQ(std::rename(Path(".demo.xml.swp").c_str(), Path("demo.xml").c_str()), 0);
  EXPECT_TRUE(theWatcher.Poll(10)) << "the rename over demo.xml was missed";
  const std::vector<std::string> theChanged = theWatcher.TakeChanged();
  EXPECT_EQ(theChanged, std::vector<std::string>{Path("demo.xml")}) << "only the watched name is reported";

  // The old inode is gone; the watch still sees the next save in place.
  WriteFile(Path("demo.xml"), "<again/>");
  EXPECT_TRUE(theWatcher.Poll(20)) << "the second save, written in place, was missed";
}

TEST_F(FileWatcherTest, OtherNamesInTheFolderAreIgnoredButAWatchedFolderSeesAll) {
  ASSERT_EQ(mkdir(Path("data").c_str(), 0700), 0);
  FileWatcher theWatcher(0);
  ASSERT_TRUE(theWatcher.WatchFile(Path("logo.png")));
  ASSERT_TRUE(theWatcher.WatchFolder(Path("data")));

  WriteFile(Path("unrelated.txt"), "x");
  EXPECT_FALSE(theWatcher.Poll(0)) << "a file the demo does not name triggered a reload";

  WriteFile(Path("logo.png"), "png");  // a watched file that was missing appears
  WriteFile(Path("data/points.txt"), "1 2 3");
  EXPECT_TRUE(theWatcher.Poll(0));
  const std::vector<std::string> theChanged = theWatcher.TakeChanged();
  EXPECT_TRUE(HasPath(theChanged, Path("logo.png"))) << "the new image was missed";
  EXPECT_TRUE(HasPath(theChanged, Path("data/points.txt"))) << "a file in the data folder was missed";

  theWatcher.Clear();
  WriteFile(Path("logo.png"), "png2");
  EXPECT_FALSE(theWatcher.Poll(0)) << "a cleared watcher still reports";
}

TEST_F(FileWatcherTest, ChangesWaitForTheQuietSpell) {
  WriteFile(Path("song.ogg"), "a");
  FileWatcher theWatcher(200);
  ASSERT_TRUE(theWatcher.WatchFile(Path("song.ogg")));
  WriteFile(Path("song.ogg"), "b");
  EXPECT_FALSE(theWatcher.Poll(1000)) << "reported before the debounce";
  EXPECT_FALSE(theWatcher.Poll(1199));
  EXPECT_TRUE(theWatcher.Poll(1200));
}

TEST_F(FileWatcherTest, AMissingFolderIsAnErrorWithItsName) {
  FileWatcher theWatcher;
  EXPECT_FALSE(theWatcher.WatchFile(Path("nowhere/demo.xml")));
  EXPECT_NE(theWatcher.Error().find("nowhere"), std::string::npos) << theWatcher.Error();
  EXPECT_FALSE(theWatcher.Poll(0));
}

}  // namespace
