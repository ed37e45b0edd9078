// A Shader event's program: the author's fragment shader, prepared by
// shadersource, linked with the plug-in's vertex shader of the same
// language version, and where its inputs are.
#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

#include "shadersource.h"

// Uniform locations; -1 where the program lacks the input or declares it
// with another type (then it is left unset).
struct ProgramInputs {
  GLint resolution = -1, time = -1, globalTime = -1, timeDelta = -1, frameRate = -1, frame = -1;
  GLint channelTime = -1, channelResolution = -1, mouse = -1, date = -1, sampleRate = -1;
  GLint channel[4] = {-1, -1, -1, -1};
  GLint param = -1, paramInt = -1, spectrum = -1, origin = -1;
};

// A uniform of the author's own bound to a value by a comment.
struct NamedValue {
  GLint location;
  int index;        // 0..19
  bool asInt;       // iParamInt: the value as it is; iParam: the value / 1000
  bool intUniform;  // an int uniform (else float)
};

struct ShaderProgram {
  GLuint program = 0;  // 0: none
  ProgramInputs inputs;
  std::vector<NamedValue> named;
};

// The vertex attribute of the full-screen quad, bound before every link.
constexpr GLuint kPositionAttribute = 0;

// Compiles inPrepared's source and links it. False with the driver's
// messages in outLog, in the author's numbering as inFileName:line:column
// lines; on success outLog holds the driver's warnings, if any, and
// outWarnings the inputs declared with another type and the value names
// that bind no float or int uniform. outProgram is only
// written on success.
bool BuildProgram(const shadersource::Prepared& inPrepared, const std::string& inFileName, ShaderProgram& outProgram,
                  std::string& outLog, std::vector<std::string>& outWarnings);
void DeleteProgram(ShaderProgram& ioProgram);

// Compiles and links a program of the plug-in's own (no author's lines);
// 0 with the driver's log in outLog on failure.
GLuint BuildOwnProgram(const char* inVertex, const char* inFragment, std::string& outLog);
