// Frames leave the render thread here. PNG files are encoded on worker
// threads and the video is fed to its encoder on a thread of its own, both
// behind one bounded queue: drawing frame k + 1 overlaps writing frame k, and
// the render thread waits only when the queue is full, so memory stays capped
// however slow the disk or the encoder.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pngfile.h"

class VideoWriter;

// Images of one size, used again once every output is done with them, so
// that a long capture does not allocate (and fault in) every frame anew.
class ImagePool : public std::enable_shared_from_this<ImagePool> {
 public:
  static std::shared_ptr<ImagePool> Make() { return std::shared_ptr<ImagePool>(new ImagePool); }
  std::shared_ptr<Image> Get(int inWidth, int inHeight);

 private:
  ImagePool() = default;
  void Put(Image* inImage);
  std::mutex mMutex;
  std::vector<std::unique_ptr<Image>> mFree;
};

struct FrameOutputs {
  std::string pngFolder;         // frameNNNNN.png files here; empty: none
  VideoWriter* video = nullptr;  // the frames in order; null: no video
  PngSettings png = FramePngSettings();
  int workers = 2;               // PNG threads; 0: every frame is written inside Submit
  size_t maxBytes = size_t(512) << 20;  // frames in the queue, at most (at least two frames)
};

class FramePipeline {
 public:
  FramePipeline(const FrameOutputs& inOutputs, size_t inFrameBytes);
  // Finishes what is queued.
  ~FramePipeline();
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // Queues frame inNumber (the whole capture's numbering), waiting while the
  // queue is full. False once an output has failed; Finish says why.
  bool Submit(int64_t inNumber, std::shared_ptr<const Image> inImage);
  // Waits until every queued frame is written and stops the threads. The
  // first failure, or empty.
  std::string Finish();

  int Queued() const;  // frames not yet written by every output
  int Capacity() const { return mCapacity; }
  int64_t PngFrames() const { return mPngFrames; }
  // Where the time went, in seconds: PNG encoding summed over the workers,
  // writing into the video encoder, and the render thread waiting for room.
  double EncodeSeconds() const { return mEncodeSeconds; }
  double PipeSeconds() const { return mPipeSeconds; }
  double BlockedSeconds() const { return mBlockedSeconds; }

 private:
  struct Job {
    int64_t number;
    std::shared_ptr<const Image> image;
  };
  bool WritePngJob(const Job& inJob);
  bool WriteVideoJob(const Job& inJob);
  void Done(int64_t inNumber);
  // Writes the jobs of one queue with inWrite until Finish; with
  // inStopAtFailure, jobs queued after any output failed are passed over.
  void Worker(std::deque<Job>& ioJobs, bool (FramePipeline::*inWrite)(const Job&), bool inStopAtFailure);

  FrameOutputs mOutputs;
  int mCapacity;
  mutable std::mutex mMutex;
  std::condition_variable mWork;  // a job was queued, or the end
  std::condition_variable mRoom;  // a frame left the queue
  std::deque<Job> mPngJobs, mVideoJobs;
  std::map<int64_t, int> mOutputsLeft;  // frames in flight: outputs still to write each
  bool mStopping = false;
  bool mFinished = false;
  std::string mError;
  int64_t mPngFrames = 0;
  double mEncodeSeconds = 0, mPipeSeconds = 0, mBlockedSeconds = 0;
  std::vector<std::thread> mThreads;
};
