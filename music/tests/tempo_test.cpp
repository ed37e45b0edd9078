#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "musicsamples.h"
#include "musicanalyser.h"
#include "musictempo.h"
#include "tempfolder.h"
#include "testsignals.h"

namespace {

const std::string kShowcaseMusic = std::string(ZORBIT_SOURCE_DIR) + "/demos/showcase/music.ogg";

// Energy of bins inFirst .. inLast of the raw spectrum at inMs.
double BandEnergy(music::MusicAnalyser& ioAnalyser, uint32_t inMs, int32_t inFirst, int32_t inLast) {
  MusicRecord theRecord;
  ioAnalyser.Analyse(inMs, theRecord);
  double theSum = 0.0;
  for (int32_t k = inFirst; k <= inLast; ++k) theSum += double(theRecord.spectrum[k]) * theRecord.spectrum[k];
  return theSum;
}

// Bins 1 .. 6 (21 Hz to 129 Hz at 44.1 kHz): where a kick drum is.
double LowEnergy(music::MusicAnalyser& ioAnalyser, uint32_t inMs) { return BandEnergy(ioAnalyser, inMs, 1, 6); }

// Bins 6 .. 8 (129 Hz to 172 Hz): where the kick starts its fall from
// 130 Hz and where the bass has only the edge of its notes' peaks.
double KickEnergy(music::MusicAnalyser& ioAnalyser, uint32_t inMs) { return BandEnergy(ioAnalyser, inMs, 6, 8); }

// How much the kick bins rise from the window that ends on the beat at inMs
// (no kick in it yet) to the one that ends 40 ms after it.
double KickRise(music::MusicAnalyser& ioAnalyser, uint32_t inMs) {
  return KickEnergy(ioAnalyser, inMs + 40) / KickEnergy(ioAnalyser, inMs);
}

TEST(ShowcaseMusic, LowBinsRiseOnTheBeatsAndFallBetweenThem) {
  MusicSamples theSamples;
  theSamples.Start(kShowcaseMusic);
  music::MusicAnalyser theAnalyser(theSamples);
  ASSERT_EQ(theSamples.SampleRate(), 44100);
  // The bass plays a note on (or, late in the bar, up to 60 ms before)
  // every beat and the kick is some 20 dB under it, so what the low bins
  // show is the two together: on the bar's first two beats the low bins go
  // from nearly nothing 20 ms before to full 40 ms after.
  for (uint32_t theBar = 4000; theBar < 60000; theBar += 2000) {
    for (uint32_t theBeat : {theBar, theBar + 500}) {
      EXPECT_GT(LowEnergy(theAnalyser, theBeat + 40), 10.0 * LowEnergy(theAnalyser, theBeat - 20))
          << "kick at " << theBeat << " ms";
    }
  }
  // And between two kicks the low bins fall again: 250 ms after the kick
  // of the bar's last beat, the bass note is fading and the kick is gone.
  for (uint32_t theBar = 4000; theBar < 58000; theBar += 2000) {
    EXPECT_LT(LowEnergy(theAnalyser, theBar + 1750), 0.7 * LowEnergy(theAnalyser, theBar + 1540))
        << "bar at " << theBar << " ms";
  }
}

// Every beat from 4 s to the music's end at 64 s, by one measure. The bass
// plays a note on every beat too, starting 0, 20, 40 and 60 ms before the
// bar's four beats, some 20 dB over the kick in the lowest bins: there the
// two cannot be told apart. A window that ends on the beat already holds
// most of the bass note but none of the kick; 40 ms later the kick bins
// have risen by 1.6 times at least on every beat (1.37 in the fade-out).
// Before the drums the same measure on the fourth beats, where the bass
// note has been sounding for 60 ms, stays at 1.05 at most: so the rise is
// the kick's. (On the third beats the bass's octave note, 40 ms in, still
// grows in these bins by as much, 1.6 times at 1 s: there the rise is the
// two together.) A spectrum one beat late would miss the kick at 4 s, one beat
// early would find one at 3.5 s, and a window taken after the time instead
// of before it would see the kick fall (0.1).
TEST(ShowcaseMusic, KickBinsRiseOnEveryBeatFromFourSeconds) {
  MusicSamples theSamples;
  theSamples.Start(kShowcaseMusic);
  music::MusicAnalyser theAnalyser(theSamples);
  ASSERT_EQ(theSamples.SampleRate(), 44100);
  for (uint32_t theBeat = 4000; theBeat < 64000; theBeat += 500) {
    EXPECT_GT(KickRise(theAnalyser, theBeat), 1.3) << "kick at " << theBeat << " ms";
  }
  for (uint32_t theBeat : {1500u, 3500u}) {
    EXPECT_LT(KickRise(theAnalyser, theBeat), 1.15) << "no drums yet at " << theBeat << " ms, only the bass";
  }
}

TEST(ShowcaseMusic, TempoIs120BpmAndTheFirstKickAtFourSeconds) {
  MusicSamples theSamples;
  theSamples.Start(kShowcaseMusic);
  const music::TempoEstimate theTempo = music::EstimateTempo(theSamples);
  ASSERT_TRUE(theTempo.found);
  EXPECT_NEAR(theTempo.bpm, 120.0, 0.5) << "aubio alone says " << theTempo.aubioBpm;
  EXPECT_NEAR(theTempo.firstBeatMs, 4000.0, 20.0);
}

TEST(Tempo, ClickTrackGivesItsTempoAndFirstClick) {
  TempFolder theFolder("zorbit-tempo-");
  struct Case {
    double bpm, firstMs;
  };
  for (const Case& theCase : {Case{100.0, 1500.0}, Case{140.0, 2250.0}}) {
    const std::string thePath = theFolder.Path() + "/clicks.flac";
    ASSERT_TRUE(testsignals::Write(thePath, testsignals::Clicks(theCase.bpm, theCase.firstMs, 30.0, 44100), 44100,
                                   testsignals::Format::kFlac));
    MusicSamples theSamples;
    theSamples.DecodeHere(thePath);
    const music::TempoEstimate theTempo = music::EstimateTempo(theSamples);
    ASSERT_TRUE(theTempo.found) << theCase.bpm;
    EXPECT_NEAR(theTempo.bpm, theCase.bpm, 0.5);
    EXPECT_NEAR(theTempo.firstBeatMs, theCase.firstMs, 20.0) << theCase.bpm << " BPM";
  }
}

TEST(Tempo, SilenceAndNoMusicHaveNone) {
  TempFolder theFolder("zorbit-tempo-");
  const std::string thePath = theFolder.Path() + "/quiet.wav";
  ASSERT_TRUE(testsignals::Write(thePath, std::vector<float>(44100 * 10, 0.0f), 44100, testsignals::Format::kWav));
  MusicSamples theQuiet;
  theQuiet.DecodeHere(thePath);
  EXPECT_FALSE(music::EstimateTempo(theQuiet).found) << "silence";
  MusicSamples theNone;
  EXPECT_FALSE(music::EstimateTempo(theNone).found) << "no music";
}

TEST(Tempo, MakeBeatPatternLastsOneBeatAndRisesOnTheBeat) {
  music::TempoEstimate theTempo;
  theTempo.found = true;
  theTempo.bpm = 120.0;
  theTempo.firstBeatMs = 3996.4;
  const uint32_t theStart = music::MakeBeatStartMs(theTempo);
  EXPECT_EQ(theStart, 3990u);
  const std::array<int32_t, 40> theParams = music::MakeBeatParams(theTempo, theStart, 7);
  EXPECT_EQ(theParams[0], 7) << "the name's text";
  EXPECT_EQ(theParams[1], 1) << "smoothed";
  // Segments: 6.4 ms flat, 60 ms up, the rest of the 500 ms down; then the end.
  const std::vector<int32_t> theExpected = {64, 0, 600, 1000, 5000 - 600 - 64, 0, -1};
  for (size_t i = 0; i < theExpected.size(); ++i) EXPECT_EQ(theParams[2 + i], theExpected[i]) << "parameter " << 2 + i;
  for (size_t i = 2 + theExpected.size(); i < 40; ++i) EXPECT_EQ(theParams[i], 0) << "parameter " << i;

  theTempo.firstBeatMs = 4000.0;  // on a 10 ms step: no flat segment
  const std::array<int32_t, 40> theOnStep = music::MakeBeatParams(theTempo, music::MakeBeatStartMs(theTempo), 0);
  EXPECT_EQ(theOnStep[2], 600);
  EXPECT_EQ(theOnStep[4], 4400);
  EXPECT_EQ(theOnStep[6], -1);
}

}  // namespace
