// Watches a demo's files for saves, so authoring mode can reload the demo
// while it plays.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// Gathers changes until none has come for a quiet spell, so that one save
// (which editors often make as several writes, or as a new file renamed over
// the old one) gives one reload.
class Debouncer {
 public:
  explicit Debouncer(uint32_t inQuietMs) : mQuietMs(inQuietMs) {}
  void Changed(uint32_t inNowMs);
  // True once per burst of changes, when inNowMs is inQuietMs past the last one.
  bool Settled(uint32_t inNowMs);
  bool Pending() const { return mPending; }
  void Reset() { mPending = false; }

 private:
  uint32_t mQuietMs;
  uint32_t mLastMs = 0;
  bool mPending = false;
};

// inotify on the folders that hold the watched files rather than on the
// files themselves: a watch on a file follows the old inode when an editor
// renames a new file over it, and the save would go unseen.
class FileWatcher {
 public:
  explicit FileWatcher(uint32_t inQuietMs = 200);
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // False (with a reason in Error()) when inotify could not be had; the
  // watcher then never reports anything.
  bool Usable() const { return mFd >= 0; }
  const std::string& Error() const { return mError; }

  // Watches one file by name in its folder. A missing folder is an error
  // (false, reason in Error()); a missing file is not: its creation is a change.
  bool WatchFile(const std::string& inPath);
  // Watches every name in a folder (a demo's data folder).
  bool WatchFolder(const std::string& inFolder);
  // Drops every watch, for a reloaded document that names other files.
  void Clear();

  // Reads what inotify has without waiting; true once per settled burst of
  // changes to watched names. TakeChanged() then lists the paths seen.
  bool Poll(uint32_t inNowMs);
  std::vector<std::string> TakeChanged();

 private:
  struct Folder {
    std::string path;
    bool everything = false;
    std::set<std::string> names;
  };
  int AddFolder(const std::string& inFolder);
  void ReadEvents(uint32_t inNowMs);

  int mFd = -1;
  std::string mError;
  std::map<int, Folder> mFolders;  // by watch descriptor
  std::set<std::string> mChanged;
  Debouncer mDebounce;
};
