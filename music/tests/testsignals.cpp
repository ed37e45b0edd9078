#include "testsignals.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace testsignals {

std::vector<float> Sine(double inHz, double inAmplitude, double inSeconds, int32_t inRate) {
  std::vector<float> theSamples(size_t(inSeconds * inRate));
  for (size_t n = 0; n < theSamples.size(); ++n)
    theSamples[n] = float(inAmplitude * std::sin(2.0 * M_PI * inHz * double(n) / inRate));
  return theSamples;
}

std::vector<float> Square(int32_t inPeriod, float inAmplitude, double inSeconds, int32_t inRate) {
  std::vector<float> theSamples(size_t(inSeconds * inRate));
  for (size_t n = 0; n < theSamples.size(); ++n)
    theSamples[n] = (n % size_t(inPeriod)) < size_t(inPeriod / 2) ? inAmplitude : -inAmplitude;
  return theSamples;
}

std::vector<float> Varied(double inSeconds, int32_t inRate) {
  std::vector<float> theSamples(size_t(inSeconds * inRate));
  uint32_t theSeed = 12345;
  double thePhase = 0.0;
  for (size_t n = 0; n < theSamples.size(); ++n) {
    theSeed = theSeed * 1664525u + 1013904223u;
    const double theNoise = (double(theSeed >> 8) / double(1 << 24) - 0.5) * 0.1;
    thePhase += 2.0 * M_PI * (200.0 + 300.0 * double(n) / inRate) / inRate;
    theSamples[n] = float(theNoise + 0.3 * std::sin(thePhase));
  }
  return theSamples;
}

std::vector<float> Clicks(double inBpm, double inFirstMs, double inSeconds, int32_t inRate) {
  std::vector<float> theSamples(size_t(inSeconds * inRate));
  uint32_t theSeed = 777;
  for (float& theSample : theSamples) {
    theSeed = theSeed * 1664525u + 1013904223u;
    theSample = float((double(theSeed >> 8) / double(1 << 24) - 0.5) * 0.002);
  }
  const double theBeat = 60.0 / inBpm;
  for (double theAt = inFirstMs / 1000.0; theAt < inSeconds; theAt += theBeat) {
    const size_t theStart = size_t(std::llround(theAt * inRate));
    for (size_t n = 0; n < size_t(0.05 * inRate) && theStart + n < theSamples.size(); ++n) {
      const double theT = double(n) / inRate;
      theSeed = theSeed * 1664525u + 1013904223u;
      const double theSnap = (double(theSeed >> 8) / double(1 << 24) - 0.5) * 0.4 * std::exp(-theT * 300.0);
      theSamples[theStart + n] += float(0.8 * std::exp(-theT * 60.0) * std::sin(2.0 * M_PI * 80.0 * theT) + theSnap);
    }
  }
  return theSamples;
}

bool Write(const std::string& inPath, const std::vector<float>& inSamples, int32_t inRate, Format inFormat,
           int32_t inChannels) {
  SF_INFO theInfo;
  std::memset(&theInfo, 0, sizeof theInfo);
  theInfo.samplerate = inRate;
  theInfo.channels = inChannels;
  switch (inFormat) {
    case Format::kWav: theInfo.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT; break;
    case Format::kFlac: theInfo.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24; break;
    case Format::kOgg: theInfo.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; break;
  }
  SNDFILE* theFile = sf_open(inPath.c_str(), SFM_WRITE, &theInfo);
  if (theFile == nullptr) return false;
  std::vector<float> theFrames(inSamples.size() * size_t(inChannels));
  for (size_t n = 0; n < inSamples.size(); ++n)
    for (int32_t c = 0; c < inChannels; ++c) theFrames[n * size_t(inChannels) + size_t(c)] = inSamples[n];
  const sf_count_t theWritten = sf_writef_float(theFile, theFrames.data(), sf_count_t(inSamples.size()));
  return sf_close(theFile) == 0 && theWritten == sf_count_t(inSamples.size());
}

void Truncate(const std::string& inPath, long inBytes) {
  if (truncate(inPath.c_str(), inBytes) != 0) std::perror(inPath.c_str());
}

long FileSize(const std::string& inPath) {
  FILE* theFile = std::fopen(inPath.c_str(), "rb");
  if (theFile == nullptr) return -1;
  std::fseek(theFile, 0, SEEK_END);
  const long theSize = std::ftell(theFile);
  std::fclose(theFile);
  return theSize;
}

}  // namespace testsignals
