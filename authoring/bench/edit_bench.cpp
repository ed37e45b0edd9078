// Authoring mode's costs on the showcase at 1280 x 720 under the machine's
// OpenGL: a reload (close to the open video mode, open the document again)
// to its first drawn frame, the display's cost per frame, and a seek to the
// first frame at the new time. Wall times; glFinish makes the software
// renderer do its work inside the measurement.
#include <benchmark/benchmark.h>
#include <GL/glew.h>
#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "frameloop.h"
#include "overlay.h"
#include "sdlconfig.h"
#include "startup.h"
#include "timelinestrip.h"
#include "transport.h"

namespace {

using Clock = std::chrono::steady_clock;

// Demo time from a list the benchmark sets before each frame.
class SetClock : public FrameClock {
 public:
  uint32_t NowMs() override { return mTime; }
  uint32_t mTime = 41000;
  uint64_t mJumps = 0;
};

struct Bench {
  SDL_Config config;
  SetClock clock;
  LoopControl control;
  std::unique_ptr<PlayerSession> session;
  std::function<void()> hook;

  Bench() {
    setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
    SDL_Config_DefaultConfig(config);
    config.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;
    config.width = 1280;
    config.height = 720;
    config.videoFlags = SDL_DOUBLEBUF;
    control.clockIsDemoTime = true;
    control.jumps = [this] { return clock.mJumps; };
    SessionSettings theSettings;
    theSettings.options.demoPath = "showcase.xml";
    theSettings.options.startMs = 41000;
    theSettings.workingFolder = ZORBIT_SOURCE_DIR "/demos/showcase";
    theSettings.logPath = "/tmp/edit_bench_Errorlog.txt";
    theSettings.allowSetupWindow = false;
    theSettings.config = &config;
    theSettings.clock = &clock;
    theSettings.loopControl = &control;
    theSettings.afterDraw = [this](const Demo&, uint32_t) {
      if (hook) hook();
    };
    session = std::make_unique<PlayerSession>(theSettings);
    session->Open();
  }
  // Plays frames until inFrame returns false (called after each frame is
  // drawn); a session that played already is reopened first.
  void Frames(const std::function<bool()>& inFrame) {
    if (session->Reached() != StartupStep::kMusicReady) session->Reopen("", clock.mTime);
    hook = [&] {
      if (!inFrame()) session->Stop();
    };
    session->Play();
    hook = nullptr;
  }
};

Bench& Shared() {
  static Bench sBench;
  return sBench;
}

void ReloadToFirstFrame(benchmark::State& ioState) {
  Bench& theBench = Shared();
  for (auto _ : ioState) {
    auto theStart = Clock::now();
    if (!theBench.session->Reopen("", 41000)) {
      ioState.SkipWithError("the showcase did not reopen");
      break;
    }
    theBench.Frames([] {
      glFinish();
      return false;
    });
    ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
  }
}
BENCHMARK(ReloadToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// What the display shows over the showcase at 41 s: 19 lines.
std::vector<std::string> DisplayLines() {
  std::vector<std::string> theLines = {"00:41.000  (41000 ms)", "frame 16.6 ms  60.2 fps  paused"};
  for (int i = 0; i < 16; ++i) theLines.push_back("track " + std::to_string(i) + ": scene.so DrawGrid  1234 ms");
  theLines.push_back("log: the last line of the log");
  return theLines;
}

// The end of a frame of the demo (the software renderer draws when asked to
// finish) with and without the display over it: the difference is what the
// display adds to a frame.
void Frame(benchmark::State& ioState, bool inDisplay) {
  Bench& theBench = Shared();
  Overlay theOverlay;
  const std::vector<std::string> theLines = DisplayLines();
  theBench.clock.mTime = 41000;
  theBench.Frames([&] {
    if (!ioState.KeepRunning()) return false;
    auto theStart = Clock::now();
    if (inDisplay) theOverlay.Draw(1280, 720, theLines);
    glFinish();
    ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
    return true;
  });
  theOverlay.Release();
}
// The display's own cost: drawn over a cleared back buffer, the renderer's
// queue empty before and finished after, so the demo's frame adds no noise.
// The baseline clears one pixel instead, so that both pay for finishing a
// frame, which a demo's frame pays anyway.
void DisplayAlone(benchmark::State& ioState) {
  Bench& theBench = Shared();
  Overlay theOverlay;
  const std::vector<std::string> theLines = DisplayLines();
  theBench.clock.mTime = 41000;
  const bool theDraw = ioState.range(0) != 0;
  bool theRunning = true;
  theBench.Frames([&] {
    for (int i = 0; i < 10 && theRunning; ++i) {
      theRunning = ioState.KeepRunning();
      if (!theRunning) break;
      glClear(GL_COLOR_BUFFER_BIT);
      glFinish();
      auto theStart = Clock::now();
      if (theDraw) {
        theOverlay.Draw(1280, 720, theLines);
      } else {
        // Some work all the same, so that both finish a frame: one pixel cleared.
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
      }
      glFinish();
      ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
    }
    return theRunning;
  });
  theOverlay.Release();
}
BENCHMARK(DisplayAlone)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(500);

// The timeline strip's own cost, measured as the display's is against the
// same one-pixel baseline (DisplayAlone/0): 1 as a playing frame draws it
// (the image composed once, the playhead moving), 2 composed every frame (the
// loop's start moved each time), the most a frame of scrubbing or zooming pays.
void StripAlone(benchmark::State& ioState) {
  Bench& theBench = Shared();
  TimelineStrip theStrip;
  theStrip.Toggle();
  theBench.clock.mTime = 41000;
  Transport theTransport(theBench.clock, 41000, 60000);
  const bool theRecompose = ioState.range(0) == 2;
  bool theRunning = true;
  uint32_t theFrame = 0;
  theBench.Frames([&] {
    for (int i = 0; i < 10 && theRunning; ++i) {
      theRunning = ioState.KeepRunning();
      if (!theRunning) break;
      glClear(GL_COLOR_BUFFER_BIT);
      glFinish();
      ++theFrame;
      if (theRecompose) {
        theTransport.SeekTo(41000 + theFrame % 2);
        theTransport.SetLoopStart();
      }
      auto theStart = Clock::now();
      theStrip.Draw(1280, 720, theBench.session->GetDemo(), 41000 + theFrame % 1000, theTransport);
      glFinish();
      ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
    }
    return theRunning;
  });
  theStrip.Release();
}
BENCHMARK(StripAlone)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(500);

void WithoutDisplay(benchmark::State& ioState) { Frame(ioState, false); }
void WithDisplay(benchmark::State& ioState) { Frame(ioState, true); }
BENCHMARK(WithoutDisplay)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(WithDisplay)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

// Frames alternating between two times 25 s apart, each a seek: every event
// ends and the events of the new time start.
void SeekToFirstFrame(benchmark::State& ioState) {
  Bench& theBench = Shared();
  Clock::time_point theStart = Clock::now();
  bool thePending = false;  // a seek was made and its frame is being drawn
  theBench.Frames([&] {
    if (thePending) {
      glFinish();
      ioState.SetIterationTime(std::chrono::duration<double>(Clock::now() - theStart).count());
      thePending = false;
    }
    if (!ioState.KeepRunning()) return false;
    theBench.clock.mTime = theBench.clock.mTime == 41000 ? 16000 : 41000;
    ++theBench.clock.mJumps;
    theStart = Clock::now();
    thePending = true;
    return true;
  });
}
BENCHMARK(SeekToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
