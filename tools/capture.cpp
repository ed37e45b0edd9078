#include "capture.h"

#include <GL/glew.h>
#include <SDL.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "binding.h"
#include "contactsheet.h"
#include "demo.h"
#include "framepipeline.h"
#include "framereader.h"
#include "frameloop.h"
#include "pngfile.h"
#include "progressbar.h"
#include "sdlconfig.h"
#include "startup.h"
#include "videowriter.h"
#include "zorbitloader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration inDuration) { return std::chrono::duration<double>(inDuration).count(); }

// Frame k is shown at floor(k * 1000 / fps) ms after the capture's first
// frame, whatever the speed of the machine; the player starts at frame
// inFirst's time, so a chunk's frames fall where they fall in the whole
// capture. It also marks when each frame begins and is shown.
class CaptureClock : public FrameClock {
 public:
  CaptureClock(const FrameRate& inFps, int64_t inFirst) : mFps(inFps), mIndex(inFirst), mFirst(inFirst) {}
  uint32_t NowMs() override {
    mFrameStart = Clock::now();
    return static_cast<uint32_t>(FrameTimeMs(0, mFps, mIndex) - FrameTimeMs(0, mFps, mFirst));
  }
  void FrameShown() override {
    ++mIndex;
    mShown = Clock::now();
  }

  Clock::time_point mFrameStart = Clock::now();
  Clock::time_point mShown = Clock::now();

 private:
  FrameRate mFps;
  int64_t mIndex;
  int64_t mFirst;
};

// Effect time by plug-in file, over the whole capture and for the frame being drawn.
class PlugInProfile : public EffectProfile {
 public:
  void EffectCalled(const Event& inEvent, Clock::duration inTime) override {
    double theSeconds = Seconds(inTime);
    mTotals[inEvent.libraryFileName ? inEvent.libraryFileName : "?"] += theSeconds;
    mFrame += theSeconds;
  }
  std::map<std::string, double> mTotals;
  double mFrame = 0;  // effects of the current frame
};

