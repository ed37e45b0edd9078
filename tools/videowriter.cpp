#include "videowriter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "pngfile.h"

extern char** environ;

namespace {

std::string Extension(const std::string& inPath) {
  const size_t theSlash = inPath.rfind('/');
  const size_t theDot = inPath.rfind('.');
  if (theDot == std::string::npos || (theSlash != std::string::npos && theDot < theSlash)) return "";
  std::string theExtension = inPath.substr(theDot + 1);
  for (char& c : theExtension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return theExtension;
}

// The program a name finds on PATH, or empty.
std::string FindOnPath(const char* inName) {
  const char* thePath = std::getenv("PATH");
  std::stringstream theFolders(thePath ? thePath : "");
  std::string theFolder;
  while (std::getline(theFolders, theFolder, ':')) {
    std::string theCandidate = (theFolder.empty() ? "." : theFolder) + "/" + inName;
    if (access(theCandidate.c_str(), X_OK) == 0) return theCandidate;
  }
  return "";
}

// The last lines of ffmpeg's own output, for a message.
std::string Tail(const std::string& inLogPath, size_t inLines) {
  std::ifstream theFile(inLogPath);
  std::vector<std::string> theLines;
  std::string theLine;
  while (std::getline(theFile, theLine)) {
    if (!theLine.empty()) theLines.push_back(theLine);
  }
  std::string theTail;
  for (size_t i = theLines.size() > inLines ? theLines.size() - inLines : 0; i < theLines.size(); ++i)
    theTail += "\n  ffmpeg: " + theLines[i];
  return theTail;
}

}  // namespace

bool VideoArguments(const VideoOptions& inOptions, int inWidth, int inHeight, std::vector<std::string>& outArgs,
                    std::string& outError) {
  const std::string theExtension = Extension(inOptions.path);
  const bool theMp4 = theExtension == "mp4" || theExtension == "m4v" || theExtension == "mov";
  if (!theMp4 && theExtension != "mkv" && theExtension != "webm") {
    outError = "--video wants a file ending in .mp4, .mkv or .webm, not '" + inOptions.path + "'";
    return false;
  }
  if (inOptions.lossless && theExtension != "mkv") {
    outError = "--lossless needs a .mkv file (FFV1)";
    return false;
  }
  std::vector<std::string>& a = outArgs;
  a = {"-hide_banner", "-nostdin", "-loglevel", "error", "-y",
       "-f", "rawvideo", "-pix_fmt", "rgba", "-s", std::to_string(inWidth) + "x" + std::to_string(inHeight),
       "-framerate", FrameRateText(inOptions.rate), "-i", "pipe:0"};
  const bool theSound = !inOptions.musicPath.empty();
  if (theSound) {
    char theStart[32];
    std::snprintf(theStart, sizeof theStart, "%.3f", inOptions.musicStartMs / 1000.0);
    a.insert(a.end(), {"-ss", theStart});
    if (inOptions.musicLengthMs >= 0) {
      char theLength[32];
      std::snprintf(theLength, sizeof theLength, "%.3f", inOptions.musicLengthMs / 1000.0);
      a.insert(a.end(), {"-t", theLength});
    }
    a.insert(a.end(), {"-i", inOptions.musicPath, "-map", "0:v:0", "-map", "1:a:0"});
  }
  if (inOptions.lossless) {
    a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"});
    if (theSound) a.insert(a.end(), {"-c:a", "flac"});
  } else if (theExtension == "webm") {
    a.insert(a.end(), {"-c:v", "libvpx-vp9", "-pix_fmt", "yuv420p", "-b:v", "0", "-row-mt", "1"});
    if (inOptions.crf < 0) a.insert(a.end(), {"-crf", "32"});  // VP9 needs a quality to aim for with -b:v 0
    if (theSound) a.insert(a.end(), {"-c:a", "libopus", "-b:a", "160k"});
  } else {
    a.insert(a.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    if (theSound) a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k"});
    if (theMp4) a.insert(a.end(), {"-movflags", "+faststart"});
  }
  if (inOptions.crf >= 0 && !inOptions.lossless) a.insert(a.end(), {"-crf", std::to_string(inOptions.crf)});
  // veryfast keeps H.264 from starving the renderer of both cores; at the
  // default quality its files are somewhat larger than medium's.
  if (!inOptions.lossless && theExtension != "webm")
    a.insert(a.end(), {"-preset", inOptions.preset.empty() ? "veryfast" : inOptions.preset});
  a.push_back(inOptions.path);
  return true;
}

VideoWriter::~VideoWriter() {
  std::string theError;
  if (mChild > 0) Finish(theError);
}

bool VideoWriter::Start(const VideoOptions& inOptions, int inWidth, int inHeight, const std::string& inLogPath,
                        std::string& outError) {
  std::vector<std::string> theArgs;
  if (!VideoArguments(inOptions, inWidth, inHeight, theArgs, outError)) return false;
  const std::string theProgram = FindOnPath("ffmpeg");
  if (theProgram.empty()) {
    outError = "--video needs ffmpeg, which is not on PATH (Debian: apt-get install ffmpeg); no video was written";
    return false;
  }
  int thePipe[2];
  if (pipe2(thePipe, O_CLOEXEC) != 0) {
    outError = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  const int theLog = open(inLogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (theLog < 0) {
    outError = "cannot write " + inLogPath + ": " + std::strerror(errno);
    close(thePipe[0]);
    close(thePipe[1]);
    return false;
  }
  posix_spawn_file_actions_t theActions;
  posix_spawn_file_actions_init(&theActions);
  posix_spawn_file_actions_adddup2(&theActions, thePipe[0], 0);
  posix_spawn_file_actions_adddup2(&theActions, theLog, 1);
  posix_spawn_file_actions_adddup2(&theActions, theLog, 2);
  std::vector<char*> theArgv{const_cast<char*>(theProgram.c_str())};
  for (std::string& theArg : theArgs) theArgv.push_back(const_cast<char*>(theArg.c_str()));
  theArgv.push_back(nullptr);
  const int theSpawn = posix_spawn(&mChild, theProgram.c_str(), &theActions, nullptr, theArgv.data(), environ);
  posix_spawn_file_actions_destroy(&theActions);
  close(thePipe[0]);
  close(theLog);
  if (theSpawn != 0) {
    mChild = -1;
    close(thePipe[1]);
    outError = "cannot start " + theProgram + ": " + std::strerror(theSpawn);
    return false;
  }
  // A reader that dies must give an error from write, not end this process.
  signal(SIGPIPE, SIG_IGN);
  mPipe = thePipe[1];
  mWidth = inWidth;
  mHeight = inHeight;
  mPath = inOptions.path;
  mLogPath = inLogPath;
  return true;
}

bool VideoWriter::Write(const Image& inFrame) {
  if (mPipe < 0 || inFrame.width != mWidth || inFrame.height != mHeight) return false;
  const uint8_t* theData = inFrame.rgba.data();
  size_t theLeft = inFrame.rgba.size();
  while (theLeft > 0) {
    const ssize_t theWritten = write(mPipe, theData, theLeft);
    if (theWritten < 0 && errno == EINTR) continue;
    if (theWritten <= 0) return false;
    theData += theWritten;
    theLeft -= size_t(theWritten);
  }
  ++mFrames;
  return true;
}

bool VideoWriter::Finish(std::string& outError) {
  if (mChild <= 0) return true;
  if (mPipe >= 0) close(mPipe);
  mPipe = -1;
  int theStatus = 0;
  while (waitpid(mChild, &theStatus, 0) < 0 && errno == EINTR) {
  }
  mChild = -1;
  if (WIFEXITED(theStatus) && WEXITSTATUS(theStatus) == 0) return true;
  const bool theRemoved = std::remove(mPath.c_str()) == 0;
  outError = "ffmpeg failed to encode " + mPath + (theRemoved ? " (the half-written file was removed)" : "") +
             "; its messages are in " + mLogPath + Tail(mLogPath, 5);
  return false;
}
