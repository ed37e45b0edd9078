// The analysis's costs on the showcase's music: one frame's spectrum (FFT,
// smoothing, bytes) against FFTW's own transform of the same size, measured
// in the same run (counter x_fftw), and the decoding of the whole 64 s.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
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

// FFTW's own transform of kFftSize floats, with a plan made as the analysis
// makes its own (FFTW_ESTIMATE): the baseline.
struct FftwBaseline {
  FftwBaseline() {
    in = fftwf_alloc_real(music::kFftSize);
    out = fftwf_alloc_complex(music::kFftSize / 2 + 1);
    plan = fftwf_plan_dft_r2c_1d(music::kFftSize, in, out, FFTW_ESTIMATE);
    for (int32_t n = 0; n < music::kFftSize; ++n) in[n] = float(n % 17) * 0.01f;
  }
  ~FftwBaseline() {
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
  }
  float* in;
  fftwf_complex* out;
  fftwf_plan plan;
};

void BM_FftwTransform2048(benchmark::State& ioState) {
  FftwBaseline theBaseline;
  for (auto _ : ioState) {
    fftwf_execute(theBaseline.plan);
    benchmark::DoNotOptimize(theBaseline.out[1][0]);
  }
}
BENCHMARK(BM_FftwTransform2048);

// Frames at the times inNextMs gives, one after another, in blocks of
// kBlock: every block of frames is timed beside a block of as many baseline
// transforms, so that both see the same load on the machine. frame_ns is
// one frame's record, fftw_ns one baseline transform, x_fftw their ratio,
// all over the whole run; x_fftw_best is the ratio of the fastest block of
// each, which a busy machine (another process taking the core in the middle
// of a block) disturbs least. The Time column holds a block of both.
template <class NextMs>
void TimedFrames(benchmark::State& ioState, NextMs inNextMs) {
  constexpr int kBlock = 32;
  const MusicSamples& theSamples = Showcase();
  music::MusicAnalyser theAnalyser(theSamples);
  MusicRecord theRecord;
  FftwBaseline theBaseline;
  int64_t theBlocks = 0;
  Clock::duration theFrameTime{}, theFftwTime{};
  Clock::duration theBestFrames = Clock::duration::max(), theBestFftw = Clock::duration::max();
  for (auto _ : ioState) {
    const auto theStart = Clock::now();
    for (int i = 0; i < kBlock; ++i) {
      theAnalyser.Analyse(inNextMs(), theRecord);
      benchmark::DoNotOptimize(theRecord.levels[0][10]);
    }
    const auto theMiddle = Clock::now();
    for (int i = 0; i < kBlock; ++i) {
      fftwf_execute(theBaseline.plan);
      benchmark::DoNotOptimize(theBaseline.out[1][0]);
    }
    const auto theEnd = Clock::now();
    theFrameTime += theMiddle - theStart;
    theFftwTime += theEnd - theMiddle;
    theBestFrames = std::min(theBestFrames, theMiddle - theStart);
    theBestFftw = std::min(theBestFftw, theEnd - theMiddle);
    ++theBlocks;
  }
  auto Ns = [](Clock::duration inTime, int64_t inCount) {
    return std::chrono::duration<double, std::nano>(inTime).count() / double(inCount);
  };
  ioState.counters["frame_ns"] = Ns(theFrameTime, theBlocks * kBlock);
  ioState.counters["fftw_ns"] = Ns(theFftwTime, theBlocks * kBlock);
  ioState.counters["x_fftw"] = Ns(theFrameTime, 1) / Ns(theFftwTime, 1);
  ioState.counters["x_fftw_best"] = Ns(theBestFrames, 1) / Ns(theBestFftw, 1);
  ioState.counters["frame_ns_best"] = Ns(theBestFrames, kBlock);
}

// Frames at inFps, playing forward from 10 s: the case of a demo that plays.
void FrameSpectrum(benchmark::State& ioState, uint32_t inFps) {
  uint64_t theFrame = 0;
  TimedFrames(ioState, [&] { return 10000 + uint32_t(theFrame++ * 1000 / inFps % 40000); });
}
void BM_FrameSpectrumAt60Fps(benchmark::State& ioState) { FrameSpectrum(ioState, 60); }
void BM_FrameSpectrumAt25Fps(benchmark::State& ioState) { FrameSpectrum(ioState, 25); }
BENCHMARK(BM_FrameSpectrumAt60Fps);
BENCHMARK(BM_FrameSpectrumAt25Fps);

// Every frame a seek: all twelve windows transformed. The worst case.
void BM_FrameSpectrumAfterSeek(benchmark::State& ioState) {
  uint32_t theMs = 1000;
  TimedFrames(ioState, [&] { return theMs = 1000 + (theMs * 7919u + 3331u) % 60000u; });
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
