// A one-line progress bar on a terminal: "[#####.....]  45/120 frames  31.2 fps  2s left".
// On anything that is not a terminal it prints a plain line every tenth of the way.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class ProgressBar {
 public:
  ProgressBar(FILE* inOut, int inTotal, const char* inUnit);
  // inNote follows the bar (the state of an output queue, say).
  void Update(int inDone, const char* inNote = "");
  void Finish();

  // The text of the bar for a state, without the carriage return (for tests).
  static std::string Render(int inDone, int inTotal, const char* inUnit, double inSeconds, int inWidth);

 private:
  FILE* mOut;
  int mTotal;
  std::string mUnit;
  bool mTerminal;
  int mLastTenth = -1;
  std::chrono::steady_clock::time_point mStart;
};
