// shaders.so: GLSL fragment shaders drawn by the effect Shader, over the
// demo's letterboxed viewport or into named targets offered as TXTR.
//
//   Shader(file, target, output, width, height, opacity, blend, clock,
//          channel 0..3 as (source, name, sampling), values 0..19)
//
// The table of README.md says what each parameter means; the names below
// are the positions. Shaders run on the player's thread: a shader that never
// ends stalls the frame, on a software renderer as on a GPU.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

namespace shaderparam {
enum : int {
  kFile = 0,
  kTarget = 1,
  kOutput = 2,
  kWidth = 3,
  kHeight = 4,
  kOpacity = 5,
  kBlend = 6,
  kClock = 7,
  kChannels = 8,  // channel c: kChannels + 3c (source), + 1 (name), + 2 (sampling)
  kValues = 20,   // values 0..19
  kValueCount = 20,
  kCount = 40
};
}  // namespace shaderparam

enum ShaderOutput : int32_t { OUTPUT_VIEWPORT = 0, OUTPUT_TARGET = 1, OUTPUT_BOTH = 2 };
enum ShaderBlend : int32_t { BLEND_REPLACE = 0, BLEND_ALPHA = 1, BLEND_ADD = 2, BLEND_MULTIPLY = 3 };
enum ChannelSource : int32_t {
  SOURCE_NONE = 0,
  SOURCE_TEXTURE = 1,
  SOURCE_FRAME = 2,
  SOURCE_FEEDBACK = 3,
  SOURCE_BUFFER = 4,
  SOURCE_MUSIC = 5
};
enum ChannelSampling : int32_t {
  SAMPLE_NEAREST = 1,
  SAMPLE_MIPMAPS = 2,
  SAMPLE_REPEAT = 4,
  SAMPLE_AS_STORED = 8
};

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** inOutputSurfaces, SDL_Surface** inInputSurfaces, void** inHostTable);
ZORBIT_EXPORT bool Zorbit_Quit();
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t inValue);

ZORBIT_EXPORT bool Shader(FrameInfo* ioInfo, void** ioSlot, int32_t p0, int32_t p1, int32_t p2, int32_t p3,
                          int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8, int32_t p9, int32_t p10,
                          int32_t p11, int32_t p12, int32_t p13, int32_t p14, int32_t p15, int32_t p16, int32_t p17,
                          int32_t p18, int32_t p19, int32_t p20, int32_t p21, int32_t p22, int32_t p23, int32_t p24,
                          int32_t p25, int32_t p26, int32_t p27, int32_t p28, int32_t p29, int32_t p30, int32_t p31,
                          int32_t p32, int32_t p33, int32_t p34, int32_t p35, int32_t p36, int32_t p37, int32_t p38,
                          int32_t p39);
