// zorbit-info --timeline's drawing of large documents at 1920 pixels, from the
// loaded demo to the written file: 100,000 events on 20 tracks (every track
// summarised), on 200 tracks of 500 (the busiest summarised to keep the
// picture to 5,000 bars) and the showcase; the baselines write a blank
// picture of the same size (laid out beforehand), so the difference is the
// cost of laying out and drawing.
// Loading the 100,000 events is measured beside it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "demo.h"
#include "nametable.h"
#include "timeline.h"
#include "timelinewave.h"
#include "zorbitloader.h"

namespace {

std::string ManyEvents(int inTracks, int inEvents, int inSpacingMs) {
  std::string theText = "<Demo><Settings RunningTime=\"" + std::to_string(inEvents * inSpacingMs) +
                        "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\"/><Tracks>";
  for (int t = 0; t < inTracks; ++t) {
    theText += "<Track>";
    for (int e = 0; e < inEvents; ++e) {
      const int theStart = e * inSpacingMs;
      theText += "<Event LibraryFileName=\"fx.so\" FunctionName=\"Dot\" StartTime=\"" + std::to_string(theStart) +
                 "\" EndTime=\"" + std::to_string(theStart + inSpacingMs / 2) + "\"><param type=\"const\" val=\"3\"/>"
                 "<param start=\"0\" end=\"" + std::to_string(e) + "\"/>"
                 "<param type=\"sin\" ampli=\"100\" period=\"700\" offset=\"0\" height=\"0\"/></Event>";
    }
    theText += "</Track>";
  }
  return theText + "</Tracks></Demo>";
}

struct Loaded {
  Demo demo{};
  NameTable names{0, 0, nullptr};
  explicit Loaded(const std::string& inText) { LoadDemoFromMemory(inText.data(), inText.size(), "bench.xml", demo, names); }
  explicit Loaded(const char* inPath) { LoadDemo(inPath, demo, names); }
  ~Loaded() {
    DestroyDemo(demo);
    ClearNameTable(names);
  }
};

const std::string& Dense() {
  static const std::string theText = ManyEvents(20, 5000, 100);
  return theText;
}
const std::string& Wide() {
  static const std::string theText = ManyEvents(200, 500, 1000);
  return theText;
}

void Draw(benchmark::State& ioState, const Demo& inDemo, const NameTable& inNames, const Waveform& inWave, bool inBlank) {
  TimelineOptions theOptions;
  const std::string thePath = "/tmp/timeline_bench.png";
  const TimelineLayout theBlankLayout = inBlank ? LayOutTimeline(inDemo, inNames, theOptions, inWave) : TimelineLayout{};
  int theHeight = 0;
  for (auto _ : ioState) {
    const TimelineLayout theLayout = inBlank ? theBlankLayout : LayOutTimeline(inDemo, inNames, theOptions, inWave);
    theHeight = theLayout.height;
    auto thePicture = PictureFile::Make(PictureFormat::kPng, thePath, theLayout.width, theLayout.height);
    if (!inBlank) PaintTimeline(theLayout, thePicture->GetCanvas());
    std::string theError;
    if (!thePicture->Finish(theError)) ioState.SkipWithError(theError.c_str());
  }
  ioState.counters["height"] = theHeight;
  std::remove(thePath.c_str());
}

void LoadHundredThousand(benchmark::State& ioState) {
  for (auto _ : ioState) Loaded theLoaded(Dense());
}
BENCHMARK(LoadHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

void Draw(benchmark::State& ioState, const std::string& inText, bool inBlank) {
  static Loaded* sLoaded[2] = {nullptr, nullptr};
  Loaded*& theLoaded = sLoaded[&inText == &Dense() ? 0 : 1];
  if (theLoaded == nullptr) theLoaded = new Loaded(inText);  // kept for the run
  Draw(ioState, theLoaded->demo, theLoaded->names, Waveform{}, inBlank);
}

void BlankDense(benchmark::State& ioState) { Draw(ioState, Dense(), true); }
void HundredThousandOnTwentyTracks(benchmark::State& ioState) { Draw(ioState, Dense(), false); }
void BlankWide(benchmark::State& ioState) { Draw(ioState, Wide(), true); }
void HundredThousandOnTwoHundredTracks(benchmark::State& ioState) { Draw(ioState, Wide(), false); }
BENCHMARK(BlankDense)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(HundredThousandOnTwentyTracks)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BlankWide)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(HundredThousandOnTwoHundredTracks)->Unit(benchmark::kMillisecond)->Iterations(5);

// The showcase with its music, read for every picture as zorbit-info does.
void Showcase(benchmark::State& ioState) {
  static Loaded sShowcase(ZORBIT_SOURCE_DIR "/demos/showcase/showcase.xml");
  const std::string thePath = "/tmp/timeline_bench_showcase.png";
  for (auto _ : ioState) {
    TimelineOptions theOptions;
    const Waveform theWave = ReadWaveform(ZORBIT_SOURCE_DIR "/demos/showcase/music.ogg", TimelineAxis(sShowcase.demo, theOptions));
    const TimelineLayout theLayout = LayOutTimeline(sShowcase.demo, sShowcase.names, theOptions, theWave);
    auto thePicture = PictureFile::Make(PictureFormat::kPng, thePath, theLayout.width, theLayout.height);
    PaintTimeline(theLayout, thePicture->GetCanvas());
    std::string theError;
    if (!thePicture->Finish(theError)) ioState.SkipWithError(theError.c_str());
  }
  std::remove(thePath.c_str());
}
BENCHMARK(Showcase)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
