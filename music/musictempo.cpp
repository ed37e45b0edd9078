#include "musictempo.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "musicsamples.h"

namespace music {

namespace {

enum {
  kHop = 256,           // samples between two onset strengths
  kWindow = 1024,       // samples of aubio's analysis window
  kMultiples = 16,      // multiples of the period matched against the autocorrelation
  kBeatsInARow = 4,     // strong beats that start the steady beat
};
constexpr double kLowPassHz = 150.0;
constexpr double kPeriodRange = 0.15;  // the period is searched within this share of aubio's
constexpr double kPeriodStep = 0.002;  // hops
constexpr double kPhaseStep = 0.05;    // hops

struct Strengths {
  std::vector<double> low;   // energy onsets below kLowPassHz: the beat's period and phase
  std::vector<double> high;  // high-frequency-content onsets of the whole music: where drums play
  double aubioBpm = 0;       // aubio's own tempo of the whole music
  double delay = 0;          // samples the strengths lag the sound by, as aubio's onset detector reports it
};

// The onset strengths every kHop samples.
Strengths OnsetStrengths(const MusicSamples& inSamples, int64_t inCount, int32_t inRate) {
  // A second-order low pass (the audio EQ cookbook's), Q 0.707.
  const double theW0 = 2.0 * M_PI * kLowPassHz / inRate;
  const double theAlpha = std::sin(theW0) / (2.0 * 0.7071067811865476);
  const double theCos = std::cos(theW0);
  const double theA0 = 1.0 + theAlpha;
  aubio_filter_t* theFilter = new_aubio_filter_biquad((1.0 - theCos) / 2.0 / theA0, (1.0 - theCos) / theA0,
                                                      (1.0 - theCos) / 2.0 / theA0, -2.0 * theCos / theA0,
                                                      (1.0 - theAlpha) / theA0);
  aubio_tempo_t* theTempo = new_aubio_tempo("default", kWindow, kHop, uint_t(inRate));
  aubio_onset_t* theOnset = new_aubio_onset("energy", kWindow, kHop, uint_t(inRate));
  aubio_onset_t* theContent = new_aubio_onset("hfc", kWindow, kHop, uint_t(inRate));
  fvec_t* theRaw = new_fvec(kHop);
  fvec_t* theLow = new_fvec(kHop);
  fvec_t* theBeat = new_fvec(2);
  fvec_t* theFound = new_fvec(1);
  Strengths theStrengths;
  theStrengths.low.reserve(size_t(inCount / kHop + 1));
  theStrengths.high.reserve(size_t(inCount / kHop + 1));
  std::vector<float> theChunk(kHop);
  for (int64_t theAt = 0; theAt + kHop <= inCount; theAt += kHop) {
    inSamples.Read(theAt, kHop, theChunk.data());
    for (int32_t n = 0; n < kHop; ++n) theRaw->data[n] = theLow->data[n] = theChunk[size_t(n)];
    aubio_tempo_do(theTempo, theRaw, theBeat);
    aubio_onset_do(theContent, theRaw, theFound);
    theStrengths.high.push_back(aubio_onset_get_descriptor(theContent));
    aubio_filter_do(theFilter, theLow);
    aubio_onset_do(theOnset, theLow, theFound);
    theStrengths.low.push_back(aubio_onset_get_descriptor(theOnset));
  }
  theStrengths.aubioBpm = aubio_tempo_get_bpm(theTempo);
  theStrengths.delay = aubio_onset_get_delay(theOnset);
  del_fvec(theFound);
  del_fvec(theBeat);
  del_fvec(theLow);
  del_fvec(theRaw);
  del_aubio_onset(theContent);
  del_aubio_onset(theOnset);
  del_aubio_tempo(theTempo);
  del_aubio_filter(theFilter);
  return theStrengths;
}

// Linear interpolation of inValues at the fractional index inAt; 0 outside.
double At(const std::vector<double>& inValues, double inAt) {
  if (!(inAt >= 0.0) || inAt >= double(inValues.size() - 1)) return 0.0;
  const size_t theIndex = size_t(inAt);
  const double theFraction = inAt - double(theIndex);
  return inValues[theIndex] * (1.0 - theFraction) + inValues[theIndex + 1] * theFraction;
}

// Autocorrelation of inValues (mean removed) at lags 0 .. inMaxLag.
std::vector<double> Autocorrelation(std::vector<double> inValues, size_t inMaxLag) {
  double theMean = 0.0;
  for (double theValue : inValues) theMean += theValue;
  theMean /= double(inValues.size());
  for (double& theValue : inValues) theValue -= theMean;
  std::vector<double> theResult(inMaxLag + 2, 0.0);
  for (size_t theLag = 0; theLag < theResult.size() && theLag < inValues.size(); ++theLag) {
    double theSum = 0.0;
    for (size_t n = 0; n + theLag < inValues.size(); ++n) theSum += inValues[n] * inValues[n + theLag];
    theResult[theLag] = theSum;
  }
  return theResult;
}

// The period (hops) near inGuess whose multiples line up best with the autocorrelation.
double BestPeriod(const std::vector<double>& inStrength, double inGuess) {
  const double theLow = inGuess * (1.0 - kPeriodRange), theHigh = inGuess * (1.0 + kPeriodRange);
  const std::vector<double> theAcf = Autocorrelation(inStrength, size_t(std::ceil(theHigh * kMultiples)) + 1);
  double theBest = inGuess, theBestScore = -HUGE_VAL;
  for (double thePeriod = theLow; thePeriod <= theHigh; thePeriod += kPeriodStep) {
    double theScore = 0.0;
    for (int32_t m = 1; m <= kMultiples; ++m) theScore += At(theAcf, m * thePeriod);
    if (theScore > theBestScore) {
      theBestScore = theScore;
      theBest = thePeriod;
    }
  }
  return theBest;
}

// The phase (hops, 0 .. inPeriod) where the strength summed over every beat is largest.
double BestPhase(const std::vector<double>& inStrength, double inPeriod) {
  double theBest = 0.0, theBestScore = -HUGE_VAL;
  for (double thePhase = 0.0; thePhase < inPeriod; thePhase += kPhaseStep) {
    double theScore = 0.0;
    for (double theAt = thePhase; theAt < double(inStrength.size()); theAt += inPeriod) theScore += At(inStrength, theAt);
    if (theScore > theBestScore) {
      theBestScore = theScore;
      theBest = thePhase;
    }
  }
  return theBest;
}

}  // namespace

TempoEstimate EstimateTempo(const MusicSamples& inSamples) {
  TempoEstimate theEstimate;
  const int64_t theCount = inSamples.WaitForEnd();
  const int32_t theRate = inSamples.SampleRate();
  if (theRate <= 0 || theCount < int64_t(kWindow) * 8) return theEstimate;
  const Strengths theStrengths = OnsetStrengths(inSamples, theCount, theRate);
  theEstimate.aubioBpm = theStrengths.aubioBpm;
  if (!(theEstimate.aubioBpm > 0.0)) return theEstimate;
  const double theHopsPerMinute = 60.0 * theRate / kHop;
  const double thePeriod = BestPeriod(theStrengths.low, theHopsPerMinute / theEstimate.aubioBpm);
  const double thePhase = BestPhase(theStrengths.low, thePeriod);

  // How much plays in every beat of the grid: the largest high-frequency
  // onset from just before the beat to just before the next.
  std::vector<double> theBeats;
  const std::vector<double>& theHigh = theStrengths.high;
  for (double theAt = thePhase; theAt + thePeriod < double(theHigh.size()); theAt += thePeriod) {
    double theMost = 0.0;
    for (size_t n = size_t(std::max(0.0, theAt - 1.0)); n < size_t(theAt + thePeriod - 1.0); ++n)
      theMost = std::max(theMost, theHigh[n]);
    theBeats.push_back(theMost);
  }
  if (theBeats.size() < size_t(kBeatsInARow)) return theEstimate;
  std::vector<double> theSorted = theBeats;
  std::nth_element(theSorted.begin(), theSorted.begin() + theSorted.size() / 2, theSorted.end());
  const double theStrong = 0.5 * theSorted[theSorted.size() / 2];
  if (!(theStrong > 0.0)) return theEstimate;
  size_t theFirst = 0;
  for (; theFirst + kBeatsInARow <= theBeats.size(); ++theFirst) {
    bool theSteady = true;
    for (size_t k = theFirst; k < theFirst + kBeatsInARow; ++k) theSteady = theSteady && theBeats[k] >= theStrong;
    if (theSteady) break;
  }
  if (theFirst + kBeatsInARow > theBeats.size()) return theEstimate;
  theEstimate.found = true;
  theEstimate.bpm = theHopsPerMinute / thePeriod;
  const double theFirstHops = thePhase + double(theFirst) * thePeriod;
  theEstimate.firstBeatMs = std::max(0.0, (theFirstHops * kHop - theStrengths.delay) * 1000.0 / theRate);
  return theEstimate;
}

uint32_t MakeBeatStartMs(const TempoEstimate& inTempo) {
  return uint32_t(std::max(0.0, std::floor(inTempo.firstBeatMs / 10.0)) * 10.0);
}

std::array<int32_t, 40> MakeBeatParams(const TempoEstimate& inTempo, uint32_t inEventStartMs, int32_t inNameText) {
  std::array<int32_t, 40> theParams{};
  theParams[0] = inNameText;
  theParams[1] = 1;  // smoothed
  if (!inTempo.found || !(inTempo.bpm > 0.0)) {
    theParams[2] = -1;
    return theParams;
  }
  // Lengths in tenths of a millisecond, levels in thousandths.
  const int32_t theBeat = int32_t(std::lround(600000.0 / inTempo.bpm));
  const int32_t theRise = std::min(600, theBeat / 2);
  const int32_t theLead = std::clamp(int32_t(std::lround((inTempo.firstBeatMs - inEventStartMs) * 10.0)), 0,
                                     theBeat - theRise - 1);
  size_t theAt = 2;
  if (theLead > 0) {
    theParams[theAt++] = theLead;
    theParams[theAt++] = 0;
  }
  theParams[theAt++] = theRise;
  theParams[theAt++] = 1000;
  theParams[theAt++] = theBeat - theRise - theLead;
  theParams[theAt++] = 0;
  theParams[theAt++] = -1;
  return theParams;
}

}  // namespace music
