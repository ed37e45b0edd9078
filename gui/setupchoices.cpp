#include "setupchoices.h"

namespace {

const SetupResolution k54[] = {{"1280 by 1024", 1280, 1024}};
const SetupResolution k43[] = {{"640 by 480", 640, 480},     {"800 by 600", 800, 600},
                               {"1024 by 768", 1024, 768},   {"1152 by 864", 1152, 864},
                               {"1280 by 960", 1280, 960},   {"1280 by 1024", 1280, 1024},
                               {"1600 by 1200", 1600, 1200}, {"1920 by 1440", 1920, 1440}};
const SetupResolution k169[] = {{"1280 by 720", 1280, 720}, {"1600 by 900", 1600, 900}};
const SetupResolution k1610[] = {
    {"1280 by 800", 1280, 800}, {"1440 by 900", 1440, 900}, {"1680 by 1050", 1680, 1050}, {"1920 by 1200", 1920, 1200}};

const SetupAspect kAspects[kSetupAspectCount] = {{"5/4", 1.25f, k54, 1, 0},
                                                 {"4/3", 4.0f / 3.0f, k43, 8, 5},
                                                 {"16/9", 16.0f / 9.0f, k169, 2, 0},
                                                 {"16/10", 1.6f, k1610, 4, 2}};

const char* const kGammaTexts[kSetupGammaCount] = {"0.9", "1.0 for TFTs", "1.1 for CRTs",
                                                   "1.2", "1.3 for beamers", "1.4"};
const float kGammaValues[kSetupGammaCount] = {0.9f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f};

bool IsGammaEntry(int inIndex) { return inIndex >= 0 && inIndex < kSetupGammaCount; }

}  // namespace

const SetupAspect& SetupAspectAt(int inIndex) { return kAspects[inIndex >= 1 && inIndex <= 3 ? inIndex : 0]; }

const char* SetupGammaText(int inIndex) { return IsGammaEntry(inIndex) ? kGammaTexts[inIndex] : ""; }

float SetupGammaValue(int inIndex) { return IsGammaEntry(inIndex) ? kGammaValues[inIndex] : 1.0f; }
