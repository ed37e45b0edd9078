// zorbit-capture DEMO.xml OUTDIR: renders every frame of a demo to PNG files
// and, with --video, straight into a video with the demo's music.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture.h"
#include "framerate.h"
#include "ownxserver.h"
#include "programinfo.h"

namespace {

const char* const kProgram = "zorbit-capture";

void Usage(FILE* inOut) {
  std::fprintf(inOut,
      "Usage: zorbit-capture DEMO.xml OUTDIR [OPTION]...\n"
      "\n"
      "Plays DEMO.xml with the player's own start-up, plug-ins and frame loop on a\n"
      "fixed-step clock: frame k is drawn at demo time FROM + floor(k * 1000 / FPS) ms,\n"
      "so every frame is rendered whatever the machine's speed and two runs give the\n"
      "same frames. Writes OUTDIR/frame00000.png, ... and OUTDIR/contact-sheet.png;\n"
      "with --video, a video with the demo's music from the first frame's time.\n"
      "Needs no display: without one it starts its own Xvfb.\n"
      "\n"
      "  --fps RATE       frames per demo second, whole (25, 50, 60) or a fraction\n"
      "                   (30000/1001, 60000/1001); default 25\n"
      "  --size WxH       frame size in pixels (default 640x360)\n"
      "  --from MS        first frame's demo time (default 0)\n"
      "  --to MS          last demo time to capture (default: the demo's running time)\n"
      "  --video FILE     also encode the frames with ffmpeg into FILE, one video\n"
      "                   frame per captured frame: .mp4 (H.264 and AAC), .mkv (H.264,\n"
      "                   or FFV1 with --lossless) or .webm (VP9 and Opus); the PNG\n"
      "                   frames are then left out unless --frames is given\n"
      "  --frames         write the PNG frames beside the video\n"
      "  --lossless       with a .mkv video: FFV1, every pixel as captured\n"
      "  --crf N          the video encoder's quality setting (lower is better)\n"
      "  --preset NAME    the H.264 encoder's preset (ultrafast ... veryslow)\n"
      "  --chunk K/N      only the K-th of N equal frame ranges, with the whole\n"
      "                   capture's frame numbers (and, with --video, one video segment);\n"
      "                   the N chunks together are exactly the frames of one capture\n"
      "  --serial         read back and write each frame before drawing the next\n"
      "                   (slower; the frames are the same)\n"
      "  --discard        draw and read back every frame but write none (to time drawing)\n"
      "  --quiet          no progress bar\n"
      "  --profile        time every effect call and show where each frame's time goes\n"
      "  --help           print this help and exit\n"
      "  --version        print the version and exit\n");
}

bool ReadNumber(const char* inText, long long inMin, long long inMax, long long& outValue) {
  char* theEnd = nullptr;
  outValue = std::strtoll(inText, &theEnd, 10);
  return theEnd != inText && *theEnd == 0 && outValue >= inMin && outValue <= inMax;
}

void PrintReport(const CaptureOptions& inOptions, const CaptureResult& inResult) {
  double theEffects = 0;
  for (auto& thePlugIn : inResult.effectSeconds) theEffects += thePlugIn.second;
  const double theWall = std::max(inResult.captureSeconds, 1e-9);
  std::printf("%d frames (from frame %lld) in %.2f s, %.1f frames per second, into %s\n", inResult.frames,
              static_cast<long long>(inResult.firstFrame), inResult.captureSeconds, inResult.frames / theWall,
              inOptions.outDir.c_str());
  auto theLine = [&](const std::string& inWhat, double inSeconds) {
    std::printf("  %-32s %8.2f ms per frame  %5.1f%%\n", inWhat.c_str(), 1000 * inSeconds / inResult.frames,
                100 * inSeconds / theWall);
  };
  std::printf(" on the render thread:\n");
  theLine(inOptions.profile ? "player runtime" : "player and effects", inResult.runtimeSeconds);
  for (auto& thePlugIn : inResult.effectSeconds) theLine("effects of " + thePlugIn.first, thePlugIn.second);
  theLine("buffer swap and event poll", inResult.swapSeconds);
  if (inOptions.profile) theLine("OpenGL drawing (glFinish)", inResult.finishSeconds);
  theLine("read-back", inResult.readbackSeconds);
  theLine("read-back wait and hand-over", inResult.collectSeconds);
  theLine("waiting for the output queue", inResult.queueSeconds);
  std::printf(" on the output threads (overlapping the above):\n");
  theLine("PNG encoding", inResult.encodeSeconds);
  theLine("video pipe", inResult.pipeSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  CaptureOptions theOptions;
  bool theFramesAsked = false;
  std::vector<std::string> thePositional;
  for (int i = 1; i < argc; ++i) {
    std::string theArg = argv[i];
    long long theValue = 0;
    const bool theHasValue = i + 1 < argc;
    const char* theNext = theHasValue ? argv[i + 1] : "";
    auto theBad = [&](const std::string& inWants) {
      return UsageError(kProgram, theArg + " wants " + inWants + (theHasValue ? std::string(", not '") + theNext + "'" : ""));
    };
    if (theArg == "--help" || theArg == "-h") {
      Usage(stdout);
      return 0;
    } else if (theArg == "--version") {
      PrintVersion(kProgram);
      return 0;
    } else if (theArg == "--fps") {
      if (!theHasValue || !ParseFrameRate(theNext, theOptions.fps)) return theBad("N or NUM/DEN, at most 1000 frames a second");
      ++i;
    } else if (theArg == "--chunk") {
      if (!theHasValue || !ParseChunk(theNext, theOptions.chunk, theOptions.chunks)) return theBad("K/N with 1 <= K <= N");
      ++i;
    } else if (theArg == "--from" || theArg == "--to") {
      if (!theHasValue || !ReadNumber(theNext, 0, UINT32_MAX, theValue)) return theBad("a time in milliseconds");
      if (theArg == "--from") theOptions.fromMs = static_cast<uint32_t>(theValue);
      else theOptions.toMs = theValue;
      ++i;
    } else if (theArg == "--size") {
      int theWidth = 0, theHeight = 0;
      char theTail = 0;
      if (!theHasValue || std::sscanf(theNext, "%dx%d%c", &theWidth, &theHeight, &theTail) != 2 || theWidth < 16 ||
          theHeight < 16 || theWidth > 8192 || theHeight > 8192)
        return theBad("WIDTHxHEIGHT between 16 and 8192");
      theOptions.width = theWidth;
      theOptions.height = theHeight;
      ++i;
    } else if (theArg == "--video") {
      if (!theHasValue || !*theNext) return theBad("a file name");
      theOptions.videoPath = argv[++i];
    } else if (theArg == "--crf") {
      if (!theHasValue || !ReadNumber(theNext, 0, 63, theValue)) return theBad("a number from 0 to 63");
      theOptions.crf = static_cast<int>(theValue);
      ++i;
    } else if (theArg == "--preset") {
      if (!theHasValue || !*theNext) return theBad("a preset name");
      theOptions.preset = argv[++i];
    } else if (theArg == "--frames") {
      theFramesAsked = true;
    } else if (theArg == "--lossless") {
      theOptions.lossless = true;
    } else if (theArg == "--serial") {
      theOptions.serial = true;
    } else if (theArg == "--discard") {
      theOptions.discard = true;
    } else if (theArg == "--quiet") {
      theOptions.quiet = true;
    } else if (theArg == "--profile") {
      theOptions.profile = true;
    } else if (!theArg.empty() && theArg[0] == '-') {
      return UsageError(kProgram, "unknown option '" + theArg + "'");
    } else {
      thePositional.push_back(theArg);
    }
  }
  if (thePositional.size() != 2)
    return UsageError(kProgram, "which demo and which output folder? (zorbit-capture DEMO.xml OUTDIR)");
  theOptions.demoPath = thePositional[0];
  theOptions.outDir = thePositional[1];
  if (theOptions.toMs >= 0 && theOptions.toMs < theOptions.fromMs)
    return UsageError(kProgram, "--to (" + std::to_string(theOptions.toMs) + ") lies before --from (" +
                                    std::to_string(theOptions.fromMs) + ")");
  if (theOptions.videoPath.empty() && (theOptions.lossless || theOptions.crf >= 0 || !theOptions.preset.empty()))
    return UsageError(kProgram, "--lossless, --crf and --preset go with --video");
  theOptions.pngFrames = theOptions.videoPath.empty() || theFramesAsked;

  OwnXServer theServer(theOptions.width, theOptions.height);
  if (!theServer.Ready()) {
    std::fprintf(stderr, "%s: %s\n", kProgram, theServer.Error().c_str());
    return 1;
  }
  CaptureResult theResult = CaptureDemo(theOptions);
  if (!theResult.error.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, theResult.error.c_str());
  if (theResult.frames == 0 || !theResult.error.empty()) return 1;

  PrintReport(theOptions, theResult);
  if (!theResult.sheetPath.empty()) std::printf("contact sheet: %s\n", theResult.sheetPath.c_str());
  if (!theResult.videoPath.empty()) {
    std::printf("video: %s\n", theResult.videoPath.c_str());
  } else if (theResult.pngFrames > 0) {
    std::printf("make a video with:\n  ffmpeg -framerate %s -start_number %lld -i '%s/frame%%05d.png'",
                FrameRateText(theOptions.fps).c_str(), static_cast<long long>(theResult.firstFrame),
                theOptions.outDir.c_str());
    if (!theResult.musicPath.empty())
      std::printf(" -ss %.3f -i '%s' -shortest -c:a aac",
                  FrameTimeMs(theOptions.fromMs, theOptions.fps, theResult.firstFrame) / 1000.0,
                  theResult.musicPath.c_str());
    std::printf(" -c:v libx264 -pix_fmt yuv420p '%s/video.mp4'\n", theOptions.outDir.c_str());
  }
  return theResult.exitCode;
}
