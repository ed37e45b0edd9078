// The music at one demo time: the spectrum and waveform of MusicRecord
// (contract/zorbit.h), computed from the samples alone, so the same time
// gives the same bytes whatever was asked before. music/README.md gives the
// rules; the constants below are those rules.
#pragma once

#include <cstdint>
#include <memory>

#include <zorbit/zorbit.h>

class MusicSamples;

namespace music {

enum {
  kFftSize = 2048,       // samples of one window, ending at the time
  kBins = 1024,          // bins kept: 0 .. kFftSize / 2 - 1
  kByteBins = 512,       // bins in the spectrum row of levels
  kWaveSamples = 512,    // samples in the waveform row of levels
  kSmoothWindows = 12,   // windows the smoothed spectrum is taken over
  kSmoothHop = 1024,     // samples between them, on a grid from the music's first sample
};
// Weight of window j (0: the one ending at the time) is kSmoothRatio^j,
// all of them scaled to add up to 1.
constexpr float kSmoothRatio = 0.75f;
constexpr float kMinDecibels = -100.0f;  // byte 0
constexpr float kMaxDecibels = -30.0f;   // byte 255

// Blackman window of kFftSize, a0 0.42, a1 0.5, a2 0.08: sample n of N.
float BlackmanWindow(int32_t inN);
// A linear magnitude as a spectrum byte: 20 log10 in decibels, kMinDecibels
// to kMaxDecibels onto 0 to 255, truncated; 0 and below give 0. Computed as
// the largest b whose threshold 10^(dB(b) / 20) the magnitude reaches.
uint8_t SpectrumByte(float inMagnitude);
// A sample as a waveform byte: 128 x (1 + v), clamped to 0 .. 255, truncated.
uint8_t WaveformByte(float inSample);
// Weight of window inJ (0 .. kSmoothWindows - 1) in the smoothed spectrum.
float SmoothingWeight(int32_t inJ);
// First sample after the time inMs (ms) at inRate Hz: floor(inMs * inRate / 1000).
int64_t EndSample(uint32_t inMs, int32_t inRate);

// Fills MusicRecords for one music. Keeps its own FFTW plan and the
// magnitudes of recent smoothing windows, so playing forward costs about one
// transform a frame beyond the one ending at the time; a seek only costs
// more. One thread at a time per analyser.
class MusicAnalyser {
 public:
  explicit MusicAnalyser(const MusicSamples& inSamples);
  ~MusicAnalyser();
  MusicAnalyser(const MusicAnalyser&) = delete;
  MusicAnalyser& operator=(const MusicAnalyser&) = delete;

  // Everything but serial, for demo time inMs; waits for the samples it
  // needs to be decoded. Silence when the music has none to analyse.
  void Analyse(uint32_t inMs, MusicRecord& outRecord);

 private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// The record of no music: every value silence, sampleRate and length 0.
void FillSilence(uint32_t inMs, MusicRecord& outRecord);

}  // namespace music
