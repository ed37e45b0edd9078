#include "framerate.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ReadPositive(const std::string& inText, int64_t inMax, int64_t& outValue) {
  if (inText.empty() || inText[0] < '0' || inText[0] > '9') return false;
  char* theEnd = nullptr;
  errno = 0;
  long long theValue = std::strtoll(inText.c_str(), &theEnd, 10);
  if (errno != 0 || *theEnd != 0 || theValue < 1 || theValue > inMax) return false;
  outValue = theValue;
  return true;
}

// Splits "A/B" at its one slash; a text without one is A alone.
bool SplitFraction(const std::string& inText, std::string& outTop, std::string& outBottom) {
  size_t theSlash = inText.find('/');
  if (theSlash == std::string::npos) {
    outTop = inText;
    outBottom.clear();
    return true;
  }
  outTop = inText.substr(0, theSlash);
  outBottom = inText.substr(theSlash + 1);
  return !outBottom.empty();
}

}  // namespace

bool ParseFrameRate(const std::string& inText, FrameRate& outRate) {
  std::string theTop, theBottom;
  if (!SplitFraction(inText, theTop, theBottom)) return false;
  // Bounded so that index * 1000 * den stays far inside 64 bits.
  FrameRate theRate;
  if (!ReadPositive(theTop, 1000000, theRate.num)) return false;
  if (!theBottom.empty() && !ReadPositive(theBottom, 1000000, theRate.den)) return false;
  if (theRate.num > 1000 * theRate.den) return false;
  outRate = theRate;
  return true;
}

std::string FrameRateText(const FrameRate& inRate) {
  if (inRate.den == 1) return std::to_string(inRate.num);
  return std::to_string(inRate.num) + "/" + std::to_string(inRate.den);
}

int64_t FrameTimeMs(int64_t inFromMs, const FrameRate& inRate, int64_t inIndex) {
  return inFromMs + inIndex * 1000 * inRate.den / inRate.num;
}

int64_t FramesUpTo(int64_t inFromMs, int64_t inLastMs, const FrameRate& inRate) {
  if (inLastMs < inFromMs) return 0;
  // Frame k is in when floor(k * 1000 * den / num) <= last - from, that is
  // when k * 1000 * den < (last - from + 1) * num.
  int64_t theSpan = inLastMs - inFromMs + 1;
  return (theSpan * inRate.num - 1) / (1000 * inRate.den) + 1;
}

bool ParseChunk(const std::string& inText, int& outIndex, int& outCount) {
  std::string theTop, theBottom;
  int64_t theIndex = 0, theCount = 0;
  if (!SplitFraction(inText, theTop, theBottom) || theBottom.empty()) return false;
  if (!ReadPositive(theTop, 100000, theIndex) || !ReadPositive(theBottom, 100000, theCount)) return false;
  if (theIndex > theCount) return false;
  outIndex = static_cast<int>(theIndex);
  outCount = static_cast<int>(theCount);
  return true;
}

FrameRange ChunkRange(int64_t inTotal, int inIndex, int inCount) {
  FrameRange theRange;
  theRange.first = inTotal * (inIndex - 1) / inCount;
  theRange.count = inTotal * inIndex / inCount - theRange.first;
  return theRange;
}
