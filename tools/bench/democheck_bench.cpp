// zorbit-check against the player's loader on the same documents, in one
// run: elements nested 10^5 and 10^6 deep. The checker runs the loader
// itself, so CheckDemo / LoadDemo - 1 is the share of its own passes; the
// goal is a ratio of at most 2.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "democheck.h"
#include "nametable.h"
#include "zorbitloader.h"

namespace {

// A demo whose settings are followed by one chain of inDepth elements.
std::string DeepDocument(int inDepth) {
  std::string theText = "<Demo><Settings RunningTime=\"1000\" NumberOfInputSurfaces=\"0\"/>";
  theText.reserve(theText.size() + size_t(inDepth) * 7 + 8);
  for (int i = 0; i < inDepth; ++i) theText += "<a>";
  for (int i = 0; i < inDepth; ++i) theText += "</a>";
  return theText + "</Demo>";
}

// One file per depth, written once and removed at exit.
struct Documents {
  std::map<int, std::string> paths;
  const std::string& Path(int inDepth) {
    std::string& thePath = paths[inDepth];
    if (thePath.empty()) {
      thePath = "/tmp/zorbit_check_bench_" + std::to_string(getpid()) + "_" + std::to_string(inDepth) + ".xml";
      std::ofstream(thePath) << DeepDocument(inDepth);
    }
    return thePath;
  }
  ~Documents() {
    for (auto& thePath : paths) std::remove(thePath.second.c_str());
  }
} gDocuments;

// The loader as the player calls it; its trace lines go to standard error.
void BM_LoadDemoDeep(benchmark::State& ioState) {
  const std::string& thePath = gDocuments.Path(int(ioState.range(0)));
  for (auto _ : ioState) {
    Demo theDemo{};
    NameTable theNames{0, 0, nullptr};
    LoadDemo(thePath.c_str(), theDemo, theNames);
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
  }
}

// zorbit-check's default: its own passes, then the loader.
void BM_CheckDemoDeep(benchmark::State& ioState) {
  const std::string& thePath = gDocuments.Path(int(ioState.range(0)));
  CheckOptions theOptions;
  theOptions.schemaPath = ZORBIT_SOURCE_DIR "/schemas/demo.xsd";
  for (auto _ : ioState) {
    auto theFindings = CheckDemo(thePath, theOptions);
    if (theFindings.empty()) ioState.SkipWithError("the deep document drew no finding");
    benchmark::DoNotOptimize(theFindings.data());
  }
}

}  // namespace

BENCHMARK(BM_LoadDemoDeep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CheckDemoDeep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
