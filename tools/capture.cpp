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
#include "frameloop.h"
#include "pngfile.h"
#include "progressbar.h"
#include "sdlconfig.h"
#include "startup.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration inDuration) { return std::chrono::duration<double>(inDuration).count(); }

// Frame k is shown at k * 1000 / fps ms after the start, whatever the speed
// of the machine. It also marks when each frame begins and is shown.
class CaptureClock : public FrameClock {
 public:
  explicit CaptureClock(int inFps) : mFps(inFps) {}
  uint32_t NowMs() override {
    mFrameStart = Clock::now();
    return CaptureFrameTime(0, mFps, mIndex);
  }
  void FrameShown() override {
    ++mIndex;
    mShown = Clock::now();
  }

  Clock::time_point mFrameStart = Clock::now();
  Clock::time_point mShown = Clock::now();

 private:
  int mFps;
  int64_t mIndex = 0;
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

// The frame as it is about to be shown: the back buffer with OpenGL, output
// surface 0 otherwise. Rows top to bottom.
bool ReadFrame(const Demo& inDemo, Image& outImage) {
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  if (!theScreen) return false;
  if (inDemo.useOpenGL) {
    outImage.width = theScreen->w;
    outImage.height = theScreen->h;
    outImage.rgba.resize(static_cast<size_t>(outImage.width) * outImage.height * 4);
    std::vector<uint8_t> theRows(outImage.rgba.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, outImage.width, outImage.height, GL_RGBA, GL_UNSIGNED_BYTE, theRows.data());
    size_t theStride = static_cast<size_t>(outImage.width) * 4;
    for (int y = 0; y < outImage.height; ++y)
      std::memcpy(outImage.Pixel(0, y), &theRows[(outImage.height - 1 - y) * theStride], theStride);
    for (size_t i = 3; i < outImage.rgba.size(); i += 4) outImage.rgba[i] = 255;  // frames are opaque
    return true;
  }
  if (inDemo.outputSurfaceCount == 0 || !inDemo.outputSurfaces || !inDemo.outputSurfaces[0]) return false;
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
  if (!theCopy) return false;
  outImage.width = theCopy->w;
  outImage.height = theCopy->h;
  outImage.rgba.resize(static_cast<size_t>(outImage.width) * outImage.height * 4);
  SDL_LockSurface(theCopy);
  for (int y = 0; y < outImage.height; ++y)
    std::memcpy(outImage.Pixel(0, y), static_cast<uint8_t*>(theCopy->pixels) + y * theCopy->pitch,
                static_cast<size_t>(outImage.width) * 4);
  SDL_UnlockSurface(theCopy);
  SDL_FreeSurface(theCopy);
  for (size_t i = 3; i < outImage.rgba.size(); i += 4) outImage.rgba[i] = 255;
  return true;
}

}  // namespace

uint32_t CaptureFrameTime(uint32_t inFromMs, int inFps, int64_t inIndex) {
  return inFromMs + static_cast<uint32_t>(inIndex * 1000 / std::max(1, inFps));
}

