#include "musicsamples.h"

#include <sndfile.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

enum { kChunkFrames = 4096 };  // frames read per call; the stop flag is looked at between them

}  // namespace

MusicSamples::~MusicSamples() {
  mStop.store(true);
  if (mThread.joinable()) mThread.join();
}

void MusicSamples::Start(const std::string& inPath) {
  if (mStarted) return;
  mStarted = true;
  mThread = std::thread([this, inPath] {
    // The lowest priority on Linux, for this thread alone: start-up and the
    // frames go first; a frame that needs samples waits, and then the
    // decoding has the processor.
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 19);
    Decode(inPath);
  });
}

void MusicSamples::DecodeHere(const std::string& inPath) {
  if (mStarted) return;
  mStarted = true;
  Decode(inPath);
}

int32_t MusicSamples::SampleRate() const {
  if (!mStarted) return 0;
  if (!mOpened.load(std::memory_order_acquire) && !Ended()) {
    std::unique_lock<std::mutex> theLock(mMutex);
    mChanged.wait(theLock, [&] { return mOpened.load() || mEnded.load(); });
  }
  return mOpened.load(std::memory_order_acquire) ? mRate : 0;
}

int64_t MusicSamples::DeclaredSamples() const { return SampleRate() != 0 ? mDeclared : 0; }

int64_t MusicSamples::WaitFor(int64_t inEnd) const {
  if (!mStarted) return 0;
  int64_t theDecoded = mDecoded.load(std::memory_order_acquire);
  if (theDecoded >= inEnd || Ended()) return mDecoded.load(std::memory_order_acquire);
  std::unique_lock<std::mutex> theLock(mMutex);
  mChanged.wait(theLock, [&] { return mDecoded.load() >= inEnd || mEnded.load(); });
  return mDecoded.load(std::memory_order_acquire);
}

int64_t MusicSamples::WaitForEnd() const {
  if (!mStarted) return 0;
  if (!Ended()) {
    std::unique_lock<std::mutex> theLock(mMutex);
    mChanged.wait(theLock, [&] { return mEnded.load(); });
  }
  return mDecoded.load(std::memory_order_acquire);
}

void MusicSamples::Read(int64_t inFirst, int32_t inCount, float* outSamples) const {
  if (inCount <= 0) return;
  const int64_t theAvailable = std::min(WaitFor(inFirst + inCount), inFirst + inCount);
  int64_t theAt = inFirst;
  float* theOut = outSamples;
  // Before the music: silence.
  for (; theAt < 0 && theAt < inFirst + inCount; ++theAt) *theOut++ = 0.0f;
  while (theAt < theAvailable) {
    const int64_t theBlock = theAt / kBlockSamples;
    const int64_t theOffset = theAt % kBlockSamples;
    const int64_t theCount = std::min<int64_t>(kBlockSamples - theOffset, theAvailable - theAt);
    std::memcpy(theOut, mBlocks[size_t(theBlock)].get() + theOffset, size_t(theCount) * sizeof(float));
    theOut += theCount;
    theAt += theCount;
  }
  // After it, or past what a file that ended early holds: silence.
  std::fill(theOut, outSamples + inCount, 0.0f);
}

const float* MusicSamples::Span(int64_t inFirst, int32_t inCount) const {
  if (inFirst < 0 || inCount <= 0) return nullptr;
  const int64_t theBlock = inFirst / kBlockSamples;
  const int64_t theOffset = inFirst % kBlockSamples;
  if (theOffset + inCount > kBlockSamples) return nullptr;
  if (WaitFor(inFirst + inCount) < inFirst + inCount) return nullptr;
  return mBlocks[size_t(theBlock)].get() + theOffset;
}

std::string MusicSamples::Problem() const {
  std::lock_guard<std::mutex> theLock(mMutex);
  return mProblem;
}

void MusicSamples::Publish(int64_t inDecoded) {
  {
    std::lock_guard<std::mutex> theLock(mMutex);
    mDecoded.store(inDecoded, std::memory_order_release);
  }
  mChanged.notify_all();
}

void MusicSamples::Finish(const std::string& inProblem) {
  {
    std::lock_guard<std::mutex> theLock(mMutex);
    mProblem = inProblem;
    mEnded.store(true, std::memory_order_release);
  }
  mChanged.notify_all();
}

