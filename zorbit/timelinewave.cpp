#include "timelinewave.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "musicsamples.h"

Waveform ReadWaveform(const std::string& inPath, const TimeAxis& inAxis) {
  Waveform theWave;
  // The music library's decoding, the same samples the player analyses.
  MusicSamples theMusic;
  theMusic.DecodeHere(inPath);
  const int32_t theRate = theMusic.SampleRate();
  if (theRate <= 0) {
    std::string theProblem = theMusic.Problem();
    while (!theProblem.empty() && theProblem.back() == '\n') theProblem.pop_back();
    theWave.note = "the music " + inPath + " cannot be read" + (theProblem.empty() ? "" : ": " + theProblem);
    return theWave;
  }
  const int theColumns = std::max(1, int(std::ceil(inAxis.x1 - inAxis.x0)));
  theWave.low.assign(size_t(theColumns), 0.0f);
  theWave.high.assign(size_t(theColumns), 0.0f);
  const int64_t theDecoded = theMusic.WaitForEnd();
  const int64_t theFirst = int64_t(double(inAxis.fromMs) * theRate / 1000.0);
  const int64_t theLast = std::min(theDecoded, int64_t(double(inAxis.toMs) * theRate / 1000.0));
  const double theMsPerSample = 1000.0 / theRate;
  std::vector<float> theBlock(1 << 16);
  for (int64_t theAt = theFirst; theAt < theLast; theAt += int64_t(theBlock.size())) {
    const int32_t theCount = int32_t(std::min<int64_t>(int64_t(theBlock.size()), theLast - theAt));
    theMusic.Read(theAt, theCount, theBlock.data());
    for (int32_t i = 0; i < theCount; ++i) {
      const int theColumn = std::clamp(int(inAxis.X((theAt + i) * theMsPerSample) - inAxis.x0), 0, theColumns - 1);
      theWave.low[size_t(theColumn)] = std::min(theWave.low[size_t(theColumn)], theBlock[size_t(i)]);
      theWave.high[size_t(theColumn)] = std::max(theWave.high[size_t(theColumn)], theBlock[size_t(i)]);
    }
  }
  return theWave;
}
