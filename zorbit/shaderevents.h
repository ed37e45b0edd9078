// The Shader events of a demo (the effect `Shader` of shaders.so), read the
// way the plug-in reads its parameters, for the tools that show and check
// them: zorbit-info prints them in words, zorbit-check compiles their files.
// Free of any host or OpenGL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo.h"
#include "nametable.h"

// Positions in the Shader parameter table (plugins/shaders/README.md).
enum ShaderParam : uint32_t {
  SHADER_FILE = 0,      // text number of the fragment shader file, relative to the demo
  SHADER_TARGET = 1,    // text number naming the event's picture; negative: unnamed
  SHADER_OUTPUT = 2,    // 0 the viewport, 1 the target only, 2 both
  SHADER_WIDTH = 3,     // target size in pixels; 0: the viewport's
  SHADER_HEIGHT = 4,
  SHADER_OPACITY = 5,   // 0..255
  SHADER_BLEND = 6,     // 0 replace, 1 alpha, 2 add, 3 multiply
  SHADER_CLOCK = 7,     // 0 iTime from the event's start, 1 the demo time
  SHADER_CHANNEL0 = 8,  // source, name, sampling; channel k at 8 + 3k
  SHADER_CHANNEL_COUNT = 4,
  SHADER_VALUE0 = 20,   // iParam[k] = value / 1000 and iParamInt[k], k = 0..19
};

enum ShaderSource : int32_t {
  SOURCE_NONE = 0,
  SOURCE_TEXTURE = 1,   // a TXTR resource by name (an image file through imagery.so, or any TXTR)
  SOURCE_FRAME = 2,     // the frame the higher tracks drew so far
  SOURCE_FEEDBACK = 3,  // this event's own previous frame
  SOURCE_BUFFER = 4,    // another Shader's target by name
  SOURCE_MUSIC = 5,     // the music, as Shadertoy's 512 x 2 texture
};

enum ShaderSampling : int32_t {
  SAMPLING_NEAREST = 1,
  SAMPLING_MIPMAPS = 2,
  SAMPLING_REPEAT = 4,
  SAMPLING_AS_STORED = 8,  // rows as stored, without Shadertoy's flip
};

struct ShaderChannel {
  int32_t source;
  int32_t name;  // text number, for SOURCE_TEXTURE and SOURCE_BUFFER
  int32_t sampling;
};

struct ShaderEvent {
  uint32_t track;  // index of the track, from 0
  uint32_t event;  // index of the event within its track, from 0
  const Event* at;
  // Parameters at the event's start time; a parameter the event does not
  // give is 0, as the plug-in reads it.
  int32_t file, target, output, width, height, opacity, blend, clock;
  ShaderChannel channels[SHADER_CHANNEL_COUNT];
  bool varies;          // the file, target, output, size, clock or a channel moves during the event
  bool opacityVaries;   // the opacity or the blend moves (a fade)
};

// True for an event of the function "Shader" in a library file whose name,
// without folders and extension, is "shaders" (or its debug build "shadersDBG").
bool IsShaderEvent(const Event& inEvent);

// The parameters of a Shader event at its start time.
ShaderEvent ReadShaderEvent(const Event& inEvent, uint32_t inTrack, uint32_t inIndex);

// Every Shader event of the demo, by track and then by event.
std::vector<ShaderEvent> FindShaderEvents(const Demo& inDemo);

// The channel in words: "the frame drawn so far by the higher tracks, nearest".
// Empty for a channel without a source.
std::string DescribeChannel(const ShaderChannel& inChannel, const NameTable& inNames);

// The event in lines of words: the file, where it draws, then each channel
// that has a source.
std::vector<std::string> DescribeShaderEvent(const ShaderEvent& inShader, const NameTable& inNames);
