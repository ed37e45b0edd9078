// zorbit-capture as a user runs it, on the showcase: the fast path gives the
// frames of the serial one, chunks join to one capture, videos hold one frame
// per captured frame and the music, fractional rates land on the right
// times, and failures say why.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "demoxml.h"
#include "pngfile.h"
#include "tempfolder.h"
#include "textfile.h"

namespace {

const std::string kShowcase = ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml";

struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

// inCommand with standard output and error kept apart.
CommandRun Shell(const std::string& inFolder, const std::string& inCommand) {
  CommandRun theRun;
  const std::string theOut = inFolder + "/.out", theErr = inFolder + "/.err";
  int theWait = std::system((inCommand + " >'" + theOut + "' 2>'" + theErr + "' </dev/null").c_str());
  theRun.status = WIFEXITED(theWait) ? WEXITSTATUS(theWait) : -1;
  theRun.out = ReadFile(theOut);
  theRun.err = ReadFile(theErr);
  std::remove(theOut.c_str());
  std::remove(theErr.c_str());
  return theRun;
}

CommandRun Capture(const std::string& inFolder, const std::string& inOut, const std::string& inArguments,
            const std::string& inEnvironment = "") {
  // The real binary lets Mesa unload its driver at exit, whose leftovers a
  // sanitizer build reports from a module no suppression can name; leaks of
  // the capture itself are looked for in-process by the golden-frame test.
  return Shell(inFolder, "cd '" + inFolder + "' && ASAN_OPTIONS=detect_leaks=0 " + inEnvironment + " " ZORBIT_BIN_DIR "/zorbit-capture '" + kShowcase + "' '" + inOut +
                             "' --size 160x90 --quiet " + inArguments);
}

// The frame files of a folder, by name, with their bytes.
std::map<std::string, std::string> Frames(const std::string& inFolder) {
  std::map<std::string, std::string> theFrames;
  if (DIR* theDir = opendir(inFolder.c_str())) {
    while (dirent* theEntry = readdir(theDir)) {
      std::string theName = theEntry->d_name;
      if (theName.rfind("frame", 0) == 0) theFrames[theName] = ReadFile(inFolder + "/" + theName);
    }
    closedir(theDir);
  }
  return theFrames;
}

// What ffprobe says of one stream kind: number of frames and duration.
struct Stream {
  long long frames = -1;
  double seconds = -1;
};
Stream Probe(const std::string& inFolder, const std::string& inVideo, const char* inKind) {
  CommandRun theRun = Shell(inFolder, std::string("ffprobe -v error -count_frames -select_streams ") + inKind +
                                   " -show_entries stream=nb_read_frames,duration -of default=nw=1 '" + inVideo + "'");
  Stream theStream;
  std::istringstream theLines(theRun.out);
  std::string theLine;
  while (std::getline(theLines, theLine)) {
    if (theLine.rfind("nb_read_frames=", 0) == 0) theStream.frames = std::atoll(theLine.c_str() + 15);
    if (theLine.rfind("duration=", 0) == 0) theStream.seconds = std::atof(theLine.c_str() + 9);
  }
  return theStream;
}

TEST(Capture, SpeedUpsGiveTheFramesOfTheSerialPath) {
  TempFolder theFolder("capture_same");
  ASSERT_EQ(0, Capture(theFolder.Path(), theFolder.Path() + "/serial", "--from 20000 --to 21000 --serial").status);
  CommandRun theFast = Capture(theFolder.Path(), theFolder.Path() + "/fast", "--from 20000 --to 21000");
  ASSERT_EQ(0, theFast.status) << theFast.err;
  auto theSerial = Frames(theFolder.Path() + "/serial");
  EXPECT_EQ(26u, theSerial.size());
  EXPECT_TRUE(theSerial == Frames(theFolder.Path() + "/fast")) << "the pipelined capture wrote other frames";
  // The frames are opaque RGB files whose pixels read back as drawn.
  Image theFrame;
  ASSERT_TRUE(ReadPng(theFolder.Path() + "/fast/frame00025.png", theFrame));
  EXPECT_EQ(160, theFrame.width);
  EXPECT_TRUE(IsOpaque(theFrame));
}

TEST(Capture, ChunksJoinToExactlyTheFramesOfOneCapture) {
  TempFolder theFolder("capture_chunks");
  const std::string theRange = "--from 30000 --to 31500 --fps 30000/1001";
  ASSERT_EQ(0, Capture(theFolder.Path(), theFolder.Path() + "/whole", theRange).status);
  std::map<std::string, std::string> theJoined;
  for (int k = 1; k <= 3; ++k) {
    const std::string theOut = theFolder.Path() + "/chunk" + std::to_string(k);
    CommandRun theRun = Capture(theFolder.Path(), theOut, theRange + " --chunk " + std::to_string(k) + "/3");
    ASSERT_EQ(0, theRun.status) << theRun.err;
    for (auto& theFrame : Frames(theOut)) EXPECT_TRUE(theJoined.insert(theFrame).second) << "twice: " << theFrame.first;
  }
  auto theWhole = Frames(theFolder.Path() + "/whole");
  EXPECT_EQ(45u, theWhole.size());  // 1500 ms at 29.97 frames a second, and the first frame
  EXPECT_EQ(theWhole.size(), theJoined.size());
  for (auto& theFrame : theWhole) EXPECT_TRUE(theJoined[theFrame.first] == theFrame.second) << theFrame.first;
}

TEST(Capture, VideoHoldsOneFramePerCapturedFrameAndTheMusicFromTheStart) {
  TempFolder theFolder("capture_video");
  const std::string theVideo = theFolder.Path() + "/out/showcase.mp4";
  // Relative paths are the working folder's, not the demo's.
  CommandRun theRun = Capture(theFolder.Path(), "out", "--from 50000 --to 51000 --video out/showcase.mp4");
  ASSERT_EQ(0, theRun.status) << theRun.err;
  EXPECT_TRUE(Frames(theFolder.Path() + "/out").empty()) << "PNG frames without --frames";
  Stream theFrames = Probe(theFolder.Path(), theVideo, "v:0");
  EXPECT_EQ(26, theFrames.frames);
  // The showcase's music runs on to 64 s; the sound stops with the last frame.
  Stream theSound = Probe(theFolder.Path(), theVideo, "a:0");
  EXPECT_NEAR(1.04, theSound.seconds, 0.04) << "the sound does not end with the last frame";
}

// Where a stream ends by ffprobe: the latest end of its packets, in seconds
// (Matroska files give no stream duration).
double StreamEnd(const std::string& inFolder, const std::string& inVideo, const char* inKind) {
  CommandRun theRun = Shell(inFolder, std::string("ffprobe -v error -select_streams ") + inKind +
                                          " -show_entries packet=pts_time,duration_time -of csv=p=0 '" + inVideo + "'");
  double theEnd = -1;
  std::istringstream theLines(theRun.out);
  for (std::string theLine; std::getline(theLines, theLine);) {
    double thePts = 0, theDuration = 0;
    if (std::sscanf(theLine.c_str(), "%lf,%lf", &thePts, &theDuration) == 2) theEnd = std::max(theEnd, thePts + theDuration);
  }
  return theEnd;
}

// The sound of every video ends with its picture, within one frame: ranges
// in each container, chunks, and the chunks joined as the README says.
TEST(Capture, EverySoundEndsWithItsLastFrame) {
  TempFolder theFolder("capture_sound");
  const std::string f = theFolder.Path();
  struct Case {
    const char* arguments;
    const char* video;
    double frameSeconds;
  };
  const Case kCases[] = {
      {"--to 1000", "start.mp4", 0.04},
      {"--from 50000 --to 51000 --fps 60", "sixty.mp4", 1 / 60.0},
      {"--from 50000 --to 51000", "range.webm", 0.04},
      {"--from 50000 --to 51000 --lossless", "range.mkv", 0.04},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.arguments + std::string(" ") + c.video);
    CommandRun theRun = Capture(f, f + "/out", c.arguments + std::string(" --video ") + c.video);
    ASSERT_EQ(0, theRun.status) << theRun.err;
    const double thePicture = StreamEnd(f, f + "/" + c.video, "v:0");
    const double theSound = StreamEnd(f, f + "/" + c.video, "a:0");
    ASSERT_GT(thePicture, 0.5);
    EXPECT_NEAR(thePicture, theSound, c.frameSeconds) << "picture " << thePicture << " s, sound " << theSound << " s";
  }

