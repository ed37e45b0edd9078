// The analysis's costs on the showcase's music: one frame's spectrum (FFT,
// smoothing, bytes) against FFTW's own transform of the same size, measured
// in the same run (counter x_fftw), and the decoding of the whole 64 s.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <memory>
#include <string>

#include "musicsamples.h"
#include "musicanalyser.h"

namespace {

const std::string kShowcaseMusic = std::string(ZORBIT_SOURCE_DIR) + "/demos/showcase/music.ogg";

using Clock = std::chrono::steady_clock;

// The decoded music, shared by the spectrum benchmarks.
const MusicSamples& Showcase() {
  static std::unique_ptr<MusicSamples> theSamples;
  if (!theSamples) {
    theSamples = std::make_unique<MusicSamples>();
    theSamples->DecodeHere(kShowcaseMusic);
  }
  return *theSamples;
}

// ns of one r2c transform of 2048 floats with a plan made as the analysis makes its own.
double FftwTransformNs() {
  float* theIn = fftwf_alloc_real(music::kFftSize);
  fftwf_complex* theOut = fftwf_alloc_complex(music::kFftSize / 2 + 1);
  fftwf_plan thePlan = fftwf_plan_dft_r2c_1d(music::kFftSize, theIn, theOut, FFTW_ESTIMATE);
  for (int32_t n = 0; n < music::kFftSize; ++n) theIn[n] = float(n % 17) * 0.01f;
  const int theRuns = 20000;
  const auto theStart = Clock::now();
  for (int i = 0; i < theRuns; ++i) {
    fftwf_execute(thePlan);
    benchmark::DoNotOptimize(theOut[1][0]);
  }
  const double theNs = std::chrono::duration<double, std::nano>(Clock::now() - theStart).count() / theRuns;
  fftwf_destroy_plan(thePlan);
  fftwf_free(theIn);
  fftwf_free(theOut);
  return theNs;
}

void BM_FftwTransform2048(benchmark::State& ioState) {
  float* theIn = fftwf_alloc_real(music::kFftSize);
  fftwf_complex* theOut = fftwf_alloc_complex(music::kFftSize / 2 + 1);
  fftwf_plan thePlan = fftwf_plan_dft_r2c_1d(music::kFftSize, theIn, theOut, FFTW_ESTIMATE);
  for (int32_t n = 0; n < music::kFftSize; ++n) theIn[n] = float(n % 17) * 0.01f;
  for (auto _ : ioState) {
    fftwf_execute(thePlan);
    benchmark::DoNotOptimize(theOut[1][0]);
  }
  fftwf_destroy_plan(thePlan);
  fftwf_free(theIn);
  fftwf_free(theOut);
}
BENCHMARK(BM_FftwTransform2048);

// Frames at inFps, playing forward from 10 s: the case of a demo that plays.
void FrameSpectrum(benchmark::State& ioState, uint32_t inFps) {
  const MusicSamples& theSamples = Showcase();
  music::MusicAnalyser theAnalyser(theSamples);
  MusicRecord theRecord;
  const double theFftNs = FftwTransformNs();
  uint64_t theFrame = 0;
  int64_t theCount = 0;
  const auto theStart = Clock::now();
  for (auto _ : ioState) {
    const uint32_t theMs = 10000 + uint32_t(theFrame * 1000 / inFps % 40000);
    ++theFrame;
    theAnalyser.Analyse(theMs, theRecord);
    benchmark::DoNotOptimize(theRecord.levels[0][10]);
    ++theCount;
  }
  const double theNs = std::chrono::duration<double, std::nano>(Clock::now() - theStart).count() / double(theCount);
  ioState.counters["fftw_ns"] = theFftNs;
  ioState.counters["x_fftw"] = theNs / theFftNs;
}
void BM_FrameSpectrumAt60Fps(benchmark::State& ioState) { FrameSpectrum(ioState, 60); }
void BM_FrameSpectrumAt25Fps(benchmark::State& ioState) { FrameSpectrum(ioState, 25); }
BENCHMARK(BM_FrameSpectrumAt60Fps);
BENCHMARK(BM_FrameSpectrumAt25Fps);

// Every frame a seek: all twelve windows transformed. The worst case.
void BM_FrameSpectrumAfterSeek(benchmark::State& ioState) {
  const MusicSamples& theSamples = Showcase();
  music::MusicAnalyser theAnalyser(theSamples);
  MusicRecord theRecord;
  const double theFftNs = FftwTransformNs();
  uint32_t theMs = 1000;
  int64_t theCount = 0;
  const auto theStart = Clock::now();
  for (auto _ : ioState) {
    theMs = 1000 + (theMs * 7919u + 3331u) % 60000u;
    theAnalyser.Analyse(theMs, theRecord);
    benchmark::DoNotOptimize(theRecord.levels[0][10]);
    ++theCount;
  }
  const double theNs = std::chrono::duration<double, std::nano>(Clock::now() - theStart).count() / double(theCount);
  ioState.counters["x_fftw"] = theNs / theFftNs;
}
BENCHMARK(BM_FrameSpectrumAfterSeek);

// The showcase's 64 s of Ogg Vorbis, stereo, to mono floats.
void BM_DecodeShowcaseMusic(benchmark::State& ioState) {
  for (auto _ : ioState) {
    MusicSamples theSamples;
    theSamples.DecodeHere(kShowcaseMusic);
    benchmark::DoNotOptimize(theSamples.WaitForEnd());
  }
}
BENCHMARK(BM_DecodeShowcaseMusic)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
