#include "musicanalyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "musicsamples.h"

namespace music {

namespace {

// FFTW's planner is not thread-safe: plans are made and destroyed under one
// lock. Executing a plan is safe from any thread.
std::mutex gPlannerLock;

constexpr int32_t kCacheWindows = 16;  // more than the kSmoothWindows - 1 grid windows a time uses
static_assert(kCacheWindows >= kSmoothWindows, "a time's grid windows fit in the cache");

// Rounds towards minus infinity, for sample positions before the music.
int64_t FloorDiv(int64_t inA, int64_t inB) { return inA >= 0 ? inA / inB : -((-inA + inB - 1) / inB); }

}  // namespace

float BlackmanWindow(int32_t inN) {
  const double thePhase = 2.0 * M_PI * double(inN) / double(kFftSize);
  return float(0.42 - 0.5 * std::cos(thePhase) + 0.08 * std::cos(2.0 * thePhase));
}

namespace {

// kByteThresholds[b - 1]: the smallest magnitude of byte b, 10^(dB(b) / 20)
// with dB(b) = kMinDecibels + b x (kMaxDecibels - kMinDecibels) / 255. A
// search of these gives the byte without a logarithm per bin.
struct ByteThresholds {
  ByteThresholds() {
    for (int32_t b = 1; b <= 255; ++b) {
      const double theDecibels = kMinDecibels + double(b) * (kMaxDecibels - kMinDecibels) / 255.0;
      values[b - 1] = float(std::pow(10.0, theDecibels / 20.0));
    }
  }
  float values[255];
};
const ByteThresholds gThresholds;

}  // namespace

uint8_t SpectrumByte(float inMagnitude) {
  const float* const theThresholds = gThresholds.values;
  if (!(inMagnitude >= theThresholds[0])) return 0;
  if (inMagnitude >= theThresholds[254]) return 255;
  // A first guess from the float's exponent and a parabola through its
  // mantissa (log2 within 0.01: a fraction of a byte), then the thresholds
  // on either side settle it exactly.
  uint32_t theBits;
  std::memcpy(&theBits, &inMagnitude, sizeof theBits);
  const float theMantissa = float(theBits & 0x7FFFFFu) / float(1u << 23);
  const float theLog2 = float(int32_t(theBits >> 23) - 127) + theMantissa * (1.3465f - 0.3465f * theMantissa);
  constexpr float kBytesPerOctave = 255.0f / (kMaxDecibels - kMinDecibels) * 6.0205999f;
  constexpr float kLog2OfFirst = (kMinDecibels + (kMaxDecibels - kMinDecibels) / 255.0f) / 6.0205999f;
  int32_t theByte = int32_t((theLog2 - kLog2OfFirst) * kBytesPerOctave) + 1;
  theByte = std::clamp(theByte, 1, 254);
  // theThresholds[b - 1] is byte b's.
  while (theByte < 255 && inMagnitude >= theThresholds[theByte]) ++theByte;
  while (theByte > 1 && inMagnitude < theThresholds[theByte - 1]) --theByte;
  return uint8_t(theByte);
}

uint8_t WaveformByte(float inSample) {
  const float theScaled = 128.0f * (1.0f + inSample);
  if (!(theScaled > 0.0f)) return 0;
  if (theScaled >= 255.0f) return 255;
  return uint8_t(theScaled);
}

float SmoothingWeight(int32_t inJ) {
  // (1 - r) r^j / (1 - r^K): the K weights add up to 1, so a steady tone's
  // smoothed level is its level.
  const double theRatio = kSmoothRatio;
  return float((1.0 - theRatio) * std::pow(theRatio, inJ) / (1.0 - std::pow(theRatio, kSmoothWindows)));
}

int64_t EndSample(uint32_t inMs, int32_t inRate) { return int64_t(inMs) * int64_t(inRate) / 1000; }

void FillSilence(uint32_t inMs, MusicRecord& outRecord) {
  outRecord.time = inMs;
  outRecord.sampleRate = 0;
  outRecord.length = 0;
  std::memset(outRecord.levels[0], 0, sizeof outRecord.levels[0]);
  std::memset(outRecord.levels[1], 128, sizeof outRecord.levels[1]);
  std::fill(outRecord.spectrum, outRecord.spectrum + kBins, 0.0f);
  std::fill(outRecord.smoothed, outRecord.smoothed + kBins, 0.0f);
}

struct MusicAnalyser::Impl {
  explicit Impl(const MusicSamples& inSamples) : samples(inSamples) {
    input = fftwf_alloc_real(kFftSize);
    output = fftwf_alloc_complex(kFftSize / 2 + 1);
    {
      // FFTW_ESTIMATE: the same plan in every process, so a capture and the
      // player compute the same floats (a measured plan may differ per run).
      std::lock_guard<std::mutex> theLock(gPlannerLock);
      plan = fftwf_plan_dft_r2c_1d(kFftSize, input, output, FFTW_ESTIMATE);
    }
    for (int32_t n = 0; n < kFftSize; ++n) window[n] = BlackmanWindow(n);
    for (int32_t j = 0; j < kSmoothWindows; ++j) weights[j] = SmoothingWeight(j);
    for (int64_t& theKey : cacheKeys) theKey = -1;
  }
  ~Impl() {
    std::lock_guard<std::mutex> theLock(gPlannerLock);
    fftwf_destroy_plan(plan);
    fftwf_free(input);
    fftwf_free(output);
  }

