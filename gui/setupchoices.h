// The entries the setup window offers: aspect ratios, each with its list of
// resolutions, and display gammas. The window and its remembered choices
// (setupmemory.h) both name entries by their index here.
#pragma once

struct SetupResolution {
  const char* text;  // as the resolution box shows it
  int width;         // pixels
  int height;        // pixels
};

struct SetupAspect {
  const char* text;  // as the aspect box shows it
  float aspect;      // width / height
  const SetupResolution* resolutions;
  int count;
  int defaultIndex;  // the resolution selected when the aspect is chosen
};

constexpr int kSetupAspectCount = 4;    // "5/4", "4/3", "16/9", "16/10"
constexpr int kSetupDefaultAspect = 1;  // "4/3"
constexpr int kSetupGammaCount = 6;     // "0.9" .. "1.4"
constexpr int kSetupDefaultGamma = 1;   // "1.0 for TFTs"

// Any index outside 1..3 stands for "5/4", as the aspect box's answer does.
const SetupAspect& SetupAspectAt(int inIndex);
// "0.9", "1.0 for TFTs", ... for 0..kSetupGammaCount - 1.
const char* SetupGammaText(int inIndex);
// The gamma entry inIndex stands for (0.9 .. 1.4); 1.0 outside the entries.
float SetupGammaValue(int inIndex);
