#include "musicsource.h"

#include "frameloop.h"
#include "musicsamples.h"
#include "musicanalyser.h"
#include "writelog.h"

namespace {

MusicSource* gMusicSource = nullptr;

}  // namespace

MusicSource::MusicSource(const std::string& inPath, bool inVerbose)
    : mPath(inPath),
      mSamples(std::make_shared<MusicSamples>()),
      mAnalyser(new music::MusicAnalyser(*mSamples)),
      mVerbose(inVerbose) {
  if (!inPath.empty()) mSamples->Start(inPath);
  music::FillSilence(0, mRecord);
  mRecord.serial = 0;
}

MusicSource::~MusicSource() {
  if (gMusicSource == this) gMusicSource = nullptr;
}

MusicRecord& MusicSource::RecordAt(uint32_t inMs) {
  if (!mValid || mRecord.time != inMs) {
    mAnalyser->Analyse(inMs, mRecord);
    mRecord.serial = ++mSerial;
    mValid = true;
  }
  ReportProblem();
  return mRecord;
}

void MusicSource::ReportProblem() {
  if (mReported || mPath.empty() || !mSamples->Ended()) return;
  mReported = true;
  const std::string theProblem = mSamples->Problem();
  if (!theProblem.empty()) {
    WriteLog(theProblem.c_str());
  } else if (mVerbose) {
    WriteLogF("Music analysis: %s decoded, %lld samples at %d Hz, in %.1f ms\n", mPath.c_str(),
              static_cast<long long>(mSamples->WaitForEnd()), int(mSamples->SampleRate()), mSamples->DecodeMs());
  }
}

void SetCurrentMusicSource(MusicSource* inSource) { gMusicSource = inSource; }

void* ProduceMusic(const char*, void*, bool& outIsStatic) {
  if (gMusicSource == nullptr) return nullptr;
  outIsStatic = false;
  return &gMusicSource->RecordAt(FrameTime());
}
