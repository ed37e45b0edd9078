// Bezier sampling and oval building against hand-written baselines measured
// in the same run: compare the times of each pair, not absolute figures.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include <zorbit/lattice/bezier.h>
#include <zorbit/lattice/flatoval3d.h>

namespace {

const float kControl[12] = {0, 0, 0, 30, 0, 5, 80, 0, 40, 100, 0, 10};

// Baseline: the cubic written out, the least work a cubic sample can take.
void CubicBaseline(const float* inControl, int inCount, float* outPoints) {
  for (int s = 0; s < inCount; ++s) {
    const float u = inCount > 1 ? float(s) / float(inCount - 1) : 0.0f, v = 1.0f - u;
    const float b0 = v * v * v, b1 = 3 * u * v * v, b2 = 3 * u * u * v, b3 = u * u * u;
    for (int d = 0; d < 3; ++d)
      outPoints[s * 3 + d] =
          b0 * inControl[d] + b1 * inControl[3 + d] + b2 * inControl[6 + d] + b3 * inControl[9 + d];
  }
}

void BM_CubicBaseline(benchmark::State& ioState) {
  const int theCount = int(ioState.range(0));
  std::vector<float> theOut(size_t(theCount) * 3);
  for (auto _ : ioState) {
    CubicBaseline(kControl, theCount, theOut.data());
    benchmark::DoNotOptimize(theOut.data());
  }
  ioState.SetItemsProcessed(ioState.iterations() * theCount);
}
BENCHMARK(BM_CubicBaseline)->Arg(16)->Arg(128);

void BM_GetBezier3D(benchmark::State& ioState) {
  const int theCount = int(ioState.range(0));
  std::vector<float> theOut(size_t(theCount) * 3);
  for (auto _ : ioState) {
    Get_Bezier3D(kControl, 3, 4, theCount, theOut.data(), 3);
    benchmark::DoNotOptimize(theOut.data());
  }
  ioState.SetItemsProcessed(ioState.iterations() * theCount);
}
BENCHMARK(BM_GetBezier3D)->Arg(16)->Arg(128);

// Baseline: a plain ellipse fan of the same size (no roundness power).
void BM_EllipseBaseline(benchmark::State& ioState) {
  for (auto _ : ioState) {
    std::vector<float> theVertices(62 * 3);
    for (int i = 0; i <= 60; ++i) {
      const double a = 2.0 * M_PI * (i % 60) / 60.0;
      theVertices[(i + 1) * 3] = float(40 * std::cos(a));
      theVertices[(i + 1) * 3 + 1] = float(20 * std::sin(a));
    }
    benchmark::DoNotOptimize(theVertices.data());
  }
}
BENCHMARK(BM_EllipseBaseline);

void BM_FlatOval3D(benchmark::State& ioState) {
  for (auto _ : ioState) {
    FlatOval3D theOval(40, 20, 15, 0.8f, 0xFFFFFFFFu);
    benchmark::DoNotOptimize(theOval.GetVertices());
  }
}
BENCHMARK(BM_FlatOval3D);

}  // namespace
