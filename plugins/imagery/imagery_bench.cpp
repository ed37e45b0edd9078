// Producing a 1024 x 1024 PNG texture (decode, convert, pad, upload) against
// SDL_image decoding the same file alone. Run under an X server:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/imagery_bench
// The ratio of the two times is the figure to compare across machines.
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "tests/imagefiles.h"
#include "tests/imagerytest.h"

namespace {

const char kBigPng[] = "big.png";      // 1024 x 1024, no padding needed
const char kOddPng[] = "odd.png";      // 1000 x 1000, padded to 1024 x 1024

void WriteImages() {
  static bool theWritten = false;
  if (theWritten) return;
  ImageryHost();  // window, OpenGL context and working folder first
  WritePng(kBigPng, MakePatternImage(1024, 1024, true), true);
  WritePng(kOddPng, MakePatternImage(1000, 1000, true), true);
  theWritten = true;
}

void BM_DecodeWithSdlImage(benchmark::State& ioState, const char* inName) {
  WriteImages();
  for (auto _ : ioState) {
    SDL_RWops* theStream = SDL_RWFromFile(inName, "rb");
    SDL_Surface* theImage = IMG_Load_RW(theStream, 0);
    SDL_RWclose(theStream);
    benchmark::DoNotOptimize(theImage);
    SDL_FreeSurface(theImage);
  }
}

void BM_ProduceTexture(benchmark::State& ioState, const char* inName) {
  WriteImages();
  TestHost& theHost = ImageryHost();
  InitImagery();
  for (auto _ : ioState) {
    void* theRecord = theHost.Produce(KIND_TXTR, inName);
    glFinish();  // the upload is part of the cost
    benchmark::DoNotOptimize(theRecord);
    ioState.PauseTiming();
    QuitImagery();  // drops the texture, so the next produce loads it again
    InitImagery();
    ioState.ResumeTiming();
  }
  QuitImagery();
}

BENCHMARK_CAPTURE(BM_DecodeWithSdlImage, png_1024, kBigPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProduceTexture, png_1024, kBigPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeWithSdlImage, png_1000_padded, kOddPng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProduceTexture, png_1000_padded, kOddPng)->Unit(benchmark::kMillisecond);

}  // namespace
