// Plays a demo with the player's own start-up, plug-ins and frame loop, but
// on a fixed-step clock, and writes every frame as a PNG, into a video, or
// both.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "framerate.h"

struct CaptureOptions {
  std::string demoPath;
  std::string outDir;
  FrameRate fps = 25;
  int width = 640;   // pixels
  int height = 360;
  uint32_t fromMs = 0;
  int64_t toMs = -1;  // -1: the demo's running time
  // Only the chunk-th (from 1) of chunks equal frame ranges, with the whole
  // capture's frame numbers.
  int chunk = 1;
  int chunks = 1;
  bool pngFrames = true;  // frameNNNNN.png files
  std::string videoPath;  // empty: no video; .mp4, .mkv or .webm
  int crf = -1;           // -1: the encoder's default
  std::string preset;     // empty: the encoder's default
  bool lossless = false;  // .mkv only: FFV1, every pixel as captured
  // Every frame read back and written before the next is drawn, on this
  // thread: slower, the frames are the same.
  bool serial = false;
  bool discard = false;  // draw and read back every frame, write none (to time the drawing)
  int sheetFrames = 24;  // frames on the contact sheet
  bool quiet = false;    // no progress bar
  bool profile = false;  // time every effect call, by plug-in
};

struct CaptureResult {
  int exitCode = 1;    // the player's exit code
  int64_t firstFrame = 0;  // the number of the first frame captured
  int frames = 0;      // frames drawn and read back
  int pngFrames = 0;   // of them written as PNG
  std::string sheetPath;  // the contact sheet, empty when no frame was written
  std::string musicPath;  // the demo's music, empty when it has none
  std::string videoPath;  // the video written, empty when none
  std::string error;   // why the capture could not run
  // Where the time went, in seconds, over all frames. On the render thread:
  // the player's own work in the frame loop (with the effects when not
  // profiling), the effects by plug-in file (when profiling), the buffer swap
  // and event poll, starting the read-back, collecting it, and waiting for
  // room in the output queue. On the output threads: PNG encoding and
  // writing into the video encoder.
  double runtimeSeconds = 0;
  std::map<std::string, double> effectSeconds;
  double swapSeconds = 0;
  double finishSeconds = 0;  // waiting for OpenGL to finish drawing (profiling only)
  double readbackSeconds = 0;
  double collectSeconds = 0;
  double queueSeconds = 0;
  double encodeSeconds = 0;
  double pipeSeconds = 0;
  // From the first frame until the last is written: frames / captureSeconds
  // is the capture's speed, start-up aside.
  double captureSeconds = 0;
};

CaptureResult CaptureDemo(const CaptureOptions& inOptions);
