// Test music made here: signals written with libsndfile in the formats the
// analysis reads, and broken files of every kind it must survive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsignals {

// inSeconds of a sine of inHz at inAmplitude, at inRate.
std::vector<float> Sine(double inHz, double inAmplitude, double inSeconds, int32_t inRate);
// A square wave of +-inAmplitude with a period of inPeriod samples.
std::vector<float> Square(int32_t inPeriod, float inAmplitude, double inSeconds, int32_t inRate);
// Noise and a rising tone together: every time sounds different.
std::vector<float> Varied(double inSeconds, int32_t inRate);
// A drum track: a 50 ms decaying 80 Hz thump with a snap of noise on every
// beat of inBpm from inFirstMs on, over quiet noise.
std::vector<float> Clicks(double inBpm, double inFirstMs, double inSeconds, int32_t inRate);

enum class Format { kWav, kFlac, kOgg };
// Writes inSamples as one channel (inChannels > 1: the same in every
// channel) to inPath; false when libsndfile refuses.
bool Write(const std::string& inPath, const std::vector<float>& inSamples, int32_t inRate, Format inFormat,
           int32_t inChannels = 1);
// Keeps the first inBytes bytes of the file.
void Truncate(const std::string& inPath, long inBytes);
long FileSize(const std::string& inPath);

}  // namespace testsignals
