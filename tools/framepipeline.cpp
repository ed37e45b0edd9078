#include "framepipeline.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "videowriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point inStart) {
  return std::chrono::duration<double>(Clock::now() - inStart).count();
}

}  // namespace

std::shared_ptr<Image> ImagePool::Get(int inWidth, int inHeight) {
  std::unique_ptr<Image> theImage;
  {
    std::lock_guard<std::mutex> theLock(mMutex);
    if (!mFree.empty()) {
      theImage = std::move(mFree.back());
      mFree.pop_back();
    }
  }
  if (!theImage) theImage = std::make_unique<Image>();
  theImage->width = inWidth;
  theImage->height = inHeight;
  theImage->rgba.resize(static_cast<size_t>(inWidth) * inHeight * 4);
  std::shared_ptr<ImagePool> thePool = shared_from_this();
  return std::shared_ptr<Image>(theImage.release(), [thePool](Image* inImage) { thePool->Put(inImage); });
}

void ImagePool::Put(Image* inImage) {
  std::lock_guard<std::mutex> theLock(mMutex);
  mFree.emplace_back(inImage);
}

FramePipeline::FramePipeline(const FrameOutputs& inOutputs, size_t inFrameBytes)
    : mOutputs(inOutputs),
      mCapacity(static_cast<int>(std::clamp<size_t>(inOutputs.maxBytes / std::max<size_t>(inFrameBytes, 1), 2, 64))) {
  if (mOutputs.workers <= 0) return;
  if (!mOutputs.pngFolder.empty())
    for (int i = 0; i < mOutputs.workers; ++i)
      mThreads.emplace_back([this] { Worker(mPngJobs, &FramePipeline::WritePngJob, false); });
  // After a failure the remaining frames are passed over, not fed to a dead encoder.
  if (mOutputs.video) mThreads.emplace_back([this] { Worker(mVideoJobs, &FramePipeline::WriteVideoJob, true); });
}

FramePipeline::~FramePipeline() { Finish(); }

bool FramePipeline::WritePngJob(const Job& inJob) {
  char theName[32];
  std::snprintf(theName, sizeof theName, "/frame%05lld.png", static_cast<long long>(inJob.number));
  std::string theError;
  auto theStart = Clock::now();
  bool theWritten = WritePng(mOutputs.pngFolder + theName, *inJob.image, mOutputs.png, &theError);
  double theSeconds = SecondsSince(theStart);
  std::lock_guard<std::mutex> theLock(mMutex);
  mEncodeSeconds += theSeconds;
  if (theWritten) ++mPngFrames;
  else if (mError.empty()) mError = theError;
  return theWritten;
}

bool FramePipeline::WriteVideoJob(const Job& inJob) {
  auto theStart = Clock::now();
  bool theWritten = mOutputs.video->Write(*inJob.image);
  double theSeconds = SecondsSince(theStart);
  std::lock_guard<std::mutex> theLock(mMutex);
  mPipeSeconds += theSeconds;
  if (!theWritten && mError.empty()) mError = "the video encoder stopped reading frames";
  return theWritten;
}

void FramePipeline::Done(int64_t inNumber) {
  std::lock_guard<std::mutex> theLock(mMutex);
  auto theFrame = mOutputsLeft.find(inNumber);
  if (theFrame != mOutputsLeft.end() && --theFrame->second == 0) {
    mOutputsLeft.erase(theFrame);
    mRoom.notify_all();
  }
}

void FramePipeline::Worker(std::deque<Job>& ioJobs, bool (FramePipeline::*inWrite)(const Job&), bool inStopAtFailure) {
  for (;;) {
    Job theJob;
    bool theFailed;
    {
      std::unique_lock<std::mutex> theLock(mMutex);
      mWork.wait(theLock, [&] { return !ioJobs.empty() || mStopping; });
      if (ioJobs.empty()) return;
      theJob = std::move(ioJobs.front());
      ioJobs.pop_front();
      theFailed = !mError.empty();
    }
    if (!(inStopAtFailure && theFailed)) (this->*inWrite)(theJob);
    theJob.image.reset();
    Done(theJob.number);
  }
}

bool FramePipeline::Submit(int64_t inNumber, std::shared_ptr<const Image> inImage) {
  const bool thePng = !mOutputs.pngFolder.empty();
  const bool theVideo = mOutputs.video != nullptr;
  if (mOutputs.workers <= 0) {
    Job theJob{inNumber, std::move(inImage)};
    if (thePng && !WritePngJob(theJob)) return false;
    if (theVideo && !WriteVideoJob(theJob)) return false;
    return true;
  }
  std::unique_lock<std::mutex> theLock(mMutex);
  if (!mError.empty() || mStopping) return false;
  const int theOutputs = int(thePng) + int(theVideo);
  if (theOutputs == 0) return true;
  if (static_cast<int>(mOutputsLeft.size()) >= mCapacity) {
    auto theStart = Clock::now();
    mRoom.wait(theLock, [&] { return static_cast<int>(mOutputsLeft.size()) < mCapacity || !mError.empty(); });
    mBlockedSeconds += SecondsSince(theStart);
    if (!mError.empty()) return false;
  }
  mOutputsLeft[inNumber] = theOutputs;
  if (thePng) mPngJobs.push_back(Job{inNumber, inImage});
  if (theVideo) mVideoJobs.push_back(Job{inNumber, std::move(inImage)});
  mWork.notify_all();
  return true;
}

std::string FramePipeline::Finish() {
  {
    std::lock_guard<std::mutex> theLock(mMutex);
    if (mFinished) return mError;
    mFinished = true;
    mStopping = true;
  }
  mWork.notify_all();
  for (std::thread& theThread : mThreads) theThread.join();
  mThreads.clear();
  std::lock_guard<std::mutex> theLock(mMutex);
  return mError;
}

int FramePipeline::Queued() const {
  std::lock_guard<std::mutex> theLock(mMutex);
  return static_cast<int>(mOutputsLeft.size());
}
