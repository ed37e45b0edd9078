// The demo's music mixed to mono for analysis: 32-bit float samples, decoded
// with libsndfile (Ogg Vorbis, FLAC, WAV, Opus, MP3 and the rest it reads),
// progressively, on a thread of its own.
//
// Decoding publishes how far it has come; a reader asks for the samples up
// to some point and waits until they are decoded or decoding has ended. What
// a reader gets therefore never depends on how far decoding had come when it
// asked: the analysis stays a function of time alone.
//
// Thread-safe: one decoding thread writes, any number of threads read.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MusicSamples {
 public:
  // Samples are kept in blocks that never move once written.
  enum { kBlockSamples = 1 << 16 };
  // A file declaring more samples is read up to this many (over 3 hours at 96 kHz).
  static constexpr int64_t kMaxSamples = int64_t(1) << 30;

  MusicSamples() = default;
  // Stops the decoding (between two chunks) and waits for its thread.
  ~MusicSamples();
  MusicSamples(const MusicSamples&) = delete;
  MusicSamples& operator=(const MusicSamples&) = delete;

  // Starts decoding inPath (UTF-8) on a thread of its own, at the lowest
  // priority, and returns at once. At most once per object; an object never
  // started holds silence.
  void Start(const std::string& inPath);
  // The same on the calling thread: returns when decoding has ended.
  void DecodeHere(const std::string& inPath);

  // Waits until the file is open, or decoding has ended. The music's rate in
  // Hz; 0 when there is nothing to analyse (not started, not readable, no
  // sound in it).
  int32_t SampleRate() const;
  // Waits as SampleRate does. The length the file declares, in samples (a
  // truncated file may end before it); 0 with SampleRate.
  int64_t DeclaredSamples() const;
  // Waits until samples [0, inEnd) are decoded or decoding has ended; the
  // number of samples decoded so far then (at least inEnd, or all there are).
  int64_t WaitFor(int64_t inEnd) const;
  // Copies samples [inFirst, inFirst + inCount) into outSamples after
  // waiting for them; those before 0 and after the music's end are 0.
  void Read(int64_t inFirst, int32_t inCount, float* outSamples) const;
  // Waits as Read does. The samples [inFirst, inFirst + inCount) where they
  // are kept, when all of them are decoded and lie in one block; null
  // otherwise (before the music, past its end, across two blocks), and
  // then Read gives them. Valid as long as this object.
  const float* Span(int64_t inFirst, int32_t inCount) const;

  // True once decoding has ended (all read, failed, or stopped); never waits.
  bool Ended() const { return mEnded.load(std::memory_order_acquire); }
  // Waits for decoding to end; the number of samples decoded.
  int64_t WaitForEnd() const;
  // The reason the file could not be analysed (whole or in part), one line
  // ending in "\n", or empty. Set before Ended turns true; never waits.
  std::string Problem() const;
  // Wall time the decoding took, ms; valid once Ended.
  double DecodeMs() const { return mDecodeMs; }

 private:
  void Decode(std::string inPath);
  void Finish(const std::string& inProblem);
  void Publish(int64_t inDecoded);

  mutable std::mutex mMutex;
  mutable std::condition_variable mChanged;
  std::thread mThread;
  bool mStarted = false;
  std::atomic<bool> mStop{false};
  std::atomic<bool> mOpened{false};  // mRate and mDeclared are set
  std::atomic<bool> mEnded{false};
  std::atomic<int64_t> mDecoded{0};
  int32_t mRate = 0;
  int64_t mDeclared = 0;
  std::string mProblem;  // under mMutex
  double mDecodeMs = 0;
  // Sized once the file is open; every block is written before mDecoded
  // passes it and never changes afterwards.
  std::vector<std::unique_ptr<float[]>> mBlocks;
};
