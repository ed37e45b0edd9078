// PNG settings for capture frames, measured on real showcase frames at
// 1280 x 720 (rendered with zorbit-capture before the first benchmark):
// filters, zlib level and strategy, RGB or RGBA. Bytes per frame are shown
// beside the time, since a faster setting that doubles the files is no gain.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "pngfile.h"

namespace {

const std::vector<Image>& Frames() {
  static std::vector<Image> sFrames = [] {
    std::vector<Image> theFrames;
    char theFolder[] = "/tmp/png_bench_XXXXXX";
    if (!mkdtemp(theFolder)) return theFrames;
    for (int theTime : {5250, 16000, 28000, 41000, 55000}) {
      std::string theOut = std::string(theFolder) + "/" + std::to_string(theTime);
      std::string theCommand = std::string(ZORBIT_BIN_DIR "/zorbit-capture " ZORBIT_SOURCE_DIR
                                           "/demos/showcase/showcase.xml ") +
                               theOut + " --size 1280x720 --quiet --from " + std::to_string(theTime) + " --to " +
                               std::to_string(theTime) + " >/dev/null 2>&1";
      Image theFrame;
      if (std::system(theCommand.c_str()) == 0 && ReadPng(theOut + "/frame00000.png", theFrame))
        theFrames.push_back(std::move(theFrame));
      std::system(("rm -rf '" + theOut + "'").c_str());
    }
    rmdir(theFolder);
    return theFrames;
  }();
  return sFrames;
}

void Encode(benchmark::State& ioState, PngSettings inSettings) {
  const std::vector<Image>& theFrames = Frames();
  if (theFrames.empty()) {
    ioState.SkipWithError("no frames: zorbit-capture did not render the showcase");
    return;
  }
  const std::string thePath = "/dev/shm/png_bench_" + std::to_string(getpid()) + ".png";
  size_t theIndex = 0;
  double theBytes = 0;
  for (auto _ : ioState) {
    if (!WritePng(thePath, theFrames[theIndex % theFrames.size()], inSettings, nullptr)) {
      ioState.SkipWithError("cannot write the frame");
      break;
    }
    struct stat theStat;
    if (stat(thePath.c_str(), &theStat) == 0) theBytes += theStat.st_size;
    ++theIndex;
  }
  std::remove(thePath.c_str());
  ioState.counters["bytes"] = benchmark::Counter(theBytes / std::max<size_t>(theIndex, 1));
  ioState.counters["frames/s"] = benchmark::Counter(static_cast<double>(theIndex), benchmark::Counter::kIsRate);
}

PngSettings Settings(bool inOpaque, int inFilters, int inLevel, int inStrategy = Z_DEFAULT_STRATEGY) {
  PngSettings theSettings;
  theSettings.opaque = inOpaque;
  theSettings.filters = inFilters;
  theSettings.level = inLevel;
  theSettings.strategy = inStrategy;
  return theSettings;
}

// The baseline: what capture wrote before (RGBA, libpng's adaptive filters, level 1).
BENCHMARK_CAPTURE(Encode, rgba_adaptive_level1, Settings(false, PNG_ALL_FILTERS, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_adaptive_level1, Settings(true, PNG_ALL_FILTERS, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_none_level1, Settings(true, PNG_FILTER_NONE, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_sub_level1, Settings(true, PNG_FILTER_SUB, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_up_level1, Settings(true, PNG_FILTER_UP, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_paeth_level1, Settings(true, PNG_FILTER_PAETH, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_sub_rle, Settings(true, PNG_FILTER_SUB, 1, Z_RLE))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_up_rle, Settings(true, PNG_FILTER_UP, 1, Z_RLE))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_none_rle, Settings(true, PNG_FILTER_NONE, 1, Z_RLE))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_sub_level3, Settings(true, PNG_FILTER_SUB, 3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, rgb_sub_huffman, Settings(true, PNG_FILTER_SUB, 1, Z_HUFFMAN_ONLY))->Unit(benchmark::kMillisecond);

}  // namespace
