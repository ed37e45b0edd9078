// The player's producer of MUSC: the demo's music, analysed (music/), at the
// demo time of the frame being drawn. One source per opened demo; the
// session makes it current and registers ProduceMusic before any library's
// Zorbit_Init, on every open and reopen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <zorbit/zorbit.h>

class MusicSamples;
namespace music {
class MusicAnalyser;
}

class MusicSource {
 public:
  // Starts decoding inPath (UTF-8; empty: no music, the record is silence)
  // on a thread of its own and returns at once. inVerbose: the decoding
  // time goes to the log once decoding has ended.
  MusicSource(const std::string& inPath, bool inVerbose);
  // Stops the decoding.
  ~MusicSource();
  MusicSource(const MusicSource&) = delete;
  MusicSource& operator=(const MusicSource&) = delete;

  // The record for demo time inMs, computed on the first ask at a new time
  // and kept for the others: once per frame however many ask. Waits for the
  // samples it needs. Main thread.
  MusicRecord& RecordAt(uint32_t inMs);
  // Writes the decoder's problem to the log once it is known (one warning
  // per source), or when verbose the decoding time. Main thread; never waits.
  void ReportProblem();
  // The samples, for the tempo estimate (shared: they outlive the source
  // while someone still reads them).
  std::shared_ptr<const MusicSamples> Samples() const { return mSamples; }

 private:
  std::string mPath;
  std::shared_ptr<MusicSamples> mSamples;
  std::unique_ptr<music::MusicAnalyser> mAnalyser;
  MusicRecord mRecord;
  bool mVerbose;
  bool mValid = false;
  bool mReported = false;
  uint32_t mSerial = 0;
};

// The source ProduceMusic hands records of; null: none.
void SetCurrentMusicSource(MusicSource* inSource);
// ProduceFunction of KIND_MUSC: the current source's record at FrameTime(),
// for any name; null when there is no current source.
void* ProduceMusic(const char* inName, void* inUserData, bool& outIsStatic);