  // Magnitudes over N of the window of samples ending before inEnd.
  void Transform(int64_t inEnd, float* outMagnitudes) {
    if (inEnd <= 0) {
      std::fill(outMagnitudes, outMagnitudes + kBins, 0.0f);
      return;
    }
    samples.Read(inEnd - kFftSize, kFftSize, input);
    for (int32_t n = 0; n < kFftSize; ++n) input[n] *= window[n];
    fftwf_execute(plan);
    const float theScale = 1.0f / float(kFftSize);
    for (int32_t k = 0; k < kBins; ++k) {
      const float theRe = output[k][0], theIm = output[k][1];
      outMagnitudes[k] = std::sqrt(theRe * theRe + theIm * theIm) * theScale;
    }
  }

  // The window ending at grid point inIndex * kSmoothHop, from the cache
  // when it is there.
  const float* GridWindow(int64_t inIndex) {
    if (inIndex <= 0) return silence;
    const size_t theSlot = size_t(inIndex % kCacheWindows);
    if (cacheKeys[theSlot] != inIndex) {
      Transform(inIndex * kSmoothHop, cache[theSlot]);
      cacheKeys[theSlot] = inIndex;
    }
    return cache[theSlot];
  }

  // Σ_{j=1}^{K-1} w_j M_j for the grid windows ending at inLastGrid and
  // the K - 2 before it; kept until the time passes the next grid point.
  const float* GridSum(int64_t inLastGrid) {
    if (!gridSumValid || gridSumKey != inLastGrid) {
      std::fill(gridSum, gridSum + kBins, 0.0f);
      for (int32_t j = 1; j < kSmoothWindows; ++j) {
        const float* theWindow = GridWindow(inLastGrid - (j - 1));
        const float theWeight = weights[j];
        for (int32_t k = 0; k < kBins; ++k) gridSum[k] += theWeight * theWindow[k];
      }
      gridSumKey = inLastGrid;
      gridSumValid = true;
    }
    return gridSum;
  }

  const MusicSamples& samples;
  fftwf_plan plan;
  float* input;
  fftwf_complex* output;
  float window[kFftSize];
  float weights[kSmoothWindows];
  float silence[kBins] = {};
  float wave[kWaveSamples];
  int64_t cacheKeys[kCacheWindows];
  float cache[kCacheWindows][kBins];
  bool gridSumValid = false;
  int64_t gridSumKey = 0;
  float gridSum[kBins];
};

MusicAnalyser::MusicAnalyser(const MusicSamples& inSamples) : mImpl(new Impl(inSamples)) {}

MusicAnalyser::~MusicAnalyser() = default;

void MusicAnalyser::Analyse(uint32_t inMs, MusicRecord& outRecord) {
  const int32_t theRate = mImpl->samples.SampleRate();
  if (theRate <= 0) {
    FillSilence(inMs, outRecord);
    return;
  }
  Impl& theImpl = *mImpl;
  outRecord.time = inMs;
  outRecord.sampleRate = theRate;
  outRecord.length = uint32_t(std::min<int64_t>(theImpl.samples.DeclaredSamples() * 1000 / theRate, UINT32_MAX));

  const int64_t theEnd = EndSample(inMs, theRate);
  theImpl.Transform(theEnd, outRecord.spectrum);

  // Window 0 ends at the time; windows 1 .. K - 1 at the grid points before it.
  const int64_t theLastGrid = FloorDiv(theEnd - 1, kSmoothHop);
  float* theSmoothed = outRecord.smoothed;
  const float theFirstWeight = theImpl.weights[0];
  const float* theGridSum = theImpl.GridSum(theLastGrid);
  for (int32_t k = 0; k < kBins; ++k) theSmoothed[k] = theFirstWeight * outRecord.spectrum[k] + theGridSum[k];
  for (int32_t k = 0; k < kByteBins; ++k) outRecord.levels[0][k] = SpectrumByte(theSmoothed[k]);

  theImpl.samples.Read(theEnd - kWaveSamples, kWaveSamples, theImpl.wave);
  for (int32_t n = 0; n < kWaveSamples; ++n) outRecord.levels[1][n] = WaveformByte(theImpl.wave[n]);
}

}  // namespace music
