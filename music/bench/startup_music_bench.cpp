// Start to first frame of the showcase with its music decoded for analysis
// beside start-up, and the same document without music: the analysis must
// not delay the first frame by more than 10 ms. Needs a display (xvfb-run).
// Sound is off in both, so SDL_mixer's loading is left out of the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "frameloop.h"
#include "sdlconfig.h"
#include "startup.h"

namespace {

const std::string kShowcase = ZORBIT_SOURCE_DIR "/demos/showcase";

// The showcase's document without its InputMusicFile, in a folder of its own.
std::string SilentShowcase() {
  static std::string thePath;
  if (!thePath.empty()) return thePath;
  std::ifstream theIn(kShowcase + "/showcase.xml");
  std::stringstream theText;
  theText << theIn.rdbuf();
  std::string theDocument = theText.str();
  const std::string theAttribute = "InputMusicFile=\"music.ogg\"";
  const size_t theAt = theDocument.find(theAttribute);
  if (theAt == std::string::npos) return "";
  theDocument.erase(theAt, theAttribute.size());
  char theFolder[] = "/tmp/zorbit-music-bench-XXXXXX";
  if (mkdtemp(theFolder) == nullptr) return "";
  thePath = std::string(theFolder) + "/showcase-silent.xml";
  std::ofstream(thePath) << theDocument;
  return thePath;
}

void StartToFirstFrame(benchmark::State& ioState, bool inMusic) {
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  const std::string theDocument = inMusic ? std::string("showcase.xml") : SilentShowcase();
  if (theDocument.empty()) {
    ioState.SkipWithError("no silent copy of the showcase");
    return;
  }
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;
  theConfig.width = 640;
  theConfig.height = 360;
  double theCpuMs = 0.0;
  for (auto _ : ioState) {
    FixedStepClock theClock(10);
    SessionSettings theSettings;
    theSettings.options.demoPath = theDocument;
    theSettings.workingFolder = kShowcase;
    theSettings.logPath = "/tmp/startup_music_bench_Errorlog.txt";
    theSettings.allowSetupWindow = false;
    theSettings.config = &theConfig;
    theSettings.clock = &theClock;
    const auto theStart = std::chrono::steady_clock::now();
    const std::clock_t theStartCpu = std::clock();
    std::chrono::steady_clock::time_point theFirst;
    PlayerSession* theSession = nullptr;
    theSettings.afterDraw = [&](const Demo&, uint32_t) {
      theFirst = std::chrono::steady_clock::now();
      theCpuMs += 1000.0 * double(std::clock() - theStartCpu) / CLOCKS_PER_SEC;
      theSession->Stop();
    };
    PlayerSession thePlayer(theSettings);
    theSession = &thePlayer;
    if (!thePlayer.Open() || !thePlayer.Play()) {
      ioState.SkipWithError("the showcase did not play; see /tmp/startup_music_bench_Errorlog.txt");
      break;
    }
    ioState.SetIterationTime(std::chrono::duration<double>(theFirst - theStart).count());
    thePlayer.Close();
  }
  // Processor time of the whole process, the decoding thread's included.
  ioState.counters["cpu_ms"] = benchmark::Counter(theCpuMs, benchmark::Counter::kAvgIterations);
}

void BM_ShowcaseStartToFirstFrameWithMusicAnalysis(benchmark::State& ioState) { StartToFirstFrame(ioState, true); }
void BM_ShowcaseStartToFirstFrameWithoutMusic(benchmark::State& ioState) { StartToFirstFrame(ioState, false); }
BENCHMARK(BM_ShowcaseStartToFirstFrameWithoutMusic)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ShowcaseStartToFirstFrameWithMusicAnalysis)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
