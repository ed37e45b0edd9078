#include "progressbar.h"

#include <unistd.h>

#include <algorithm>

ProgressBar::ProgressBar(FILE* inOut, int inTotal, const char* inUnit)
    : mOut(inOut), mTotal(std::max(1, inTotal)), mUnit(inUnit), mTerminal(isatty(fileno(inOut)) != 0),
      mStart(std::chrono::steady_clock::now()) {}

std::string ProgressBar::Render(int inDone, int inTotal, const char* inUnit, double inSeconds, int inWidth) {
  inTotal = std::max(1, inTotal);
  inDone = std::clamp(inDone, 0, inTotal);
  int theFilled = static_cast<int>(static_cast<long long>(inWidth) * inDone / inTotal);
  std::string theBar = "[" + std::string(theFilled, '#') + std::string(inWidth - theFilled, '.') + "]";
  // A rate over the first moments says nothing yet.
  double theRate = inSeconds >= 0.25 ? inDone / inSeconds : 0.0;
  char theText[160];
  if (theRate > 0) {
    double theLeft = (inTotal - inDone) / theRate;
    std::snprintf(theText, sizeof theText, " %d/%d %s  %.1f %s/s  %.0fs left", inDone, inTotal, inUnit, theRate,
                  inUnit, theLeft);
  } else {
    std::snprintf(theText, sizeof theText, " %d/%d %s", inDone, inTotal, inUnit);
  }
  return theBar + theText;
}

void ProgressBar::Update(int inDone, const char* inNote) {
  double theSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
  if (mTerminal) {
    std::fprintf(mOut, "\r%s%s\033[K", Render(inDone, mTotal, mUnit.c_str(), theSeconds, 40).c_str(), inNote);
    std::fflush(mOut);
    return;
  }
  int theTenth = static_cast<int>(10LL * inDone / mTotal);
  if (theTenth != mLastTenth) {
    mLastTenth = theTenth;
    std::fprintf(mOut, "%s%s\n", Render(inDone, mTotal, mUnit.c_str(), theSeconds, 20).c_str(), inNote);
    std::fflush(mOut);
  }
}

void ProgressBar::Finish() {
  if (mTerminal) std::fprintf(mOut, "\n");
  std::fflush(mOut);
}