void MusicSamples::Decode(std::string inPath) {
  const auto theStart = std::chrono::steady_clock::now();
  SF_INFO theInfo;
  std::memset(&theInfo, 0, sizeof theInfo);
  SNDFILE* theFile = sf_open(inPath.c_str(), SFM_READ, &theInfo);
  if (theFile == nullptr) {
    Finish("Music analysis: cannot read " + inPath + ": " + sf_strerror(nullptr) + "; analysed as silence\n");
    return;
  }
  if (theInfo.samplerate <= 0 || theInfo.channels <= 0 || theInfo.frames <= 0) {
    sf_close(theFile);
    Finish("Music analysis: " + inPath + " holds no sound; analysed as silence\n");
    return;
  }
  // libsndfile says "unknown" with SF_COUNT_MAX; the cap keeps the block
  // table small whatever a header claims.
  const int64_t theDeclared = std::min<int64_t>(theInfo.frames, kMaxSamples);
  mBlocks.resize(size_t((theDeclared + kBlockSamples - 1) / kBlockSamples));
  mRate = theInfo.samplerate;
  mDeclared = theDeclared;
  {
    std::lock_guard<std::mutex> theLock(mMutex);
    mOpened.store(true, std::memory_order_release);
  }
  mChanged.notify_all();

  // libsndfile trims a WAV's data to what the file holds and says so in
  // its log only: "data : 1411200 (should be 705571)".
  char theLog[4096] = "";
  sf_command(theFile, SFC_GET_LOG_INFO, theLog, sizeof theLog);
  const char* theData = std::strstr(theLog, "\ndata : ");
  const char* theLineEnd = theData != nullptr ? std::strchr(theData + 1, '\n') : nullptr;
  const char* theShould = theData != nullptr ? std::strstr(theData, "(should be") : nullptr;
  const bool theCut = theShould != nullptr && (theLineEnd == nullptr || theShould < theLineEnd);

  const int theChannels = theInfo.channels;
  std::vector<float> theFrames(size_t(kChunkFrames) * size_t(theChannels));
  int64_t theDecoded = 0;
  bool theShort = false;
  while (theDecoded < theDeclared && !mStop.load(std::memory_order_relaxed)) {
    // A chunk never crosses a block's end, so a block is filled in place.
    const int64_t theOffset = theDecoded % kBlockSamples;
    const sf_count_t theWanted = sf_count_t(std::min<int64_t>(
        {int64_t(kChunkFrames), kBlockSamples - theOffset, theDeclared - theDecoded}));
    const sf_count_t theRead = sf_readf_float(theFile, theFrames.data(), theWanted);
    if (theRead <= 0) {
      theShort = true;
      break;
    }
    std::unique_ptr<float[]>& theBlock = mBlocks[size_t(theDecoded / kBlockSamples)];
    if (!theBlock) theBlock.reset(new float[kBlockSamples]);
    float* theOut = theBlock.get() + theOffset;
    for (sf_count_t f = 0; f < theRead; ++f) {
      float theSum = 0.0f;
      for (int c = 0; c < theChannels; ++c) theSum += theFrames[size_t(f) * size_t(theChannels) + size_t(c)];
      theOut[f] = theSum / float(theChannels);
    }
    theDecoded += theRead;
    Publish(theDecoded);
  }
  const std::string theError = sf_error(theFile) != SF_ERR_NO_ERROR ? sf_strerror(theFile) : "";
  sf_close(theFile);
  mDecodeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - theStart).count();
  std::string theProblem;
  if (theShort && !mStop.load()) {
    char theText[160];
    std::snprintf(theText, sizeof theText, "%.3f s of the %.3f s it declares", double(theDecoded) / mRate,
                  double(theDeclared) / mRate);
    theProblem = "Music analysis: " + inPath + " ends early, after " + theText +
                 (theError.empty() ? std::string() : " (" + theError + ")") + "; the rest is analysed as silence\n";
  } else if (theCut && !mStop.load()) {
    theProblem = "Music analysis: " + inPath + " ends early, before the end its header gives; the rest is analysed as silence\n";
  }
  Finish(theProblem);
}