  std::string theList;
  for (int k = 1; k <= 3; ++k) {
    const std::string thePart = f + "/c" + std::to_string(k) + "/part.mp4";
    CommandRun theRun = Capture(f, f + "/c" + std::to_string(k),
                                "--from 30000 --to 31500 --chunk " + std::to_string(k) + "/3 --video " + thePart);
    ASSERT_EQ(0, theRun.status) << theRun.err;
    EXPECT_NEAR(StreamEnd(f, thePart, "v:0"), StreamEnd(f, thePart, "a:0"), 0.04) << "chunk " << k;
    theList += "file '" + thePart + "'\n";
  }
  std::ofstream(f + "/parts.txt") << theList;
  CommandRun theJoin = Shell(f, "ffmpeg -v error -y -f concat -safe 0 -i '" + f + "/parts.txt' -ss 30 -i '" ZORBIT_SOURCE_DIR
                                "/demos/showcase/music.ogg' -map 0:v -map 1:a -c:v copy -c:a aac -shortest '" + f + "/whole.mp4'");
  ASSERT_EQ(0, theJoin.status) << theJoin.err;
  const double thePicture = StreamEnd(f, f + "/whole.mp4", "v:0");
  EXPECT_NEAR(1.52, thePicture, 0.02) << "the chunks do not join to the whole range's 38 frames";
  EXPECT_NEAR(thePicture, StreamEnd(f, f + "/whole.mp4", "a:0"), 0.04) << "the joined video's sound outlasts it";
}

