#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "musicsamples.h"
#include "musicanalyser.h"
#include "tempfolder.h"
#include "testsignals.h"

namespace {

using testsignals::Format;

const int32_t kRate = 44100;

// The whole record but its serial, which the analyser does not set.
bool SameContents(const MusicRecord& inA, const MusicRecord& inB) {
  return inA.time == inB.time && inA.sampleRate == inB.sampleRate && inA.length == inB.length &&
         std::memcmp(inA.levels, inB.levels, sizeof inA.levels) == 0 &&
         std::memcmp(inA.spectrum, inB.spectrum, sizeof inA.spectrum) == 0 &&
         std::memcmp(inA.smoothed, inB.smoothed, sizeof inA.smoothed) == 0;
}

bool IsSilence(const MusicRecord& inRecord) {
  for (int32_t k = 0; k < 512; ++k)
    if (inRecord.levels[0][k] != 0 || inRecord.levels[1][k] != 128) return false;
  for (int32_t k = 0; k < 1024; ++k)
    if (inRecord.spectrum[k] != 0.0f || inRecord.smoothed[k] != 0.0f) return false;
  return true;
}

class Music : public testing::Test {
 protected:
  std::string Make(const std::string& inName, const std::vector<float>& inSamples, Format inFormat = Format::kWav,
                   int32_t inChannels = 1) {
    const std::string thePath = mFolder.Path() + "/" + inName;
    EXPECT_TRUE(testsignals::Write(thePath, inSamples, kRate, inFormat, inChannels)) << "could not write " << thePath;
    return thePath;
  }
  // Decoded on its own thread, as the player does.
  std::unique_ptr<MusicSamples> Decoded(const std::string& inPath) {
    auto theSamples = std::make_unique<MusicSamples>();
    theSamples->Start(inPath);
    return theSamples;
  }
  TempFolder mFolder{"zorbit-music-"};
};

TEST_F(Music, SineOf1kHzPeaksInItsBinAtTheLevelTheDecibelScalePutsIt) {
  const double theAmplitude = 0.01;  // about -54 dB in its bin: inside the byte scale
  const auto theSamples = Decoded(Make("sine.wav", testsignals::Sine(1000.0, theAmplitude, 2.0, kRate)));
  music::MusicAnalyser theAnalyser(*theSamples);
  MusicRecord theRecord;
  theAnalyser.Analyse(1000, theRecord);
  EXPECT_EQ(theRecord.sampleRate, kRate);
  EXPECT_EQ(theRecord.length, 2000u);

  // Bin k is at k * 44100 / 2048 Hz: 1 kHz falls in bin 46 (46.4).
  const int32_t theBin = int32_t(std::lround(1000.0 * 2048 / kRate));
  EXPECT_EQ(theBin, 46);
  const uint8_t* theRow = theRecord.levels[0];
  EXPECT_EQ(std::max_element(theRow, theRow + 512) - theRow, theBin) << "the spectrum row peaks elsewhere";
  EXPECT_EQ(std::max_element(theRecord.spectrum, theRecord.spectrum + 1024) - theRecord.spectrum, theBin);

  // The expected magnitude, by the definition: the Blackman-windowed DFT of
  // the 2048 samples before 1000 ms, over N.
  const int64_t theEnd = 44100;
  std::complex<double> theSum = 0.0;
  for (int32_t n = 0; n < 2048; ++n) {
    const double theX = theAmplitude * std::sin(2.0 * M_PI * 1000.0 * double(theEnd - 2048 + n) / kRate);
    const double theW = 0.42 - 0.5 * std::cos(2.0 * M_PI * n / 2048) + 0.08 * std::cos(4.0 * M_PI * n / 2048);
    theSum += theX * theW * std::polar(1.0, -2.0 * M_PI * theBin * n / 2048);
  }
  const double theMagnitude = std::abs(theSum) / 2048;
  EXPECT_NEAR(theRecord.spectrum[theBin], theMagnitude, theMagnitude * 1e-3);
  EXPECT_NEAR(theRecord.smoothed[theBin], theMagnitude, theMagnitude * 1e-3) << "a steady tone smooths to itself";
  const double theDecibels = 20.0 * std::log10(theMagnitude);
  const double theByte = (theDecibels + 100.0) * 255.0 / 70.0;
  EXPECT_NEAR(double(theRow[theBin]), std::floor(theByte), 1.0) << theDecibels << " dB";
  EXPECT_GT(theRow[theBin], 100) << "the peak should sit well inside the scale";
  // Far from the tone the window's side lobes are below -100 dB.
  EXPECT_EQ(theRow[400], 0);
}

TEST_F(Music, SilenceGivesZerosAndSoDoesTheTimeBeforeAndAfterTheMusic) {
  const auto theSilence = Decoded(Make("silence.wav", std::vector<float>(size_t(kRate), 0.0f)));
  const auto theSine = Decoded(Make("sine.wav", testsignals::Sine(440.0, 0.5, 1.0, kRate)));
  music::MusicAnalyser theQuiet(*theSilence);
  music::MusicAnalyser theTone(*theSine);
  MusicRecord theRecord;
  for (uint32_t theMs : {0u, 20u, 500u, 1000u, 5000u}) {
    theQuiet.Analyse(theMs, theRecord);
    EXPECT_TRUE(IsSilence(theRecord)) << "silence at " << theMs << " ms";
  }
  // Smoothing looks 0.3 s back: silence from then on.
  for (uint32_t theMs : {0u, 1400u, 60000u}) {
    theTone.Analyse(theMs, theRecord);
    EXPECT_TRUE(IsSilence(theRecord)) << "the tone's record at " << theMs << " ms, outside the music";
  }
  theTone.Analyse(500, theRecord);
  EXPECT_FALSE(IsSilence(theRecord)) << "the tone at 500 ms";
}

TEST_F(Music, SquareWaveGivesTwoLevelsInTheWaveformRow) {
  const auto theSamples = Decoded(Make("square.wav", testsignals::Square(100, 0.5f, 1.0, kRate)));
  music::MusicAnalyser theAnalyser(*theSamples);
  MusicRecord theRecord;
  theAnalyser.Analyse(700, theRecord);
  std::vector<uint8_t> theLevels(theRecord.levels[1], theRecord.levels[1] + 512);
  std::sort(theLevels.begin(), theLevels.end());
  theLevels.erase(std::unique(theLevels.begin(), theLevels.end()), theLevels.end());
  ASSERT_EQ(theLevels.size(), 2u) << "a square wave has two levels";
  EXPECT_EQ(theLevels[0], 64) << "128 x (1 - 0.5)";
  EXPECT_EQ(theLevels[1], 192) << "128 x (1 + 0.5)";
}

// Frame k of a capture at inFps is drawn at floor(k * 1000 / inFps) ms.
std::vector<uint32_t> FrameTimes(uint32_t inFps, uint32_t inUntilMs) {
  std::vector<uint32_t> theTimes;
  for (uint64_t k = 0; k * 1000 / inFps <= inUntilMs; ++k) theTimes.push_back(uint32_t(k * 1000 / inFps));
  return theTimes;
}

TEST_F(Music, SameTimeGivesTheSameBytesWhateverFramesCameBefore) {
  const std::string thePath = Make("varied.ogg", testsignals::Varied(6.0, kRate), Format::kOgg, 2);
  // The reference: decoded to the end first, a new analyser for every time.
  MusicSamples theWhole;
  theWhole.DecodeHere(thePath);
  auto Reference = [&](uint32_t inMs) {
    music::MusicAnalyser theFresh(theWhole);
    MusicRecord theRecord;
    theFresh.Analyse(inMs, theRecord);
    return theRecord;
  };
  // Each play decodes on its own thread while it asks, as the player does.
  struct Play {
    const char* name;
    std::vector<uint32_t> times;
  };
  std::vector<uint32_t> theSeek = {3000, 3040, 3080, 1000, 1040, 1200, 5000, 200};
  std::vector<uint32_t> thePause = {800, 840, 840, 840, 840, 880, 1200};
  const Play thePlays[] = {{"25 fps", FrameTimes(25, 5600)},
                           {"60 fps", FrameTimes(60, 5600)},
                           {"a seek backwards", theSeek},
                           {"a pause", thePause}};
  for (const Play& thePlay : thePlays) {
    const auto theSamples = Decoded(thePath);
    music::MusicAnalyser theAnalyser(*theSamples);
    for (uint32_t theMs : thePlay.times) {
      MusicRecord theRecord;
      theAnalyser.Analyse(theMs, theRecord);
      if (theMs % 200 != 0) continue;  // times that every play draws; the reference is slow
      EXPECT_TRUE(SameContents(theRecord, Reference(theMs))) << thePlay.name << " at " << theMs << " ms";
    }
  }
}

TEST_F(Music, OggFlacAndWavOfOneToneAgree) {
  const std::vector<float> theTone = testsignals::Sine(2000.0, 0.25, 1.5, kRate);
  const int32_t theBin = int32_t(std::lround(2000.0 * 2048 / kRate));
  for (Format theFormat : {Format::kWav, Format::kFlac, Format::kOgg}) {
    const char* theName = theFormat == Format::kWav ? "tone.wav" : theFormat == Format::kFlac ? "tone.flac" : "tone.ogg";
    const auto theSamples = Decoded(Make(theName, theTone, theFormat, 2));
    EXPECT_EQ(theSamples->Problem(), "") << theName;
    music::MusicAnalyser theAnalyser(*theSamples);
    MusicRecord theRecord;
    theAnalyser.Analyse(1000, theRecord);
    EXPECT_EQ(theRecord.sampleRate, kRate) << theName;
    EXPECT_EQ(std::max_element(theRecord.spectrum, theRecord.spectrum + 1024) - theRecord.spectrum, theBin) << theName;
    EXPECT_NEAR(theRecord.spectrum[theBin], 0.25 * 0.21, 0.25 * 0.21 * 0.25) << theName << ": stereo mixed to mono";
  }
}

TEST_F(Music, FilesThatCannotBeAnalysedGiveOneProblemAndSilence) {
  const std::string theMissing = mFolder.Path() + "/missing.ogg";
  const std::string theText = mFolder.Path() + "/text.ogg";
  FILE* theFile = std::fopen(theText.c_str(), "wb");
  ASSERT_NE(theFile, nullptr);
  std::fputs("This is not music, whatever its name says.\n", theFile);
  std::fclose(theFile);
  const std::string theEmpty = Make("empty.wav", {});
  const std::string theHeaderOnly = Make("header.ogg", testsignals::Sine(440.0, 0.5, 2.0, kRate), Format::kOgg);
  testsignals::Truncate(theHeaderOnly, 20);

  for (const std::string& thePath : {theMissing, theText, theEmpty, theHeaderOnly}) {
    const auto theSamples = Decoded(thePath);
    theSamples->WaitForEnd();
    const std::string theProblem = theSamples->Problem();
    EXPECT_NE(theProblem.find(thePath), std::string::npos) << "the problem names the file: " << theProblem;
    EXPECT_EQ(std::count(theProblem.begin(), theProblem.end(), '\n'), 1) << "one line: " << theProblem;
    music::MusicAnalyser theAnalyser(*theSamples);
    for (uint32_t theMs : {0u, 500u, 1500u}) {
      MusicRecord theRecord;
      theAnalyser.Analyse(theMs, theRecord);
      EXPECT_TRUE(IsSilence(theRecord)) << thePath << " at " << theMs << " ms";
      EXPECT_EQ(theRecord.sampleRate, 0) << thePath;
    }
  }
}

TEST_F(Music, TruncatedFileGivesOneProblemAndSilenceAfterWhatDecodes) {
  for (Format theFormat : {Format::kWav, Format::kOgg}) {
    const bool theWav = theFormat == Format::kWav;
    const std::string thePath = Make(theWav ? "cut.wav" : "cut.ogg", testsignals::Sine(440.0, 0.5, 4.0, kRate), theFormat);
    testsignals::Truncate(thePath, testsignals::FileSize(thePath) / 2);
    const auto theSamples = Decoded(thePath);
    music::MusicAnalyser theAnalyser(*theSamples);
    MusicRecord theRecord;
    // A WAV's first half is all there; libsndfile decodes nothing of a Vorbis stream without its end.
    theAnalyser.Analyse(500, theRecord);
    if (theWav) {
      EXPECT_FALSE(IsSilence(theRecord)) << thePath << ": the first half still sounds";
    }
    theAnalyser.Analyse(3500, theRecord);
    EXPECT_TRUE(IsSilence(theRecord)) << thePath << ": past the cut";
    EXPECT_LT(theSamples->WaitForEnd(), int64_t(3 * kRate)) << thePath;
    const std::string theProblem = theSamples->Problem();
    EXPECT_NE(theProblem.find("ends early"), std::string::npos) << thePath << ": " << theProblem;
    EXPECT_EQ(std::count(theProblem.begin(), theProblem.end(), '\n'), 1) << "one line: " << theProblem;
  }
}

// |DFT| / N of the Blackman-windowed samples inEnd - 2048 .. inEnd - 1 of
// inSignal (0 outside it), in every bin, in double precision and straight
// from the sum: what the analyser's transform must give.
std::vector<double> DirectSpectrum(const std::vector<float>& inSignal, int64_t inEnd) {
  std::vector<std::complex<double>> theRoots(2048);
  for (int32_t n = 0; n < 2048; ++n) theRoots[size_t(n)] = std::polar(1.0, -2.0 * M_PI * n / 2048);
  std::vector<double> theWindowed(2048);
  for (int32_t n = 0; n < 2048; ++n) {
    const int64_t theAt = inEnd - 2048 + n;
    const double theX = theAt >= 0 && theAt < int64_t(inSignal.size()) ? inSignal[size_t(theAt)] : 0.0;
    theWindowed[size_t(n)] = theX * (0.42 - 0.5 * std::cos(2.0 * M_PI * n / 2048) + 0.08 * std::cos(4.0 * M_PI * n / 2048));
  }
  std::vector<double> theMagnitudes(1024);
  for (int32_t k = 0; k < 1024; ++k) {
    std::complex<double> theSum = 0.0;
    for (int32_t n = 0; n < 2048; ++n) theSum += theWindowed[size_t(n)] * theRoots[size_t((k * n) % 2048)];
    theMagnitudes[size_t(k)] = std::abs(theSum) / 2048;
  }
  return theMagnitudes;
}

TEST_F(Music, SpectrumAndSmoothedSpectrumAreTheirDefinitionsInEveryBin) {
  const std::vector<float> theSignal = testsignals::Varied(3.0, kRate);
  const auto theSamples = Decoded(Make("varied.wav", theSignal));
  music::MusicAnalyser theAnalyser(*theSamples);
  // A time on no grid point, and one early enough that some of the
  // smoothing's windows lie before the music.
  for (const uint32_t theMs : {2345u, 150u}) {
    MusicRecord theRecord;
    theAnalyser.Analyse(theMs, theRecord);
    const int64_t theEnd = music::EndSample(theMs, kRate);
    const std::vector<double> theSpectrum = DirectSpectrum(theSignal, theEnd);
    // Window j >= 1 of the smoothing ends at grid point G - j + 1.
    std::vector<double> theSmoothed(1024, 0.0);
    const int64_t theLastGrid = (theEnd - 1) / 1024;
    for (int32_t j = 0; j < music::kSmoothWindows; ++j) {
      const int64_t theWindowEnd = j == 0 ? theEnd : (theLastGrid - j + 1) * 1024;
      if (theWindowEnd <= 0) continue;
      const std::vector<double> theWindow = j == 0 ? theSpectrum : DirectSpectrum(theSignal, theWindowEnd);
      for (int32_t k = 0; k < 1024; ++k) theSmoothed[size_t(k)] += music::SmoothingWeight(j) * theWindow[size_t(k)];
    }
    const double thePeak = *std::max_element(theSpectrum.begin(), theSpectrum.end());
    int32_t theWrong = 0, theWrongSmoothed = 0;
    for (int32_t k = 0; k < 1024 && theWrong + theWrongSmoothed < 10; ++k) {
      const double theTolerance = 1e-5 * thePeak + 1e-4 * theSpectrum[size_t(k)];
      if (std::abs(theRecord.spectrum[k] - theSpectrum[size_t(k)]) > theTolerance) {
        ADD_FAILURE() << theMs << " ms, bin " << k << ": " << theRecord.spectrum[k] << ", the DFT gives "
                      << theSpectrum[size_t(k)];
        ++theWrong;
      }
      if (std::abs(theRecord.smoothed[k] - theSmoothed[size_t(k)]) > 1e-5 * thePeak + 1e-4 * theSmoothed[size_t(k)]) {
        ADD_FAILURE() << theMs << " ms, bin " << k << ": smoothed " << theRecord.smoothed[k]
                      << ", the definition gives "
                      << theSmoothed[size_t(k)];
        ++theWrongSmoothed;
      }
    }
  }
}

TEST(MusicMaths, ByteScalesAndWeights) {
  EXPECT_EQ(music::SpectrumByte(0.0f), 0);
  EXPECT_EQ(music::SpectrumByte(-1.0f), 0);
  EXPECT_EQ(music::SpectrumByte(1e-5f), 0) << "-100 dB is the bottom";
  EXPECT_EQ(music::SpectrumByte(std::pow(10.0f, -1.5f)), 255) << "-30 dB is the top";
  EXPECT_EQ(music::SpectrumByte(1.0f), 255);
  EXPECT_EQ(music::SpectrumByte(std::pow(10.0f, -3.25f)), 127) << "-65 dB is the middle: 127.5";
  // Every byte's threshold, by the formula, checked around its edge.
  for (int32_t b = 1; b <= 255; ++b) {
    const double theEdge = std::pow(10.0, (-100.0 + b * 70.0 / 255.0) / 20.0);
    EXPECT_EQ(music::SpectrumByte(float(theEdge * 1.0001)), b) << "just above byte " << b << "'s edge";
    EXPECT_EQ(music::SpectrumByte(float(theEdge * 0.9999)), b - 1) << "just below byte " << b << "'s edge";
  }
  EXPECT_EQ(music::WaveformByte(0.0f), 128);
  EXPECT_EQ(music::WaveformByte(-1.0f), 0);
  EXPECT_EQ(music::WaveformByte(1.0f), 255);
  EXPECT_EQ(music::WaveformByte(-3.0f), 0);
  double theSum = 0.0;
  for (int32_t j = 0; j < music::kSmoothWindows; ++j) {
    theSum += music::SmoothingWeight(j);
    if (j > 0) {
      EXPECT_LT(music::SmoothingWeight(j), music::SmoothingWeight(j - 1)) << "older windows weigh less";
    }
  }
  EXPECT_NEAR(theSum, 1.0, 1e-6) << "the weights add up to one";
  EXPECT_NEAR(music::BlackmanWindow(0), 0.0, 1e-6);
  EXPECT_NEAR(music::BlackmanWindow(1024), 1.0, 1e-6);
  EXPECT_EQ(music::EndSample(1000, 44100), 44100);
  EXPECT_EQ(music::EndSample(4294967295u, 192000), 824633720640) << "no overflow at the last demo time";
}

// The spectrum byte by its rule: the largest b whose threshold, the
// magnitude of kMinDecibels + b x 70 / 255 dB as the nearest float, the
// magnitude reaches.
uint8_t ByteByItsThresholds(float inMagnitude) {
  uint8_t theByte = 0;
  for (int32_t b = 1; b <= 255; ++b)
    if (inMagnitude >= float(std::pow(10.0, (-100.0 + b * 70.0 / 255.0) / 20.0))) theByte = uint8_t(b);
  return theByte;
}

TEST(MusicMaths, SpectrumByteIsTheDecibelFormulaForEveryMagnitude) {
  std::vector<float> theMagnitudes = {0.0f, -0.0f, -1e-3f, 1e-30f, 1e-45f, 1.0f, 1e30f, INFINITY, -INFINITY};
  // Every threshold and the floats just beside it.
  for (int32_t b = 1; b <= 255; ++b) {
    const float theEdge = float(std::pow(10.0, (-100.0 + b * 70.0 / 255.0) / 20.0));
    for (float theAt : {std::nextafter(theEdge, 0.0f), theEdge, std::nextafter(theEdge, 1.0f)})
      theMagnitudes.push_back(theAt);
  }
  // And many between them, from far below the scale to far above it.
  uint32_t theSeed = 12345;
  for (int32_t i = 0; i < 200000; ++i) {
    theSeed = theSeed * 1664525u + 1013904223u;
    theMagnitudes.push_back(float(std::pow(10.0, -7.0 + 7.0 * double(theSeed >> 8) / double(1 << 24))));
  }
  int32_t theWrong = 0;
  for (const float theMagnitude : theMagnitudes) {
    const uint8_t theByte = music::SpectrumByte(theMagnitude);
    if (theByte != ByteByItsThresholds(theMagnitude) && ++theWrong <= 10) {
      ADD_FAILURE() << "magnitude " << theMagnitude << ": byte " << int(theByte) << ", its thresholds give "
                    << int(ByteByItsThresholds(theMagnitude));
    }
    // Away from the thresholds' last bits, that is 20 log10 on the scale, truncated.
    if (theMagnitude > 0.0f && std::isfinite(theMagnitude)) {
      const double theScaled = (20.0 * std::log10(double(theMagnitude)) + 100.0) * 255.0 / 70.0;
      if (std::abs(theScaled - std::round(theScaled)) > 1e-4) {
        const int theExpected = int(std::clamp(std::floor(theScaled), 0.0, 255.0));
        if (theByte != theExpected && ++theWrong <= 10) {
          ADD_FAILURE() << "magnitude " << theMagnitude << ": byte " << int(theByte) << ", 20 log10 gives "
                        << theExpected;
        }
      }
    }
  }
  EXPECT_EQ(music::SpectrumByte(NAN), 0) << "not a number";
  EXPECT_EQ(theWrong, 0);
}

}  // namespace
