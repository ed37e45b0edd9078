// The music's tempo and first beat, for zorbit-info --tempo and the bar keys
// of edit mode (player --edit --bpm auto).
#pragma once

#include <array>
#include <cstdint>

class MusicSamples;

namespace music {

struct TempoEstimate {
  bool found = false;     // false: no steady beat (silence, too short, no music)
  double bpm = 0;         // beats a minute
  double firstBeatMs = 0; // the first beat of the steady beat, ms from the music's start
  double aubioBpm = 0;    // aubio's own estimate, which the period search starts from
};

// Waits for the whole music to be decoded, then: aubio's beat tracker gives
// a first tempo; aubio's onset detector an onset strength every 256 samples
// (energy below 150 Hz, where kick drums are); the beat period is the one
// near aubio's (within 15 %) whose first 16 multiples line up best with the
// strength's autocorrelation, and the beat grid the phase where the strength
// is largest summed over every beat. The first beat is the first grid point
// from which four beats in a row hold high-frequency onsets (aubio's "hfc",
// drums) at least half as strong as the median beat's: a bass line alone
// does not start the beat, the drums do.
TempoEstimate EstimateTempo(const MusicSamples& inSamples);

// The 40 parameters of a MakeBeat event (plugins/beat) that starts at
// inEventStartMs (a multiple of 10 ms, at most the first beat) and pulses on
// every beat of inTempo: an optional flat segment up to the first beat, 60 ms
// up to 1.0, down to 0.0 over the rest of the beat, smoothed. inNameText is
// the number of the beat's name among the demo's texts.
std::array<int32_t, 40> MakeBeatParams(const TempoEstimate& inTempo, uint32_t inEventStartMs, int32_t inNameText);
// The start time for MakeBeatParams: the first beat rounded down to 10 ms.
uint32_t MakeBeatStartMs(const TempoEstimate& inTempo);

}  // namespace music