TEST(Capture, LosslessVideoDecodesToThePngFramesPixels) {
  TempFolder theFolder("capture_lossless");
  const std::string theOut = theFolder.Path() + "/out";
  const std::string theVideo = theOut + "/frames.mkv";
  CommandRun theRun = Capture(theFolder.Path(), theOut, "--from 41000 --to 41400 --frames --lossless --video '" + theVideo + "'");
  ASSERT_EQ(0, theRun.status) << theRun.err;
  const std::string theRaw = theFolder.Path() + "/decoded.rgba";
  ASSERT_EQ(0, Shell(theFolder.Path(), "ffmpeg -v error -i '" + theVideo + "' -f rawvideo -pix_fmt rgba '" + theRaw + "'").status);
  const std::string theBytes = ReadFile(theRaw);
  const size_t theFrameBytes = 160 * 90 * 4;
  ASSERT_EQ(11 * theFrameBytes, theBytes.size());
  for (int i = 0; i < 11; ++i) {
    char theName[32];
    std::snprintf(theName, sizeof theName, "/frame%05d.png", i);
    Image theFrame;
    ASSERT_TRUE(ReadPng(theOut + theName, theFrame));
    EXPECT_TRUE(std::equal(theFrame.rgba.begin(), theFrame.rgba.end(), theBytes.begin() + i * theFrameBytes,
                           [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }))
        << "frame " << i << " differs from its PNG";
  }
}

TEST(Capture, FractionalRatesLandOnTheExactTimes) {
  TempFolder theFolder("capture_ntsc");
  // Frame 1000 at 60000/1001 lies at floor(1000 * 1000 * 1001 / 60000) = 16683 ms.
  CommandRun theRun = Capture(theFolder.Path(), theFolder.Path() + "/a", "--fps 60000/1001 --to 16683 --discard");
  ASSERT_EQ(0, theRun.status) << theRun.err;
  EXPECT_EQ(0u, theRun.out.find("1001 frames")) << theRun.out;
  theRun = Capture(theFolder.Path(), theFolder.Path() + "/b", "--fps 60000/1001 --to 16682 --discard");
  ASSERT_EQ(0, theRun.status) << theRun.err;
  EXPECT_EQ(0u, theRun.out.find("1000 frames")) << theRun.out;
}

