// Rebuild cost of the grid deformers per vertex, and the per-frame cost of a
// chain of constant deformers over a static grid, against a plain copy of
// the same vertices as the baseline.
//   build/bench/grids_bench
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <ctime>
#include <cstring>
#include <memory>
#include <vector>

#include "testhost.h"

namespace {

struct GridsFixture {
  explicit GridsFixture(int32_t inSize) {
    mHandle = mHost.Load("grids");
    mMake = dlsym(mHandle, "MakeGrid");
    mWave = dlsym(mHandle, "WaveGridZ");
    mTurn = dlsym(mHandle, "TurnPageGrid");
    mFlat = mHost.AddText("flat");
    Run(mMake, mFlatSlot, {mFlat, 1000, 1000, inSize, inSize}, PHASE_MAKE);
  }
  ~GridsFixture() {
    for (auto& [theEffect, theSlot] : mEnded) Run(theEffect, *theSlot, {0}, PHASE_DESTROY);
    Run(mMake, mFlatSlot, {mFlat}, PHASE_DESTROY);
    reinterpret_cast<QuitFunction>(dlsym(mHandle, "Zorbit_Quit"))();
  }
  bool Run(void* inEffect, void*& ioSlot, const std::vector<int32_t>& inParams, int32_t inPhase = PHASE_RUN) {
    FrameInfo theInfo = MakeInfo(inPhase);
    return CallEffect(inEffect, theInfo, &ioSlot, inParams);
  }
  // Starts an event whose slot the fixture ends on destruction.
  void*& Start(void* inEffect, const std::vector<int32_t>& inParams) {
    mSlots.push_back(std::make_unique<void*>(nullptr));
    void*& theSlot = *mSlots.back();
    Run(inEffect, theSlot, inParams, PHASE_MAKE);
    mEnded.emplace_back(inEffect, &theSlot);
    return theSlot;
  }
  const Grid* Find(const char* inName) { return static_cast<const Grid*>(mHost.Produce(KIND_GRID, inName)); }

  TestHost mHost;
  void* mHandle = nullptr;
  void *mMake = nullptr, *mWave = nullptr, *mTurn = nullptr;
  int32_t mFlat = 0;
  void* mFlatSlot = nullptr;
  std::vector<std::unique_ptr<void*>> mSlots;
  std::vector<std::pair<void*, void**>> mEnded;
};

// CPU ns per vertex over the whole timed loop (CPU time, so that other
// processes on a shared machine do not count).
class PerVertex {
 public:
  explicit PerVertex(int64_t inVertices) : mVertices(inVertices), mStartNs(CpuNs()) {}
  void Report(benchmark::State& ioState) const {
    ioState.counters["ns_per_vertex"] = (CpuNs() - mStartNs) / (double(ioState.iterations()) * mVertices);
  }

 private:
  static double CpuNs() {
    timespec theTime{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &theTime);
    return theTime.tv_sec * 1e9 + theTime.tv_nsec;
  }
  int64_t mVertices;
  double mStartNs;
};

void BM_CopyVertices(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  GridsFixture theFixture(theSize);
  const Grid* theGrid = theFixture.Find("flat");
  std::vector<float> theCopy(size_t(theSize) * theSize * 3);
  const PerVertex thePerVertex(int64_t(theSize) * theSize);
  for (auto _ : ioState) {
    std::memcpy(theCopy.data(), theGrid->vertices, theCopy.size() * sizeof(float));
    benchmark::ClobberMemory();
  }
  thePerVertex.Report(ioState);
}
BENCHMARK(BM_CopyVertices)->Arg(256);

void BM_WaveRebuild(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  GridsFixture theFixture(theSize);
  const int32_t theOut = theFixture.mHost.AddText("wave");
  void*& theSlot = theFixture.Start(theFixture.mWave, {theOut, theFixture.mFlat, 0, 3, 10, 0, 2, 10, 0});
  int32_t thePhase = 0;
  const PerVertex thePerVertex(int64_t(theSize) * theSize);
  for (auto _ : ioState) {
    // A new phase every frame forces a rebuild.
    theFixture.Run(theFixture.mWave, theSlot, {theOut, theFixture.mFlat, 0, 3, 10, ++thePhase, 2, 10, 0});
  }
  thePerVertex.Report(ioState);
}
BENCHMARK(BM_WaveRebuild)->Arg(256);

void BM_TurnPageRebuild(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  GridsFixture theFixture(theSize);
  const int32_t theOut = theFixture.mHost.AddText("page");
  void*& theSlot = theFixture.Start(theFixture.mTurn, {theOut, theFixture.mFlat, 0, 0});
  int32_t theTurn = 0;
  const PerVertex thePerVertex(int64_t(theSize) * theSize);
  for (auto _ : ioState) {
    theTurn = (theTurn + 997) % 100000;
    theFixture.Run(theFixture.mTurn, theSlot, {theOut, theFixture.mFlat, theTurn, 300});
  }
  thePerVertex.Report(ioState);
}
BENCHMARK(BM_TurnPageRebuild)->Arg(256);

// The same over a source whose rows all differ (a row wave), so that every
// row needs a curve of its own.
void BM_TurnPageRebuildWavedRows(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  GridsFixture theFixture(theSize);
  const int32_t theRows = theFixture.mHost.AddText("rows"), theOut = theFixture.mHost.AddText("page");
  theFixture.Start(theFixture.mWave, {theRows, theFixture.mFlat, 0, 0, 0, 0, 3, 10, 0});
  void*& theSlot = theFixture.Start(theFixture.mTurn, {theOut, theRows, 0, 0});
  int32_t theTurn = 0;
  const PerVertex thePerVertex(int64_t(theSize) * theSize);
  for (auto _ : ioState) {
    theTurn = (theTurn + 997) % 100000;
    theFixture.Run(theFixture.mTurn, theSlot, {theOut, theRows, theTurn, 300});
  }
  thePerVertex.Report(ioState);
}
BENCHMARK(BM_TurnPageRebuildWavedRows)->Arg(256);

// Three constant deformers over a static grid: one frame of the chain.
void BM_ConstantChainFrame(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  GridsFixture theFixture(theSize);
  TestHost& theHost = theFixture.mHost;
  const int32_t a = theHost.AddText("a"), b = theHost.AddText("b"), c = theHost.AddText("c");
  const std::vector<int32_t> theFirst = {a, theFixture.mFlat, 0, 3, 10, 0, 2, 10, 0};
  const std::vector<int32_t> theSecond = {b, a, 40000, 200};
  const std::vector<int32_t> theThird = {c, b, 0, 1, 5, 0, 0, 0, 0};
  void*& theSlotA = theFixture.Start(theFixture.mWave, theFirst);
  void*& theSlotB = theFixture.Start(theFixture.mTurn, theSecond);
  void*& theSlotC = theFixture.Start(theFixture.mWave, theThird);
  for (auto _ : ioState) {
    theFixture.Run(theFixture.mWave, theSlotA, theFirst);
    theFixture.Run(theFixture.mTurn, theSlotB, theSecond);
    theFixture.Run(theFixture.mWave, theSlotC, theThird);
  }
}
BENCHMARK(BM_ConstantChainFrame)->Arg(16)->Arg(256)->Arg(1024);

}  // namespace
