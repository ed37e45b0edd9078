// The player's own cost per frame (everything but the effects) for a demo of
// 100 tracks with 40 animated parameters each, and the time from start to
// the first frame. Figures to compare are the ratios against the baselines
// measured in the same run:
//   RenderFrame / EffectCallsOnly   the frame loop's work over bare effect calls
//   StartToFirstFrame / OpenVideoOnly   start-up over opening the video mode
//   LongTrack/100000 / LongTrack/30   one frame late in a long track over a short one
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "binding.h"
#include "demo.h"
#include "frameloop.h"
#include "nametable.h"
#include "sdlconfig.h"
#include "startup.h"
#include "zorbitloader.h"

namespace {

enum { kTracks = 100, kParams = 40 };

#define I32X10 int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t
bool Noop(FrameInfo* inInfo, void**, I32X10, I32X10, I32X10, I32X10) {
  benchmark::DoNotOptimize(inInfo);
  return true;
}
bool NoopFrame(int32_t) { return true; }

// Ten of each kind per event: constants, linear ramps, Bezier curves with
// three keys, sine waves. The library is named "quiet.so" for the start-up run.
std::string DemoDocument(int inRunningTime) {
  std::string theParams;
  for (int i = 0; i < 10; ++i) {
    theParams += "<param type=\"const\" val=\"" + std::to_string(i) + "\"/>";
    theParams += "<param start=\"0\" end=\"" + std::to_string(1000 * i) + "\"/>";
    theParams += "<param type=\"multi\" interpol=\"bez\" val=\"0\"><seg time=\"30000\" val=\"500\"/>"
                 "<seg time=\"30000\" val=\"-200\"/><seg time=\"40000\" val=\"900\"/></param>";
    theParams += "<param type=\"sin\" ampli=\"100\" period=\"" + std::to_string(1000 + i) +
                 "\" offset=\"0\" height=\"50\"/>";
  }
  std::string theText = "<Demo><Settings RunningTime=\"" + std::to_string(inRunningTime) +
                        "\" UseOpenGL=\"false\" NumberOfInputSurfaces=\"0\"/>"
                        "<Libraries><Library FileName=\"quiet.so\"><Function Name=\"Record\"/></Library></Libraries>"
                        "<Tracks>";
  for (int t = 0; t < kTracks; ++t) {
    theText += "<Track><Event LibraryFileName=\"quiet.so\" FunctionName=\"Record\" StartTime=\"0\" EndTime=\"100000\">" +
               theParams + "</Event></Track>";
  }
  return theText + "</Tracks></Demo>";
}

// The demo loaded, with the no-op effect bound in place of the plug-in.
struct BoundDemo {
  Demo demo = {};
  BoundDemo() {
    std::string theText = DemoDocument(100000);
    LoadDemoFromMemory(theText.data(), theText.size(), "bench", demo, GetNameTable());
    for (uint32_t t = 0; t < demo.trackCount; ++t) {
      for (uint32_t e = 0; e < demo.tracks[t].eventCount; ++e) demo.tracks[t].events[e].effect = reinterpret_cast<void*>(&Noop);
    }
    demo.libraries[0].beginNewFrame = &NoopFrame;
  }
  ~BoundDemo() { DestroyDemo(demo); }
};

void RenderFrameCost(benchmark::State& ioState) {
  BoundDemo theDemo;
  std::vector<TrackState> theStates(theDemo.demo.trackCount, TrackState{-1, nullptr, 0});
  uint32_t theTime = 0;
  for (auto _ : ioState) {
    benchmark::DoNotOptimize(RenderFrame(theDemo.demo, theTime, theStates.data()));
    theTime = (theTime + 10) % 100000;
  }
  ioState.counters["tracks"] = kTracks;
}
BENCHMARK(RenderFrameCost)->Name("RenderFrame");

// Baseline: the same 100 effect calls with 40 ready values and the new-frame notice.
void EffectCallsOnly(benchmark::State& ioState) {
  int32_t theValues[kParams];
  for (int i = 0; i < kParams; ++i) theValues[i] = i;
  void* theSlots[kTracks] = {};
  FrameInfo theInfo = {};
  for (auto _ : ioState) {
    NoopFrame(0);
    for (int t = 0; t < kTracks; ++t) {
      theInfo.phase = PHASE_RUN;
      benchmark::DoNotOptimize(CallEffect(reinterpret_cast<void*>(&Noop), &theInfo, &theSlots[t], kParams, theValues));
    }
  }
}
BENCHMARK(EffectCallsOnly);

// One track of inEvents events of 10 ms with 10 ms gaps, no parameters. The
// clock plays the last 30 events again and again, so both tracks make, run
// and destroy events at the same rate and only the track's length differs.
void LongTrack(benchmark::State& ioState) {
  const uint32_t theCount = uint32_t(ioState.range(0));
  std::vector<Event> theEvents(theCount, Event{});
  for (uint32_t j = 0; j < theCount; ++j) {
    theEvents[j].startTime = 20 * j;
    theEvents[j].endTime = 20 * j + 10;
    theEvents[j].effect = reinterpret_cast<void*>(&Noop);
  }
  Track theTrack{theCount, theEvents.data()};
  Library theLibrary = {};
  theLibrary.beginNewFrame = &NoopFrame;
  Demo theDemo = {};
  theDemo.trackCount = 1;
  theDemo.tracks = &theTrack;
  theDemo.libraryCount = 1;
  theDemo.libraries = &theLibrary;
  ResetFrameLoop();
  TrackState theState{-1, nullptr, 0};
  const uint32_t theFirst = 20 * (theCount - 30);
  const uint32_t theSpan = 20 * 30;
  uint32_t theTime = 0;
  for (auto _ : ioState) {
    benchmark::DoNotOptimize(RenderFrame(theDemo, theFirst + theTime, &theState));
    theTime = (theTime + 5) % theSpan;
  }
  ResetFrameLoop();
}
BENCHMARK(LongTrack)->Arg(30)->Arg(100000);

struct Folder {
  std::string path;
  Folder() {
    char theTemplate[] = "/tmp/zorbit_benchXXXXXX";
    path = mkdtemp(theTemplate);
    std::ofstream(path + "/demo.xml") << DemoDocument(0);
    std::ofstream(path + "/SDL.ini") << "[video]\nwidth=640\nheight=480\n[audio]\nenabled=0\n";
    std::system(("cp '" ZORBIT_QUIET_PLUGIN "' '" + path + "/quiet.so'").c_str());
  }
  ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
};

// From calling start-up to the moment the first frame is drawn: log, data
// folder, document, video mode, plug-in loading and binding, surfaces, init.
void StartToFirstFrame(benchmark::State& ioState) {
  Folder theFolder;
  char theOld[4096];
  if (getcwd(theOld, sizeof theOld) == nullptr || chdir(theFolder.path.c_str()) != 0) {
    ioState.SkipWithError("no folder");
    return;
  }
  char theName[] = "player";
  char theDocument[] = "demo.xml";
  char* theArgv[] = {theName, theDocument, nullptr};
  // Processor time of the whole process: on a shared machine the wall time
  // also counts waiting for a core.
  double theCpuMs = 0.0;
  for (auto _ : ioState) {
    FixedStepClock theClock(10);
    PlayerHooks theHooks;
    theHooks.clock = &theClock;
    theHooks.allowSetupWindow = false;
    auto theStart = std::chrono::steady_clock::now();
    std::clock_t theStartCpu = std::clock();
    std::chrono::steady_clock::time_point theFirst;
    bool theSeen = false;
    theHooks.afterDraw = [&](const Demo&, uint32_t) {
      if (!theSeen) {
        theFirst = std::chrono::steady_clock::now();
        theCpuMs += 1000.0 * double(std::clock() - theStartCpu) / CLOCKS_PER_SEC;
      }
      theSeen = true;
    };
    if (RunPlayer(ParseCommandLine(2, theArgv), theHooks) != 0 || !theSeen) {
      ioState.SkipWithError("the demo did not play; see Errorlog.txt");
      break;
    }
    ioState.SetIterationTime(std::chrono::duration<double>(theFirst - theStart).count());
  }
  ioState.counters["cpu_ms"] = benchmark::Counter(theCpuMs, benchmark::Counter::kAvgIterations);
  if (chdir(theOld) != 0) ioState.SkipWithError("cannot return to the working folder");
}
BENCHMARK(StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Baseline: opening and closing the same video mode.
void OpenVideoOnly(benchmark::State& ioState) {
  for (auto _ : ioState) {
    SDL_Config theConfig;
    SDL_Config_DefaultConfig(theConfig);
    theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;
    theConfig.width = 640;
    theConfig.height = 480;
    benchmark::DoNotOptimize(SDL_Config_Init(theConfig));
    SDL_Config_Quit();
  }
}
BENCHMARK(OpenVideoOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

// Headless unless the caller chose drivers.
const bool gDrivers = [] {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return true;
}();

}  // namespace
