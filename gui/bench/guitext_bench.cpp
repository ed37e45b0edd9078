// Text drawing cost against the one-time cost of rasterising a font: every
// glyph is rendered once into the atlas, so a line of text is only quads.
// Run under a display: xvfb-run -a build/bench/gui_bench
#include <GL/glew.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "guifactory.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>

namespace {

void EnsureWindow() {
  static bool theOpen = false;
  if (theOpen) return;
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(320, 240, 0, SDL_OPENGL) || glewInit() != GLEW_OK) {
    std::fprintf(stderr, "gui_bench needs an OpenGL display: %s\n", SDL_GetError());
    std::exit(1);
  }
  static OGLState theState(320, 240);
  MakeCurrent(&theState);
  SetProjection(0, 320, 240, 0, -1, 1, true);
  SetFactory(new OGLGUIFactory());
  theOpen = true;
}

const Buffer kLine("Select your screens aspect ratio:");

// Baseline: building (rasterising and uploading) one 16-pixel font.
void BM_BuildFont16(benchmark::State& ioState) {
  EnsureWindow();
  for (auto _ : ioState) {
    GUIFont* theFont = GetFactory()->CreateFont(Buffer("FreeSerif.ttf"), 16);
    glFinish();
    delete theFont;
  }
}
BENCHMARK(BM_BuildFont16)->Unit(benchmark::kMicrosecond);

// One 33-character line drawn through the atlas, finished on the GPU.
void BM_DrawTextLine(benchmark::State& ioState) {
  EnsureWindow();
  GUIFont* theFont = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  for (auto _ : ioState) {
    theFont->DrawText(10, 15, kLine, 0xFFFFFFFF, true, 0.0);
    glFinish();
  }
  GetFactory()->ReleaseCachedFont(theFont);
}
BENCHMARK(BM_DrawTextLine)->Unit(benchmark::kMicrosecond);

// Measuring the same line: pure table look-ups.
void BM_TextWidthLine(benchmark::State& ioState) {
  EnsureWindow();
  GUIFont* theFont = GetFactory()->AcquireCachedFont(Buffer("FreeSerif.ttf"), 16);
  for (auto _ : ioState) benchmark::DoNotOptimize(theFont->TextWidth(kLine, 0, -1));
  GetFactory()->ReleaseCachedFont(theFont);
}
BENCHMARK(BM_TextWidthLine);

}  // namespace
