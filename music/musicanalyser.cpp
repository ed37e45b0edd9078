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

// The smallest float magnitude of each byte: the byte formula in decibels
// turned round into thresholds on the magnitude, so a byte costs one table
// look-up and one comparison instead of a logarithm.
//
// next[b] is the smallest float whose byte is b + 1 or more: 10^(dB / 20)
// with dB = kMinDecibels + (b + 1) x (kMaxDecibels - kMinDecibels) / 255,
// rounded to the nearest float. next[255] is NaN, which no magnitude reaches
// (not even infinity): nothing is above 255.
//
// cell[c] is the byte of the smallest float of cell c, a cell being all the
// floats that share their sign, exponent and top kCellMantissaBits of
// mantissa: 1 / 128 of an octave at most (0.05 dB), under a fifth of a
// byte's 0.27 dB, so a cell holds at most one threshold and a float's byte
// is its cell's byte or one more. Cell 0 stands for every float below the
// first cell (and the negative ones), the last for every float above the
// last threshold's cell.
struct ByteTable {
  enum { kCellMantissaBits = 7, kCellShift = 23 - kCellMantissaBits };
  ByteTable() {
    for (int32_t b = 0; b < 255; ++b) {
      const double theDecibels = kMinDecibels + double(b + 1) * (kMaxDecibels - kMinDecibels) / 255.0;
      next[b] = float(std::pow(10.0, theDecibels / 20.0));
    }
    next[255] = NAN;
    firstCell = Cell(next[0]);
    const int32_t theLastCell = Cell(next[254]);
    cellCount = theLastCell - firstCell + 3;
    cell[0] = 0;
    for (int32_t c = firstCell; c <= theLastCell; ++c) {
      const uint32_t theBits = uint32_t(c) << kCellShift;
      float theLow;
      std::memcpy(&theLow, &theBits, sizeof theLow);
      uint8_t theByte = 0;
      while (theByte < 255 && theLow >= next[theByte]) ++theByte;
      cell[c - firstCell + 1] = theByte;
    }
    cell[cellCount - 1] = 255;
  }
  static int32_t Cell(float inValue) {
    int32_t theBits;
    std::memcpy(&theBits, &inValue, sizeof theBits);
    return theBits >> kCellShift;  // negative for negative floats
  }
  int32_t CellIndex(float inMagnitude) const {
    return std::clamp(Cell(inMagnitude) - firstCell + 1, 0, cellCount - 1);
  }
  uint8_t Byte(float inMagnitude, int32_t inCellIndex) const {
    uint8_t theByte = cell[inCellIndex];
    theByte += uint8_t(inMagnitude >= next[theByte]);
    return inMagnitude == inMagnitude ? theByte : 0;  // NaN: 0
  }
  uint8_t Byte(float inMagnitude) const { return Byte(inMagnitude, CellIndex(inMagnitude)); }

  // 16 octaves of cells, and the two ends: the scale spans under 12.
  enum { kMaxCells = (16 << kCellMantissaBits) + 2 };
  static_assert((kMaxDecibels - kMinDecibels) / 6.02f < 15.0f, "the byte scale fits the cells");
  float next[256];
  uint8_t cell[kMaxCells];
  int32_t firstCell;
  int32_t cellCount;
};
const ByteTable gByteTable;

}  // namespace

uint8_t SpectrumByte(float inMagnitude) { return gByteTable.Byte(inMagnitude); }

namespace {

// Written without branches, so that a loop of them is vectorised.
inline uint8_t WaveByte(float inSample) {
  float theScaled = 128.0f * (1.0f + inSample);
  theScaled = theScaled > 0.0f ? theScaled : 0.0f;  // NaN too
  theScaled = theScaled < 255.0f ? theScaled : 255.0f;
  return uint8_t(int32_t(theScaled));
}

}  // namespace

uint8_t WaveformByte(float inSample) { return WaveByte(inSample); }

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

