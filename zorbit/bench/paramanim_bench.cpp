// ns per parameter evaluation, per kind of description. The records come
// from the real loader, so long curves carry the loader's segment index.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "basicexception.h"
#include "paramanim.h"
#include "segmentindex.h"
#include "zorbitloader.h"

namespace {

struct Loaded {
  Demo demo{};
  NameTable names{0, 0, nullptr};
  explicit Loaded(const std::string& inParams) {
    const std::string theXml =
        "<D><Settings RunningTime=\"1\" NumberOfInputSurfaces=\"0\"/><Track><E LibraryFileName=\"a\" "
        "FunctionName=\"f\" StartTime=\"0\" EndTime=\"100000000\">" + inParams + "</E></Track></D>";
    LoadDemoFromMemory(theXml.data(), theXml.size(), "bench.xml", demo, names);
  }
  ~Loaded() {
    DestroyDemo(demo);
    ClearNameTable(names);
  }
  const Event& event() const { return demo.tracks[0].events[0]; }
};

std::string Curve(const char* inInterpol, uint32_t inKeys, uint32_t inSegmentMs) {
  std::string theXml = std::string("<param type=\"multi\" interpol=\"") + inInterpol + "\" val=\"0\">";
  std::mt19937 theRandom(1);
  for (uint32_t theK = 1; theK < inKeys; ++theK) {
    theXml += "<seg time=\"" + std::to_string(inSegmentMs) + "\" val=\"" + std::to_string(theRandom() % 20000) + "\"/>";
  }
  return theXml + "</param>";
}

BeatRecord gBeat;
void* UseBenchBeat(int32_t, int32_t, void*, bool, const char*, const char*, bool*) { return &gBeat; }

// Evaluates the event's first parameter (or group) at times that move
// forward by inStepMs, wrapping after inSpanMs, as a demo plays.
void EvaluateForward(benchmark::State& ioState, const Loaded& inLoaded, uint32_t inSpanMs, uint32_t inStepMs) {
  const Event& theEvent = inLoaded.event();
  int32_t theValues[4];
  uint32_t theTime = 0;
  for (auto _ : ioState) {
    bool theConstant;
    EvaluateParam(theTime, theEvent.startTime, theEvent.paramKinds, theEvent.params, theEvent.paramCount, theConstant,
                  theValues, 4);
    benchmark::DoNotOptimize(theValues);
    theTime += inStepMs;
    if (theTime >= inSpanMs) theTime -= inSpanMs;
  }
}

void BM_Const(benchmark::State& ioState) {
  Loaded theLoaded("<param type=\"const\" val=\"5\"/>");
  EvaluateForward(ioState, theLoaded, 1000, 16);
}
void BM_Sine(benchmark::State& ioState) {
  Loaded theLoaded("<param type=\"sin\" ampli=\"100\" period=\"1000\" offset=\"0\" height=\"5\"/>");
  EvaluateForward(ioState, theLoaded, 100000, 16);
}
void BM_MultiLin4Keys(benchmark::State& ioState) {
  Loaded theLoaded(Curve("lin", 4, 1000));
  EvaluateForward(ioState, theLoaded, 3000, 16);
}
void BM_MultiBez4Keys(benchmark::State& ioState) {
  Loaded theLoaded(Curve("bez", 4, 1000));
  EvaluateForward(ioState, theLoaded, 3000, 16);
}
void BM_SqdGroup4Keys(benchmark::State& ioState) {
  std::string theGroup;
  const char* theKeys[4][4] = {{"100000", "70711", "0", "70711"}, {"0", "70711", "100000", "0"},
                               {"0", "0", "0", "70711"},          {"0", "0", "0", "0"}};
  for (int theC = 0; theC < 4; ++theC) {
    theGroup += std::string("<param type=\"multi\" interpol=\"sqd\" val=\"") + theKeys[theC][0] + "\">";
    for (int theK = 1; theK < 4; ++theK) theGroup += std::string("<seg time=\"1000\" val=\"") + theKeys[theC][theK] + "\"/>";
    theGroup += "</param>";
  }
  Loaded theLoaded(theGroup);
  EvaluateForward(ioState, theLoaded, 3000, 16);
}
void BM_CombiOfTwo(benchmark::State& ioState) {
  Loaded theLoaded("<param type=\"combi\" op=\"1\"><a type=\"sin\" ampli=\"100\" period=\"1000\" offset=\"0\" "
                   "height=\"5\"/>" + Curve("lin", 4, 1000) + "</param>");
  EvaluateForward(ioState, theLoaded, 3000, 16);
}
void BM_Beat(benchmark::State& ioState) {
  Loaded theLoaded("<param type=\"beat\" ID=\"0\" min=\"0\" max=\"100\"/>");
  gBeat = BeatRecord{};
  gBeat.duration = 100000000;
  gBeat.count = 4;
  for (int theK = 0; theK < 4; ++theK) {
    gBeat.intervals[theK] = 125.5;
    gBeat.levels[theK + 1] = theK % 2;
  }
  SetBeatResourceLookup(UseBenchBeat);
  // Late in a long beat: the described walk would pass ~190,000 segments.
  const Event& theEvent = theLoaded.event();
  int32_t theValue;
  uint32_t theTime = 90000000;
  for (auto _ : ioState) {
    bool theConstant;
    EvaluateParam(theTime, 0, theEvent.paramKinds, theEvent.params, 1, theConstant, &theValue, 1);
    benchmark::DoNotOptimize(theValue);
    theTime += 16;
  }
  SetBeatResourceLookup(nullptr);
}

const uint32_t kLongKeys = 10000;

void BM_MultiLin10000KeysForward(benchmark::State& ioState) {
  Loaded theLoaded(Curve("lin", kLongKeys, 100));
  EvaluateForward(ioState, theLoaded, (kLongKeys - 1) * 100, 16);
}

void BM_MultiLin10000KeysRandom(benchmark::State& ioState) {
  Loaded theLoaded(Curve("lin", kLongKeys, 100));
  const Event& theEvent = theLoaded.event();
  std::mt19937 theRandom(2);
  std::vector<uint32_t> theTimes(4096);
  for (uint32_t& theTime : theTimes) theTime = theRandom() % ((kLongKeys - 1) * 100);
  int32_t theValue;
  size_t theI = 0;
  for (auto _ : ioState) {
    bool theConstant;
    EvaluateParam(theTimes[theI++ & 4095], 0, theEvent.paramKinds, theEvent.params, 1, theConstant, &theValue, 1);
    benchmark::DoNotOptimize(theValue);
  }
}

// For scale: the described linear walk alone over the same long curve.
void BM_LinearWalk10000KeysForward(benchmark::State& ioState) {
  Loaded theLoaded(Curve("lin", kLongKeys, 100));
  const MultiParam& theCurve = *static_cast<const MultiParam*>(theLoaded.event().params[0]);
  uint32_t theTime = 0;
  for (auto _ : ioState) {
    uint32_t theAcc;
    benchmark::DoNotOptimize(FindSegmentLinear(theCurve, theTime, 0, theAcc));
    theTime += 16;
    if (theTime >= (kLongKeys - 1) * 100) theTime = 0;
  }
}

}  // namespace

BENCHMARK(BM_Const);
BENCHMARK(BM_Sine);
BENCHMARK(BM_MultiLin4Keys);
BENCHMARK(BM_MultiBez4Keys);
BENCHMARK(BM_SqdGroup4Keys);
BENCHMARK(BM_CombiOfTwo);
BENCHMARK(BM_Beat);
BENCHMARK(BM_MultiLin10000KeysForward);
BENCHMARK(BM_MultiLin10000KeysRandom);
BENCHMARK(BM_LinearWalk10000KeysForward);
