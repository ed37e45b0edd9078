// zorbit-capture DEMO.xml OUTDIR: renders every frame of a demo to PNG files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture.h"
#include "ownxserver.h"
#include "programinfo.h"

namespace {

void Usage(FILE* inOut) {
  std::fprintf(inOut,
      "Usage: zorbit-capture DEMO.xml OUTDIR [--fps N] [--size WxH] [--from MS] [--to MS] [--quiet] [--profile]\n"
      "\n"
      "Plays DEMO.xml with the player's own start-up, plug-ins and frame loop on a\n"
      "fixed-step clock: frame k is drawn at demo time FROM + k * 1000 / N ms, so every\n"
      "frame is rendered whatever the machine's speed and two runs give the same frames.\n"
      "Writes OUTDIR/frame00000.png, ... and OUTDIR/contact-sheet.png, and prints the\n"
      "ffmpeg command that joins the frames and the demo's music into a video.\n"
      "Needs no display: without one it starts its own Xvfb.\n"
      "\n"
      "  --fps N      frames per demo second (default 25)\n"
      "  --size WxH   frame size in pixels (default 640x360)\n"
      "  --from MS    first frame's demo time (default 0)\n"
      "  --to MS      last demo time to capture (default: the demo's running time)\n"
      "  --quiet      no progress bar\n"
      "  --profile    time every effect call and show each plug-in's share of a frame\n"
      "  --help       print this help and exit\n"
      "  --version    print the version and exit\n");
}

bool ReadNumber(const char* inText, long long inMin, long long inMax, long long& outValue) {
  char* theEnd = nullptr;
  outValue = std::strtoll(inText, &theEnd, 10);
  return theEnd != inText && *theEnd == 0 && outValue >= inMin && outValue <= inMax;
}

}  // namespace

int main(int argc, char** argv) {
  CaptureOptions theOptions;
  std::vector<std::string> thePositional;
  for (int i = 1; i < argc; ++i) {
    std::string theArg = argv[i];
    long long theValue = 0;
    bool theHasValue = i + 1 < argc;
    if (theArg == "--help" || theArg == "-h") {
      Usage(stdout);
      return 0;
    } else if (theArg == "--version") {
      PrintVersion("zorbit-capture");
      return 0;
    } else if (theArg == "--fps" && theHasValue && ReadNumber(argv[i + 1], 1, 1000, theValue)) {
      theOptions.fps = static_cast<int>(theValue);
      ++i;
    } else if (theArg == "--from" && theHasValue && ReadNumber(argv[i + 1], 0, UINT32_MAX, theValue)) {
      theOptions.fromMs = static_cast<uint32_t>(theValue);
      ++i;
    } else if (theArg == "--to" && theHasValue && ReadNumber(argv[i + 1], 0, UINT32_MAX, theValue)) {
      theOptions.toMs = theValue;
      ++i;
    } else if (theArg == "--size" && theHasValue) {
      int theWidth = 0, theHeight = 0;
      char theTail = 0;
      if (std::sscanf(argv[i + 1], "%dx%d%c", &theWidth, &theHeight, &theTail) != 2 || theWidth < 16 ||
          theHeight < 16 || theWidth > 8192 || theHeight > 8192) {
        return UsageError("zorbit-capture",
                          std::string("--size wants WIDTHxHEIGHT between 16 and 8192, not '") + argv[i + 1] + "'");
      }
      theOptions.width = theWidth;
      theOptions.height = theHeight;
      ++i;
    } else if (theArg == "--quiet") {
      theOptions.quiet = true;
    } else if (theArg == "--profile") {
      theOptions.profile = true;
    } else if (!theArg.empty() && theArg[0] == '-') {
      return UsageError("zorbit-capture", "unknown or incomplete option '" + theArg + "'");
    } else {
      thePositional.push_back(theArg);
    }
  }
  if (thePositional.size() != 2)
    return UsageError("zorbit-capture", "which demo and which output folder? (zorbit-capture DEMO.xml OUTDIR)");
  theOptions.demoPath = thePositional[0];
  theOptions.outDir = thePositional[1];
  if (theOptions.toMs >= 0 && theOptions.toMs < theOptions.fromMs) {
    return UsageError("zorbit-capture", "--to (" + std::to_string(theOptions.toMs) + ") lies before --from (" +
                                            std::to_string(theOptions.fromMs) + ")");
  }

  OwnXServer theServer(theOptions.width, theOptions.height);
  if (!theServer.Ready()) {
    std::fprintf(stderr, "zorbit-capture: %s\n", theServer.Error().c_str());
    return 1;
  }
  CaptureResult theResult = CaptureDemo(theOptions);
  if (!theResult.error.empty()) std::fprintf(stderr, "zorbit-capture: %s\n", theResult.error.c_str());
  if (theResult.frames == 0) return 1;

  double theEffects = 0;
  for (auto& thePlugIn : theResult.effectSeconds) theEffects += thePlugIn.second;
  double theTotal = theResult.runtimeSeconds + theEffects + theResult.swapSeconds + theResult.finishSeconds +
                    theResult.readbackSeconds + theResult.writeSeconds;
  std::printf("%d frames in %s, %.1f frames per second\n", theResult.frames, theOptions.outDir.c_str(),
              theTotal > 0 ? theResult.frames / theTotal : 0.0);
  auto theLine = [&](const std::string& inWhat, double inSeconds) {
    std::printf("  %-28s %8.2f ms per frame  %5.1f%%\n", inWhat.c_str(), 1000 * inSeconds / theResult.frames,
                100 * inSeconds / std::max(theTotal, 1e-9));
  };
  theLine(theOptions.profile ? "player runtime" : "player and effects", theResult.runtimeSeconds);
  for (auto& thePlugIn : theResult.effectSeconds) theLine("effects of " + thePlugIn.first, thePlugIn.second);
  theLine("buffer swap and event poll", theResult.swapSeconds);
  if (theOptions.profile) theLine("OpenGL drawing (glFinish)", theResult.finishSeconds);
  theLine("read-back", theResult.readbackSeconds);
  theLine("PNG writing", theResult.writeSeconds);
  if (!theResult.sheetPath.empty()) std::printf("contact sheet: %s\n", theResult.sheetPath.c_str());
  const std::string& theMusic = theResult.musicPath;
  std::printf("make a video with:\n  ffmpeg -framerate %d -i '%s/frame%%05d.png'", theOptions.fps,
              theOptions.outDir.c_str());
  if (!theMusic.empty()) std::printf(" -ss %.3f -i '%s' -shortest -c:a aac", theOptions.fromMs / 1000.0, theMusic.c_str());
  std::printf(" -c:v libx264 -pix_fmt yuv420p '%s/video.mp4'\n", theOptions.outDir.c_str());
  return theResult.exitCode;
}