namespace {

// The loops over samples and bins are compiled twice, for the baseline
// x86-64 and for AVX2, and the one the processor runs is chosen when the
// program starts. Both give the same bits: every value is the same sequence
// of IEEE operations (no fused multiply-add, no reordered sums), only more
// of them at a time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MUSIC_VECTOR_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define MUSIC_VECTOR_LOOP
#endif

MUSIC_VECTOR_LOOP void Windowed(const float* inSamples, const float* inWindow, float* outSamples) {
  for (int32_t n = 0; n < kFftSize; ++n) outSamples[n] = inSamples[n] * inWindow[n];
}

// The magnitudes over N of the real transform from inZ, the complex
// transform of half the size of its even (real parts) and odd (imaginary
// parts) samples. With W = e^(-2 pi i k / N), bin k is
// (Z(k) + conj Z(N/2 - k)) / 2 - i W (Z(k) - conj Z(N/2 - k)) / 2; the
// halves are folded into the scale. Z is first split into real and
// imaginary parts (ioRe, ioIm: kFftSize / 2 + 1 each), so that the loop that
// does the work is vectorised.
MUSIC_VECTOR_LOOP void SplitMagnitudes(const float* inZ, const float* inCos, const float* inSin, float* ioRe,
                                       float* ioIm, float* outMagnitudes) {
  constexpr int32_t kHalf = kFftSize / 2;
  for (int32_t k = 0; k < kHalf; ++k) {
    ioRe[k] = inZ[2 * k];
    ioIm[k] = inZ[2 * k + 1];
  }
  ioRe[kHalf] = ioRe[0];  // Z(N/2) is Z(0)
  ioIm[kHalf] = ioIm[0];
  const float theScale = 0.5f / float(kFftSize);
  for (int32_t k = 0; k < kBins; ++k) {
    const float theAr = ioRe[k], theAi = ioIm[k], theBr = ioRe[kHalf - k], theBi = -ioIm[kHalf - k];
    const float theDr = theAr - theBr, theDi = theAi - theBi;
    const float theC = inCos[k], theS = inSin[k];
    const float theRe = (theAr + theBr) + theC * theDi + theS * theDr;
    const float theIm = (theAi + theBi) - theC * theDr + theS * theDi;
    outMagnitudes[k] = std::sqrt(theRe * theRe + theIm * theIm) * theScale;
  }
}

// outSum = Σ_{j=1}^{K-1} inWeights[j] inWindows[j], each bin summed from
// j = 1 up. A block of bins at a time, so that the block's sums stay in
// registers from one window to the next.
MUSIC_VECTOR_LOOP void WeightedSum(const float* const* inWindows, const float* inWeights, float* outSum) {
  constexpr int32_t kBlock = 32;
  for (int32_t theFirst = 0; theFirst < kBins; theFirst += kBlock) {
    float theSums[kBlock] = {};
#pragma GCC unroll 64
    for (int32_t j = 1; j < kSmoothWindows; ++j) {
      const float theWeight = inWeights[j];
      const float* const theWindow = inWindows[j] + theFirst;
#pragma GCC unroll 64
      for (int32_t k = 0; k < kBlock; ++k) theSums[k] += theWeight * theWindow[k];
    }
    std::copy(theSums, theSums + kBlock, outSum + theFirst);
  }
}

MUSIC_VECTOR_LOOP void Smooth(float inWeight, const float* inSpectrum, const float* inGridSum, float* outSmoothed) {
  for (int32_t k = 0; k < kBins; ++k) outSmoothed[k] = inWeight * inSpectrum[k] + inGridSum[k];
}

// The spectrum row: the cells' indices are worked out for all bins at once
// (vectorised), then looked up one by one.
MUSIC_VECTOR_LOOP void SpectrumBytes(const float* inMagnitudes, uint8_t* outBytes) {
  int32_t theCells[kByteBins];
  for (int32_t k = 0; k < kByteBins; ++k) theCells[k] = gByteTable.CellIndex(inMagnitudes[k]);
  for (int32_t k = 0; k < kByteBins; ++k) outBytes[k] = gByteTable.Byte(inMagnitudes[k], theCells[k]);
}

MUSIC_VECTOR_LOOP void WaveBytes(const float* inSamples, uint8_t* outBytes) {
  for (int32_t n = 0; n < kWaveSamples; ++n) outBytes[n] = WaveByte(inSamples[n]);
}

}  // namespace

// The transform of kFftSize real samples is one complex transform of half
// the size and a split (SplitMagnitudes): FFTW's planner, left to its
// estimates, picks a real transform three times slower than its complex one
// of half the size.
struct MusicAnalyser::Impl {
  enum { kHalf = kFftSize / 2 };
  explicit Impl(const MusicSamples& inSamples) : samples(inSamples) {
    input = fftwf_alloc_complex(kHalf);
    output = fftwf_alloc_complex(kHalf);
    {
      // FFTW_ESTIMATE: the same plan in every process, so a capture and the
      // player compute the same floats (a measured plan may differ per run).
      std::lock_guard<std::mutex> theLock(gPlannerLock);
      plan = fftwf_plan_dft_1d(kHalf, input, output, FFTW_FORWARD, FFTW_ESTIMATE);
    }
    for (int32_t n = 0; n < kFftSize; ++n) window[n] = BlackmanWindow(n);
    for (int32_t k = 0; k < kHalf; ++k) {
      const double thePhase = 2.0 * M_PI * double(k) / double(kFftSize);
      twiddleCos[k] = float(std::cos(thePhase));
      twiddleSin[k] = float(-std::sin(thePhase));
    }
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
    float* const theSamples = reinterpret_cast<float*>(input);
    if (const float* theSpan = samples.Span(inEnd - kFftSize, kFftSize)) {
      Windowed(theSpan, window, theSamples);
    } else {
      samples.Read(inEnd - kFftSize, kFftSize, theSamples);
      Windowed(theSamples, window, theSamples);
    }
    fftwf_execute(plan);
    SplitMagnitudes(reinterpret_cast<const float*>(output), twiddleCos, twiddleSin, zRe, zIm, outMagnitudes);
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
      const float* theWindows[kSmoothWindows] = {};
      for (int32_t j = 1; j < kSmoothWindows; ++j) theWindows[j] = GridWindow(inLastGrid - (j - 1));
      WeightedSum(theWindows, weights, gridSum);
      gridSumKey = inLastGrid;
      gridSumValid = true;
    }
    return gridSum;
  }

  const MusicSamples& samples;
  fftwf_plan plan;
  fftwf_complex* input;
  fftwf_complex* output;
  float window[kFftSize];
  float twiddleCos[kHalf];
  float twiddleSin[kHalf];
  float zRe[kHalf + 1], zIm[kHalf + 1];
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
  Smooth(theFirstWeight, outRecord.spectrum, theGridSum, theSmoothed);
  SpectrumBytes(theSmoothed, outRecord.levels[0]);

  const float* theWave = theImpl.samples.Span(theEnd - kWaveSamples, kWaveSamples);
  if (theWave == nullptr) {
    theImpl.samples.Read(theEnd - kWaveSamples, kWaveSamples, theImpl.wave);
    theWave = theImpl.wave;
  }
  WaveBytes(theWave, outRecord.levels[1]);
}

}  // namespace music
