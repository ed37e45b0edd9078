// Cost of building a font atlas against FreeType rendering the same 256
// characters alone, one by one as FT_Load_Char gives them (the baseline:
// compare the two in one run; BuildAtlas / FreeTypeRenderingAlone should stay
// at or below 1), and of laying out
// a 100-character line as a Font3D node. Nothing here needs OpenGL: the
// atlas upload is left out, and the node is built from an atlas without a
// texture.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <zorbit/codepage.h>
#include "font3d.h"
#include "fontatlas.h"

namespace {

const char* const kSerif = "/usr/share/fonts/truetype/freefont/FreeSerif.ttf";

struct Face {
  explicit Face(int32_t inSize) {
    FT_Init_FreeType(&library);
    FT_New_Face(library, kSerif, 0, &face);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(inSize));
  }
  ~Face() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

void FreeTypeRenderingAlone(benchmark::State& ioState) {
  Face theFace(int32_t(ioState.range(0)));
  for (auto _ : ioState) {
    for (int c = 0; c < 256; ++c) {
      FT_Load_Char(theFace.face, FT_ULong(codepage::ToUnicode(uint8_t(c))), FT_LOAD_RENDER);
      benchmark::DoNotOptimize(theFace.face->glyph->bitmap.buffer);
    }
  }
}
// 150: the showcase's title, whose atlas is 2048 x 4096.
BENCHMARK(FreeTypeRenderingAlone)->Arg(16)->Arg(32)->Arg(64)->Arg(150)->Unit(benchmark::kMicrosecond);

void BuildAtlas(benchmark::State& ioState) {
  const int32_t theSize = int32_t(ioState.range(0));
  Face theFace(theSize);
  auto theFont = std::make_unique<ResourceFont>();
  for (auto _ : ioState) {
    FontAtlas theAtlas;
    BuildFontAtlas(theFace.face, theSize, *theFont, theAtlas);
    benchmark::DoNotOptimize(theAtlas.pixels.data());
  }
  ioState.counters["atlas_texels"] = theFont->atlasWidth * theFont->atlasHeight;
}
BENCHMARK(BuildAtlas)->Arg(16)->Arg(32)->Arg(64)->Arg(150)->Unit(benchmark::kMicrosecond);

void Font3DOfA100CharacterLine(benchmark::State& ioState) {
  Face theFace(32);
  auto theFont = std::make_unique<ResourceFont>();
  FontAtlas theAtlas;
  BuildFontAtlas(theFace.face, 32, *theFont, theAtlas);
  std::string theLine;
  while (theLine.size() < 100) theLine += "The quick brown fox jumps over the lazy dog. ";
  theLine.resize(100);
  for (auto _ : ioState) {
    Font3D theNode(*theFont, theLine.c_str(), 255, 255, 255);
    benchmark::DoNotOptimize(theNode.GetVertices());
  }
}
BENCHMARK(Font3DOfA100CharacterLine)->Unit(benchmark::kMicrosecond);

}  // namespace