bool MakeFolders(const std::string& inPath) {
  std::string thePart;
  for (size_t i = 0; i <= inPath.size(); ++i) {
    if (i == inPath.size() || inPath[i] == '/') {
      if (!thePart.empty() && mkdir(thePart.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (i < inPath.size()) thePart += inPath[i];
  }
  return true;
}

std::string Absolute(const std::string& inPath) {
  if (!inPath.empty() && inPath[0] == '/') return inPath;
  char theCwd[PATH_MAX];
  if (!getcwd(theCwd, sizeof theCwd)) return inPath;
  return std::string(theCwd) + "/" + inPath;
}

// Output surface 0 of a demo drawn without OpenGL, rows top to bottom, opaque.
std::shared_ptr<Image> ReadSurface(const Demo& inDemo, ImagePool& ioPool) {
  if (inDemo.outputSurfaceCount == 0 || !inDemo.outputSurfaces || !inDemo.outputSurfaces[0]) return nullptr;
  SDL_PixelFormat theFormat;
  std::memset(&theFormat, 0, sizeof theFormat);
  theFormat.BitsPerPixel = 32;
  theFormat.BytesPerPixel = 4;
  theFormat.Rmask = 0x000000FF;  // bytes R, G, B, A in memory on little-endian
  theFormat.Gmask = 0x0000FF00;
  theFormat.Bmask = 0x00FF0000;
  theFormat.Amask = 0xFF000000;
  theFormat.Rshift = 0;
  theFormat.Gshift = 8;
  theFormat.Bshift = 16;
  theFormat.Ashift = 24;
  SDL_Surface* theCopy = SDL_ConvertSurface(inDemo.outputSurfaces[0], &theFormat, SDL_SWSURFACE);
  if (!theCopy) return nullptr;
  std::shared_ptr<Image> theImage = ioPool.Get(theCopy->w, theCopy->h);
  SDL_LockSurface(theCopy);
  for (int y = 0; y < theImage->height; ++y)
    std::memcpy(theImage->Pixel(0, y), static_cast<uint8_t*>(theCopy->pixels) + y * theCopy->pitch,
                static_cast<size_t>(theImage->width) * 4);
  SDL_UnlockSurface(theCopy);
  SDL_FreeSurface(theCopy);
  for (size_t i = 3; i < theImage->rgba.size(); i += 4) theImage->rgba[i] = 255;
  return theImage;
}

// The demo's running time, for a chunk that must know the whole range before
// the player starts; -1 when the document does not load (the player then
// says why).
int64_t RunningTime(const std::string& inDemoPath) {
  OwnedDemo theDemo;
  std::string theError;
  return theDemo.TryLoad(inDemoPath.c_str(), theError) ? std::max<int32_t>(0, theDemo.demo.runningTime) : -1;
}

}  // namespace

CaptureResult CaptureDemo(const CaptureOptions& inOptions) {
  CaptureResult theResult;
  std::string theOutDir = Absolute(inOptions.outDir);
  if (!MakeFolders(theOutDir)) {
    theResult.error = "cannot make the folder " + theOutDir + ": " + std::strerror(errno);
    return theResult;
  }
  if (access(theOutDir.c_str(), W_OK) != 0) {
    theResult.error = "cannot write into " + theOutDir + ": " + std::strerror(errno);
    return theResult;
  }
  const FrameRate& theRate = inOptions.fps;

  // The frames of the capture: all up to the last wanted time, or one chunk
  // of them. The chunks of a range must split the same whole, so the running
  // time is read from the document before the player starts.
  int64_t theLastMs = inOptions.toMs;
  int64_t theFirst = 0;
  int64_t theTotal = -1;  // -1: known at the first frame
  if (inOptions.chunks > 1) {
    if (theLastMs < 0) theLastMs = RunningTime(inOptions.demoPath);
    if (theLastMs < 0) theLastMs = inOptions.fromMs;  // the player reports the document
    FrameRange theRange = ChunkRange(FramesUpTo(inOptions.fromMs, theLastMs, theRate), inOptions.chunk, inOptions.chunks);
    theFirst = theRange.first;
    theTotal = theRange.count;
    if (theTotal == 0) {
      theResult.error = "chunk " + std::to_string(inOptions.chunk) + " of " + std::to_string(inOptions.chunks) +
                        " holds no frame";
      return theResult;
    }
  }
  theResult.firstFrame = theFirst;
  const int64_t theStartMs = FrameTimeMs(inOptions.fromMs, theRate, theFirst);

  // The player runs from the demo's own folder, where the demo's files are found.
  const std::string theFolder = FolderOf(inOptions.demoPath);
  const std::string theDemo = inOptions.demoPath.substr(inOptions.demoPath.rfind('/') + 1);
  struct stat theFolderInfo;
  errno = 0;
  if (stat(theFolder.c_str(), &theFolderInfo) != 0 || !S_ISDIR(theFolderInfo.st_mode) ||
      access(theFolder.c_str(), X_OK) != 0) {
    theResult.error = "cannot enter the demo's folder " + theFolder + ": " + std::strerror(errno ? errno : ENOTDIR);
    return theResult;
  }
  // Paths of the outputs, before the session enters the demo's folder.
  const std::string theVideoPath = inOptions.videoPath.empty() ? "" : Absolute(inOptions.videoPath);

  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;  // frames only: no sound card needed
  theConfig.width = inOptions.width;
  theConfig.height = inOptions.height;
  theConfig.videoFlags = SDL_DOUBLEBUF;

  const bool theWritesPng = inOptions.pngFrames && !inOptions.discard;
  const bool theWritesVideo = !inOptions.videoPath.empty() && !inOptions.discard;
  std::shared_ptr<ImagePool> thePool = ImagePool::Make();
  BackBufferReader theReader(thePool, inOptions.serial ? 0 : 2);
  VideoWriter theVideo;
  std::unique_ptr<FramePipeline> thePipeline;
  std::vector<Image> theSheetFrames;
  std::vector<int64_t> theSheetIndexes;
  auto theHookEnd = Clock::now();
  CaptureClock theClock(theRate, theFirst);
  PlugInProfile theProfile;
  if (inOptions.profile) SetEffectProfile(&theProfile);
  std::unique_ptr<ProgressBar> theBar;
  int64_t theFrame = 0;      // frames drawn, from the capture's first
  int64_t theCollected = 0;  // frames read back and handed on
  bool theStopped = false;
  Clock::time_point theCaptureStart;

  // A frame read back: onto the contact sheet if it is one of its frames, and
  // to the outputs.
  auto theDeliver = [&](std::shared_ptr<Image> inImage) {
    const int64_t theIndex = theCollected++;
    if (!inImage) {
      if (theResult.error.empty()) theResult.error = "cannot read frame " + std::to_string(theFirst + theIndex) + " back";
      return;
    }
    ++theResult.frames;
    if (std::binary_search(theSheetIndexes.begin(), theSheetIndexes.end(), theIndex))
      theSheetFrames.push_back(
          ScaleImage(*inImage, 320, std::max(1, 320 * inImage->height / std::max(1, inImage->width))));
    if (thePipeline && !thePipeline->Submit(theFirst + theIndex, std::move(inImage)) && theResult.error.empty())
      theResult.error = thePipeline->Finish();
  };

  SessionSettings theSettings;
  theSettings.options.demoPath = theDemo;
  theSettings.options.startMs = static_cast<uint32_t>(theStartMs);
  theSettings.workingFolder = theFolder;
  // The demo's folder may be read-only (an installed demo), and stays as it was.
  theSettings.logPath = theOutDir + "/Errorlog.txt";
  theSettings.clock = &theClock;
  theSettings.config = &theConfig;
  theSettings.allowSetupWindow = false;
  PlayerSession* theSession = nullptr;
  theSettings.afterDraw = [&](const Demo& inDemo, uint32_t /*inTime*/) {
    if (theStopped) return;
    auto theStart = Clock::now();
    if (theFrame > 0) theResult.swapSeconds += Seconds(theClock.mShown - theHookEnd);
    theResult.runtimeSeconds += Seconds(theStart - theClock.mFrameStart) - theProfile.mFrame;
    theProfile.mFrame = 0;
    SDL_Surface* theScreen = SDL_GetVideoSurface();
    if (theFrame == 0) {
      theCaptureStart = theStart;
      if (inDemo.musicFile) theResult.musicPath = Absolute(inDemo.musicFile);  // still in the demo's folder
      if (theTotal < 0) {
        if (theLastMs < 0 || theLastMs > inDemo.runningTime) theLastMs = std::max<int32_t>(0, inDemo.runningTime);
        theTotal = std::max<int64_t>(1, FramesUpTo(inOptions.fromMs, theLastMs, theRate));
      }
      int64_t theCount = std::min<int64_t>(inOptions.sheetFrames, theTotal);
      for (int64_t i = 0; i < theCount; ++i) theSheetIndexes.push_back(theCount == 1 ? 0 : i * (theTotal - 1) / (theCount - 1));
      const int theWidth = theScreen ? theScreen->w : inOptions.width;
      const int theHeight = theScreen ? theScreen->h : inOptions.height;
      if (theWritesVideo) {
        VideoOptions theVideoOptions;
        theVideoOptions.path = theVideoPath;
        theVideoOptions.rate = theRate;
        theVideoOptions.musicPath = theResult.musicPath;
        theVideoOptions.musicStartMs = static_cast<uint32_t>(theStartMs);
        // The sound is the stretch of the music the frames show, and ends
        // with the last frame: a whole capture, a range or a chunk (whose
        // stretches then join).
        theVideoOptions.musicLengthMs = FrameTimeMs(inOptions.fromMs, theRate, theFirst + theTotal) - theStartMs;
        theVideoOptions.crf = inOptions.crf;
        theVideoOptions.preset = inOptions.preset;
        theVideoOptions.lossless = inOptions.lossless;
        std::string theError;
        if (theVideo.Start(theVideoOptions, theWidth, theHeight, theOutDir + "/ffmpeg.log", theError))
          theResult.videoPath = theVideoOptions.path;
        else
          theResult.error = theError;
      }
      if (theResult.error.empty() && (theWritesPng || theWritesVideo)) {
        FrameOutputs theOutputs;
        if (theWritesPng) theOutputs.pngFolder = theOutDir;
        if (theWritesVideo) theOutputs.video = &theVideo;
        theOutputs.workers = inOptions.serial ? 0 : 2;
        thePipeline = std::make_unique<FramePipeline>(theOutputs, static_cast<size_t>(theWidth) * theHeight * 4);
      }
      if (!inOptions.quiet) theBar = std::make_unique<ProgressBar>(stderr, static_cast<int>(theTotal), "frames");
    }
    if (inOptions.profile && inDemo.useOpenGL) {
      // A software renderer draws when the pixels are wanted: wait for it
      // here so that the read-back below is only the copy.
      glFinish();
      auto theFinished = Clock::now();
      theResult.finishSeconds += Seconds(theFinished - theStart);
      theStart = theFinished;
    }
    // The last frame, or a failure: ask the loop to stop after this frame and
    // collect every frame still in flight while OpenGL is there.
    const bool theLast = theFrame + 1 >= theTotal || !theResult.error.empty();
    if (theResult.error.empty()) {
      if (inDemo.useOpenGL && theScreen) theReader.Queue(theScreen->w, theScreen->h);
    }
    auto theQueued = Clock::now();
    theResult.readbackSeconds += Seconds(theQueued - theStart);
    if (inDemo.useOpenGL) {
      while (theReader.Pending() > 0 && (theReader.Full() || theLast)) theDeliver(theReader.Take());
      if (theLast) theReader.Release();
    } else if (theResult.error.empty()) {
      theDeliver(ReadSurface(inDemo, *thePool));
    }
    ++theFrame;
    if (theBar) {
      char theNote[48] = "";
      if (thePipeline && !inOptions.serial)
        std::snprintf(theNote, sizeof theNote, "  queue %d/%d", thePipeline->Queued(), thePipeline->Capacity());
      theBar->Update(static_cast<int>(theFrame), theNote);
    }
    if (theLast) {
      theStopped = true;
      theSession->Stop();
    }
    theHookEnd = Clock::now();
    theResult.collectSeconds += Seconds(theHookEnd - theQueued);
  };

  {
    PlayerSession thePlayer(theSettings);
    theSession = &thePlayer;
    if (thePlayer.Open()) thePlayer.Play();
    theResult.exitCode = thePlayer.Close();
  }
  SetEffectProfile(nullptr);
  theResult.effectSeconds = theProfile.mTotals;

  if (thePipeline) {
    std::string theError = thePipeline->Finish();
    if (theResult.error.empty()) theResult.error = theError;
    theResult.pngFrames = static_cast<int>(thePipeline->PngFrames());
    theResult.queueSeconds = thePipeline->BlockedSeconds();
    theResult.encodeSeconds = thePipeline->EncodeSeconds();
    theResult.pipeSeconds = thePipeline->PipeSeconds();
  }
  if (theBar) theBar->Finish();
  if (!theResult.videoPath.empty()) {
    std::string theError;
    if (!theVideo.Finish(theError)) {
      // ffmpeg's own words say why, also when the broken pipe was seen first.
      theResult.error = theResult.error.empty() ? theError : theResult.error + "; " + theError;
      theResult.videoPath.clear();
    } else if (!theResult.error.empty()) {
      if (std::remove(theResult.videoPath.c_str()) == 0) theResult.error += " (the unfinished video was removed)";
      theResult.videoPath.clear();
    }
  }
  if (theFrame > 0) theResult.captureSeconds = Seconds(Clock::now() - theCaptureStart);
  if (theResult.error.empty() && theTotal > 0 && theResult.frames < theTotal)
    theResult.error = "the player stopped after " + std::to_string(theResult.frames) + " of " +
                      std::to_string(theTotal) + " frames";

  if (!theSheetFrames.empty()) {
    theResult.sheetPath = theOutDir + "/contact-sheet.png";
    std::string theError;
    if (!WritePng(theResult.sheetPath, MakeContactSheet(theSheetFrames, 6, 320), &theError)) {
      theResult.sheetPath.clear();
      if (theResult.error.empty()) theResult.error = theError;
    }
  }
  if (theResult.exitCode != 0 && theResult.error.empty())
    theResult.error = "the player stopped during start-up; see " + theSettings.logPath;
  else if (theResult.frames == 0 && theResult.error.empty())
    theResult.error = "no frame was drawn: the start time lies past the demo's running time";
  return theResult;
}
