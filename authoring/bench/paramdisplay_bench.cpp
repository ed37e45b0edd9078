// What naming the running events' parameters adds to edit mode's display:
// the lines of the showcase at 41 s with and without their values, composed
// and drawn at 1280 x 720 (glFinish inside the measurement), and the values'
// own composition. Needs a display: xvfb-run -a build/bench/paramdisplay_bench
#include <benchmark/benchmark.h>
#include <GL/glew.h>
#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "nametable.h"
#include "overlay.h"
#include "paramdisplay.h"
#include "zorbitloader.h"
#include <zorbit/oglstate.h>

namespace {

using Clock = std::chrono::steady_clock;
const uint32_t kTime = 41000;

struct Showcase {
  Demo demo{};
  ParamDisplay display;
  std::unique_ptr<OGLState> state;
  Showcase() {
    LoadDemo(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml", demo, GetNameTable());
    for (uint32_t l = 0; l < demo.libraryCount; ++l)
      demo.libraries[l].handle =
          dlopen((std::string(ZORBIT_BIN_DIR "/") + demo.libraries[l].fileName).c_str(), RTLD_LAZY | RTLD_LOCAL);
    display.Adopt(demo);
    SDL_Init(SDL_INIT_VIDEO);
    SDL_SetVideoMode(1280, 720, 32, SDL_OPENGL);
    glewInit();
    state = std::make_unique<OGLState>(1280, 720);
    MakeCurrent(state.get());
  }
  // The display's lines at kTime, as the editor makes them.
  std::vector<std::string> Lines(bool inValues) const {
    std::vector<std::string> theLines = {"00:41.000  (41000 ms)", "frame 16.6 ms  60.2 fps  paused"};
    for (uint32_t t = demo.trackCount; t-- > 0;)
      for (uint32_t e = 0; e < demo.tracks[t].eventCount; ++e) {
        const Event& theEvent = demo.tracks[t].events[e];
        if (kTime < theEvent.startTime || kTime > theEvent.endTime) continue;
        std::string theLine = "track " + std::to_string(t) + ": " + theEvent.libraryFileName + " " +
                              theEvent.functionName + "  " + std::to_string(kTime - theEvent.startTime) + " ms";
        if (inValues) theLine += display.Values(theEvent, kTime, 64);
        theLines.push_back(theLine);
        break;
      }
    return theLines;
  }
};

Showcase& Shared() {
  static Showcase theShowcase;
  return theShowcase;
}

// Arg 0: the display as it was; 1: with every running event's values.
void DisplayDrawn(benchmark::State& ioState) {
  Showcase& theShowcase = Shared();
  Overlay theOverlay;
  for (auto _ : ioState) {
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    const auto theStart = Clock::now();
    theOverlay.Draw(1280, 720, theShowcase.Lines(ioState.range(0) != 0));
    glFinish();
    ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
  }
  theOverlay.Release();
}
BENCHMARK(DisplayDrawn)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// The values alone: evaluating and saying every running event's parameters.
void ValuesComposed(benchmark::State& ioState) {
  Showcase& theShowcase = Shared();
  for (auto _ : ioState) benchmark::DoNotOptimize(theShowcase.Lines(true));
}
BENCHMARK(ValuesComposed)->Unit(benchmark::kMicrosecond);

}  // namespace