TEST(Capture, FailuresSayWhyExitOneAndLeaveNoHalfWrittenVideo) {
  TempFolder theFolder("capture_fail");
  const std::string thePath = theFolder.Path();

  // No ffmpeg on PATH.
  mkdir((thePath + "/empty").c_str(), 0755);
  CommandRun theRun = Capture(thePath, thePath + "/noffmpeg", "--to 200 --video '" + thePath + "/noffmpeg/v.mp4'",
                       "PATH='" + thePath + "/empty'");
  EXPECT_EQ(1, theRun.status);
  EXPECT_NE(std::string::npos, theRun.err.find("ffmpeg")) << theRun.err;
  EXPECT_NE(0, access((thePath + "/noffmpeg/v.mp4").c_str(), F_OK));

  // ffmpeg refuses the encode: its own words come along, the file goes.
  theRun = Capture(thePath, thePath + "/badpreset", "--to 200 --preset nosuchpreset --video '" + thePath + "/badpreset/v.mp4'");
  EXPECT_EQ(1, theRun.status);
  EXPECT_NE(std::string::npos, theRun.err.find("ffmpeg: ")) << theRun.err;
  EXPECT_NE(0, access((thePath + "/badpreset/v.mp4").c_str(), F_OK));

  // An output folder that cannot be made.
  std::ofstream(thePath + "/plainfile") << "x";
  theRun = Capture(thePath, thePath + "/plainfile/out", "--to 200");
  EXPECT_EQ(1, theRun.status);
  EXPECT_NE(std::string::npos, theRun.err.find("plainfile/out")) << theRun.err;

  // A full disk.
  const std::string theSmall = thePath + "/small";
  mkdir(theSmall.c_str(), 0755);
  if (mount("tmpfs", theSmall.c_str(), "tmpfs", 0, "size=96k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): the full-disk case is not checked";
  }
  theRun = Capture(thePath, theSmall, "--from 20000 --to 24000");
  EXPECT_EQ(1, theRun.status);
  EXPECT_NE(std::string::npos, theRun.err.find("No space left on device")) << theRun.err;
  theRun = Capture(thePath, thePath + "/full", "--from 20000 --to 24000 --video '" + theSmall + "/v.mp4'");
  EXPECT_EQ(1, theRun.status);
  EXPECT_NE(std::string::npos, theRun.err.find("ffmpeg")) << theRun.err;
  EXPECT_NE(0, access((theSmall + "/v.mp4").c_str(), F_OK)) << "a half-written video stayed";
  umount(theSmall.c_str());
}

// Every entry under inFolder, the folder itself included, with its size and
// times: a file written and removed again still shows in the folder's.
std::map<std::string, std::string> Snapshot(const std::string& inFolder) {
  std::map<std::string, std::string> theEntries;
  auto theAdd = [&theEntries](const std::string& inPath) {
    struct stat theInfo;
    if (lstat(inPath.c_str(), &theInfo) != 0) return;
    theEntries[inPath] = std::to_string(theInfo.st_size) + " " + std::to_string(theInfo.st_mtim.tv_sec) + "." +
                         std::to_string(theInfo.st_mtim.tv_nsec) + " " + std::to_string(theInfo.st_ctim.tv_sec) + "." +
                         std::to_string(theInfo.st_ctim.tv_nsec);
  };
  theAdd(inFolder);
  for (const auto& theEntry : std::filesystem::recursive_directory_iterator(inFolder)) theAdd(theEntry.path());
  return theEntries;
}

TEST(Capture, TheDemosFolderIsLeftAsItWasAndTheLogGoesBesideTheFrames) {
  TempFolder theDemoFolder("capture_demo");
  TempFolder theOutput("capture_out");
  ASSERT_FALSE(theDemoFolder.Path().empty());
  ASSERT_FALSE(theOutput.Path().empty());
  const std::string& d = theDemoFolder.Path();
  const std::string& o = theOutput.Path();
  WriteFile(d + "/plays.xml", demoxml::Document(300, false, {}, "", {}));
  WriteFile(d + "/fails.xml", demoxml::Document(300, false, {}, demoxml::Library("absent.so", {}), {}));
  const auto theBefore = Snapshot(d);
  auto theCapture = [&](const std::string& inDemo, const std::string& inOut) {
    return Shell(o, "ASAN_OPTIONS=detect_leaks=0 " ZORBIT_BIN_DIR "/zorbit-capture '" + d + "/" + inDemo + "' '" + o +
                        "/" + inOut + "' --quiet --fps 10 --size 64x48");
  };

  CommandRun thePlayed = theCapture("plays.xml", "played");
  EXPECT_EQ(thePlayed.status, 0) << thePlayed.err;
  EXPECT_EQ(0, access((o + "/played/frame00000.png").c_str(), F_OK)) << "no frame was written";
  struct stat theLog;
  EXPECT_TRUE(stat((o + "/played/Errorlog.txt").c_str(), &theLog) == 0 && S_ISREG(theLog.st_mode))
      << "the log is not beside the frames";

  CommandRun theFailed = theCapture("fails.xml", "failed");
  EXPECT_EQ(theFailed.status, 1);
  EXPECT_EQ(ReadFile(o + "/failed/Errorlog.txt"), "Couldn't load library 'absent.so'!\n");
  EXPECT_NE(theFailed.err.find("see " + o + "/failed/Errorlog.txt"), std::string::npos)
      << "the error does not point at the log:\n" << theFailed.err;

  EXPECT_EQ(Snapshot(d), theBefore) << "the capture wrote into the demo's folder";
}

}  // namespace
