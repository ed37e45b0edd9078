#include "filewatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Everything that can leave a different file under a watched name. IN_MODIFY
// is left out: the close after writing says the same once, not per write.
constexpr uint32_t kWatchMask =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB | IN_DELETE_SELF |
    IN_MOVE_SELF;

// Splits "dir/name" into "dir" and "name"; a bare name lives in ".".
void SplitPath(const std::string& inPath, std::string& outFolder, std::string& outName) {
  const size_t theSlash = inPath.find_last_of('/');
  if (theSlash == std::string::npos) {
    outFolder = ".";
    outName = inPath;
  } else {
    outFolder = theSlash == 0 ? "/" : inPath.substr(0, theSlash);
    outName = inPath.substr(theSlash + 1);
  }
}

std::string JoinPath(const std::string& inFolder, const std::string& inName) {
  if (inFolder.empty() || inFolder.back() == '/') return inFolder + inName;
  return inFolder + "/" + inName;
}

}  // namespace

void Debouncer::Changed(uint32_t inNowMs) {
  mLastMs = inNowMs;
  mPending = true;
}

bool Debouncer::Settled(uint32_t inNowMs) {
  if (!mPending || inNowMs - mLastMs < mQuietMs) return false;
  mPending = false;
  return true;
}

FileWatcher::FileWatcher(uint32_t inQuietMs) : mDebounce(inQuietMs) {
  mFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (mFd < 0) mError = std::string("cannot watch files: ") + std::strerror(errno);
}

FileWatcher::~FileWatcher() {
  if (mFd >= 0) close(mFd);
}

int FileWatcher::AddFolder(const std::string& inFolder) {
  if (mFd < 0) return -1;
  // The same folder given twice (or by another spelling of one inode) comes
  // back as the same descriptor, so the names gather in one entry.
  const int theWatch = inotify_add_watch(mFd, inFolder.c_str(), kWatchMask | IN_ONLYDIR);
  if (theWatch < 0) {
    mError = "cannot watch folder \"" + inFolder + "\": " + std::strerror(errno);
    return -1;
  }
  Folder& theFolder = mFolders[theWatch];
  if (theFolder.path.empty()) theFolder.path = inFolder;
  return theWatch;
}

bool FileWatcher::WatchFile(const std::string& inPath) {
  std::string theFolder;
  std::string theName;
  SplitPath(inPath, theFolder, theName);
  const int theWatch = AddFolder(theFolder);
  if (theWatch < 0) return false;
  mFolders[theWatch].names.insert(theName);
  return true;
}

bool FileWatcher::WatchFolder(const std::string& inFolder) {
  const int theWatch = AddFolder(inFolder);
  if (theWatch < 0) return false;
  mFolders[theWatch].everything = true;
  return true;
}

void FileWatcher::Clear() {
  for (const auto& theEntry : mFolders) inotify_rm_watch(mFd, theEntry.first);
  mFolders.clear();
  mChanged.clear();
  mDebounce.Reset();
}

void FileWatcher::ReadEvents(uint32_t inNowMs) {
  alignas(inotify_event) char theBuffer[8192];
  for (;;) {
    const ssize_t theSize = read(mFd, theBuffer, sizeof theBuffer);
    if (theSize <= 0) return;  // EAGAIN: nothing more for now
    size_t theOffset = 0;
    while (theOffset + sizeof(inotify_event) <= size_t(theSize)) {
      inotify_event theEvent;
      std::memcpy(&theEvent, theBuffer + theOffset, sizeof theEvent);
      const size_t theNext = theOffset + sizeof(inotify_event) + theEvent.len;
      if (theNext > size_t(theSize)) return;  // the kernel never splits an event; stop rather than overrun
      const auto theFolder = mFolders.find(theEvent.wd);
      if (theFolder != mFolders.end()) {
        // The name is padded with NULs to its length; strnlen keeps within it.
        const char* theNameStart = theBuffer + theOffset + sizeof(inotify_event);
        const std::string theName(theNameStart, strnlen(theNameStart, theEvent.len));
        const Folder& theWatched = theFolder->second;
        if (theName.empty()) {
          // The folder itself went away or moved: everything in it changed.
          mChanged.insert(theWatched.path);
          mDebounce.Changed(inNowMs);
        } else if (theWatched.everything || theWatched.names.count(theName) != 0) {
          mChanged.insert(JoinPath(theWatched.path, theName));
          mDebounce.Changed(inNowMs);
        }
      }
      theOffset = theNext;
    }
  }
}

bool FileWatcher::Poll(uint32_t inNowMs) {
  if (mFd < 0) return false;
  ReadEvents(inNowMs);
  return mDebounce.Settled(inNowMs);
}

std::vector<std::string> FileWatcher::TakeChanged() {
  std::vector<std::string> theChanged(mChanged.begin(), mChanged.end());
  mChanged.clear();
  return theChanged;
}
