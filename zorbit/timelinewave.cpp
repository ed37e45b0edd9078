#include "timelinewave.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

Waveform ReadWaveform(const std::string& inPath, const TimeAxis& inAxis) {
  Waveform theWave;
  SF_INFO theInfo{};
  SNDFILE* theFile = sf_open(inPath.c_str(), SFM_READ, &theInfo);
  if (theFile == nullptr) {
    theWave.note = "the music " + inPath + " cannot be read: " + sf_strerror(nullptr);
    return theWave;
  }
  const int theColumns = std::max(1, int(std::ceil(inAxis.x1 - inAxis.x0)));
  theWave.low.assign(size_t(theColumns), 0.0f);
  theWave.high.assign(size_t(theColumns), 0.0f);
  const double theRate = theInfo.samplerate;
  const sf_count_t theFirst = sf_count_t(inAxis.fromMs * theRate / 1000.0);
  const sf_count_t theLast = std::min<sf_count_t>(theInfo.frames, sf_count_t(inAxis.toMs * theRate / 1000.0));
  if (theInfo.channels <= 0 || theFirst >= theLast || sf_seek(theFile, theFirst, SEEK_SET) < 0) {
    sf_close(theFile);
    return theWave;
  }
  std::vector<float> theBlock(size_t(4096) * size_t(theInfo.channels));
  sf_count_t theAt = theFirst;
  const double theMsPerFrame = 1000.0 / theRate;
  while (theAt < theLast) {
    const sf_count_t theWanted = std::min<sf_count_t>(4096, theLast - theAt);
    const sf_count_t theRead = sf_readf_float(theFile, theBlock.data(), theWanted);
    if (theRead <= 0) break;
    for (sf_count_t f = 0; f < theRead; ++f) {
      float theSum = 0;
      for (int c = 0; c < theInfo.channels; ++c) theSum += theBlock[size_t(f) * theInfo.channels + c];
      const float theSample = theSum / theInfo.channels;
      const int theColumn = std::clamp(int(inAxis.X((theAt + f) * theMsPerFrame) - inAxis.x0), 0, theColumns - 1);
      theWave.low[size_t(theColumn)] = std::min(theWave.low[size_t(theColumn)], theSample);
      theWave.high[size_t(theColumn)] = std::max(theWave.high[size_t(theColumn)], theSample);
    }
    theAt += theRead;
  }
  sf_close(theFile);
  return theWave;
}
