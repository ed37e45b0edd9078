// Plays a demo with the player's own start-up, plug-ins and frame loop, but
// on a fixed-step clock, and writes every frame as a PNG.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct CaptureOptions {
  std::string demoPath;
  std::string outDir;
  int fps = 25;
  int width = 640;   // pixels
  int height = 360;
  uint32_t fromMs = 0;
  int64_t toMs = -1;  // -1: the demo's running time
  int sheetFrames = 24;  // frames on the contact sheet
  bool quiet = false;    // no progress bar
  bool profile = false;  // time every effect call, by plug-in
};

// Demo time of frame inIndex: inFrom + inIndex * 1000 / inFps, in ms.
uint32_t CaptureFrameTime(uint32_t inFromMs, int inFps, int64_t inIndex);

struct CaptureResult {
  int exitCode = 1;    // the player's exit code
  int frames = 0;      // frames written
  std::string sheetPath;  // the contact sheet, empty when no frame was written
  std::string musicPath;  // the demo's music, empty when it has none
  std::string error;   // why the capture could not run
  // Where the time went, in seconds, over all frames: the player's own work
  // in the frame loop (with the effects when not profiling), the effects by
  // plug-in file (when profiling), the buffer swap and event poll, the
  // read-back and the PNG writing.
  double runtimeSeconds = 0;
  std::map<std::string, double> effectSeconds;
  double swapSeconds = 0;
  double finishSeconds = 0;  // waiting for OpenGL to finish drawing (profiling only)
  double readbackSeconds = 0;
  double writeSeconds = 0;
};

CaptureResult CaptureDemo(const CaptureOptions& inOptions);