CaptureResult CaptureDemo(const CaptureOptions& inOptions) {
  CaptureResult theResult;
  std::string theOutDir = Absolute(inOptions.outDir);
  if (!MakeFolders(theOutDir)) {
    theResult.error = "cannot make the folder " + theOutDir + ": " + std::strerror(errno);
    return theResult;
  }

  // The player runs from the demo's own folder, where the demo's files are found.
  const std::string theFolder = FolderOf(inOptions.demoPath);
  const std::string theDemo = inOptions.demoPath.substr(inOptions.demoPath.rfind('/') + 1);
  char theOldCwd[PATH_MAX];
  if (!getcwd(theOldCwd, sizeof theOldCwd) || chdir(theFolder.c_str()) != 0) {
    theResult.error = "cannot enter the demo's folder " + theFolder + ": " + std::strerror(errno);
    return theResult;
  }

  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;  // frames only: no sound card needed
  theConfig.width = inOptions.width;
  theConfig.height = inOptions.height;
  theConfig.videoFlags = SDL_DOUBLEBUF;

  // The frames of the contact sheet, spread evenly over the range.
  int64_t theLastMs = inOptions.toMs;
  int theTotal = 0;
  std::vector<Image> theSheetFrames;
  std::vector<int> theSheetIndexes;
  auto theHookEnd = Clock::now();
  CaptureClock theClock(inOptions.fps);
  PlugInProfile theProfile;
  if (inOptions.profile) SetEffectProfile(&theProfile);
  std::unique_ptr<ProgressBar> theBar;
  int theFrame = 0;
  Image theImage;

  PlayerHooks theHooks;
  theHooks.clock = &theClock;
  theHooks.config = &theConfig;
  theHooks.allowSetupWindow = false;
  theHooks.afterDraw = [&](const Demo& inDemo, uint32_t inTime) {
    auto theStart = Clock::now();
    if (theFrame > 0) theResult.swapSeconds += Seconds(theClock.mShown - theHookEnd);
    theResult.runtimeSeconds += Seconds(theStart - theClock.mFrameStart) - theProfile.mFrame;
    theProfile.mFrame = 0;
    if (theFrame == 0) {
      if (inDemo.musicFile) theResult.musicPath = Absolute(inDemo.musicFile);  // still in the demo's folder
      if (theLastMs < 0 || theLastMs > inDemo.runningTime) theLastMs = std::max<int32_t>(0, inDemo.runningTime);
      theTotal = theLastMs < inOptions.fromMs
                     ? 1
                     : static_cast<int>((theLastMs - inOptions.fromMs) * inOptions.fps / 1000) + 1;
      int theCount = std::min(inOptions.sheetFrames, theTotal);
      for (int i = 0; i < theCount; ++i)
        theSheetIndexes.push_back(theCount == 1 ? 0 : static_cast<int>(int64_t(i) * (theTotal - 1) / (theCount - 1)));
      if (!inOptions.quiet) theBar = std::make_unique<ProgressBar>(stderr, theTotal, "frames");
    }
    if (inOptions.profile && inDemo.useOpenGL) {
      // A software renderer draws when the pixels are wanted: wait for it
      // here so that the read-back below is only the copy.
      glFinish();
      auto theFinished = Clock::now();
      theResult.finishSeconds += Seconds(theFinished - theStart);
      theStart = theFinished;
    }
    bool theRead = ReadFrame(inDemo, theImage);
    auto theRead1 = Clock::now();
    theResult.readbackSeconds += Seconds(theRead1 - theStart);
    if (theRead) {
      char theName[64];
      std::snprintf(theName, sizeof theName, "/frame%05d.png", theFrame);
      std::string theError;
      if (!WritePng(theOutDir + theName, theImage, &theError) && theResult.error.empty()) theResult.error = theError;
      else ++theResult.frames;
      if (std::binary_search(theSheetIndexes.begin(), theSheetIndexes.end(), theFrame))
        theSheetFrames.push_back(ScaleImage(theImage, 320, std::max(1, 320 * theImage.height / std::max(1, theImage.width))));
    }
    ++theFrame;
    if (theBar) theBar->Update(theFrame);
    // Past the last wanted time: ask the loop to stop after this frame.
    if (static_cast<int64_t>(inTime) >= theLastMs || !theResult.error.empty()) {
      SDL_Event theQuit;
      std::memset(&theQuit, 0, sizeof theQuit);
      theQuit.type = SDL_QUIT;
      SDL_PushEvent(&theQuit);
    }
    theHookEnd = Clock::now();
    theResult.writeSeconds += Seconds(theHookEnd - theRead1);
  };

  std::string theStartText = std::to_string(inOptions.fromMs);
  std::vector<char*> theArgs{const_cast<char*>("zorbit-capture"), const_cast<char*>(theDemo.c_str()),
                             const_cast<char*>(theStartText.c_str())};
  theResult.exitCode = RunPlayer(static_cast<int>(theArgs.size()), theArgs.data(), theHooks);
  SetEffectProfile(nullptr);
  theResult.effectSeconds = theProfile.mTotals;
  if (theBar) theBar->Finish();
  if (chdir(theOldCwd) != 0) { /* the outputs use absolute paths */ }

  if (!theSheetFrames.empty()) {
    theResult.sheetPath = theOutDir + "/contact-sheet.png";
    std::string theError;
    if (!WritePng(theResult.sheetPath, MakeContactSheet(theSheetFrames, 6, 320), &theError)) {
      theResult.sheetPath.clear();
      if (theResult.error.empty()) theResult.error = theError;
    }
  }
  if (theResult.exitCode != 0 && theResult.error.empty())
    theResult.error = "the player stopped during start-up; see " + theFolder + "/Errorlog.txt";
  else if (theResult.frames == 0 && theResult.error.empty())
    theResult.error = "no frame was drawn: the start time lies past the demo's running time";
  return theResult;
}
