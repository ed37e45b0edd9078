// Frames straight into a video: an ffmpeg child process reads raw RGBA frames
// from a pipe and muxes the demo's music in from the capture's start time.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framerate.h"

struct Image;

struct VideoOptions {
  std::string path;       // .mp4 (H.264 + AAC), .mkv (H.264, or FFV1 with lossless), .webm (VP9 + Opus)
  FrameRate rate;
  std::string musicPath;  // empty: no sound
  uint32_t musicStartMs = 0;
  int64_t musicLengthMs = -1;  // -1: to the music's end
  int crf = -1;           // -1: the encoder's default
  std::string preset;     // empty: the encoder's default
  bool lossless = false;  // .mkv only: FFV1, every pixel as captured
};

// The ffmpeg arguments for a capture of inWidth x inHeight frames, without
// the program name. False with a message for a container it cannot make.
bool VideoArguments(const VideoOptions& inOptions, int inWidth, int inHeight, std::vector<std::string>& outArgs,
                    std::string& outError);

class VideoWriter {
 public:
  VideoWriter() = default;
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Starts ffmpeg (found on PATH); its own messages go to inLogPath. False with a message
  // when ffmpeg cannot be found or started.
  bool Start(const VideoOptions& inOptions, int inWidth, int inHeight, const std::string& inLogPath,
             std::string& outError);
  // One frame of the size given to Start. False when ffmpeg stopped reading
  // (Finish then says why).
  bool Write(const Image& inFrame);
  // Ends the input and waits for ffmpeg. False with a message and the tail
  // of ffmpeg's own output when the encode failed; the half-written file is
  // then removed.
  bool Finish(std::string& outError);
  int FramesWritten() const { return mFrames; }

 private:
  pid_t mChild = -1;
  int mPipe = -1;
  int mWidth = 0, mHeight = 0;
  int mFrames = 0;
  std::string mPath, mLogPath;
};
