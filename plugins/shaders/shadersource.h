// The source a driver compiles, made from the text an author wrote, and the
// driver's messages turned back into the author's file and line numbers.
// Free of OpenGL and of the host: shaders.so and zorbit-check both use it.
//
// An author's file is either Shadertoy's dialect (a mainImage, no main, no
// #version) or a fragment shader of its own (#version none, 100, 110 ...
// 450, "300 es", with its own main). Prepare adds after the version line the
// inputs the file does not declare itself, a main that calls mainImage when
// there is none, and #line directives so that every line of the author's
// keeps its number: messages about the author's lines carry source string 0,
// messages about the added lines source string 1.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace shadersource {

// Larger files are refused: no fragment shader is a megabyte of text.
constexpr size_t kMaxFileBytes = 1024 * 1024;

// An input the player gives every shader, with its GLSL type; arraySize 0
// for a single value.
struct Input {
  const char* name;
  const char* type;
  int arraySize;
};
// Every input in a fixed order: iResolution, iTime, iGlobalTime,
// iTimeDelta, iFrameRate, iFrame, iChannelTime, iChannelResolution, iMouse,
// iDate, iSampleRate, iChannel0..3, iParam, iParamInt, iSpectrum (the
// float spectra of the first music channel).
const std::vector<Input>& Inputs();

// An input the author's file declares itself (a global of that name, a
// function or a #define of it).
struct Declared {
  std::string name;
  std::string type;  // the type as written ("vec2"); empty for a #define or a function
  int arraySize;     // 0 single, -1 unsized or not a number, else the size
  int line;          // the author's line
};

// A uniform of the author's own that a comment on its line binds to one
// of the event's values: "uniform float speed;  // iParam[3]" gets value 3
// / 1000, "uniform int count; // iParamInt[4]" value 4 as it is.
struct ValueName {
  std::string name;
  std::string type;  // "float", "int", ...
  int index;         // 0..19
  bool asInt;        // iParamInt: the value as it is; iParam: the value / 1000
  int line;
};

// What a file says about itself.
struct Analysis {
  int version = 0;       // 0: no #version line; else 100, 110 ... 450
  bool es = false;       // "#version 100" and "#version 300 es"
  int versionLine = 0;   // the author's line of #version; 0 when none
  bool hasMain = false;
  bool hasMainImage = false;
  int mainImageLine = 0;
  std::vector<Declared> declared;
  std::vector<ValueName> valueNames;
};

struct Options {
  // The version given to a file of Shadertoy's dialect without #version.
  // 330 is the desktop version whose language is closest to WebGL 2's.
  int dialectVersion = 330;
};

// The result of Prepare. When error is not empty the file cannot be used and
// source is empty; warnings are the file's own doubtful points (an input
// declared with another type than the player's), each "line: text".
struct Prepared {
  Analysis analysis;
  std::string source;
  std::string error;
  std::vector<std::string> warnings;
  int effectiveVersion = 0;  // the version the driver compiles
  bool effectiveEs = false;
  int insertAfterLine = 0;   // the author's line after which the inputs come
  int addedMainLine = 0;     // first line of the added main in source string 1; 0 when none
};

// Builds the driver's source from the author's text. Refuses (error set)
// empty, binary (a NUL byte) and oversized texts, and a file with neither
// main nor mainImage.
Prepared Prepare(const std::string& inText, const Options& inOptions = Options());

// The driver's info log as "file:line:column: message" lines (or
// "file:line: message" when the driver gives no column), in the author's
// numbering; a line about the added inputs points at the line after which
// they come, one about the added main at the line of mainImage. Lines the
// parser does not recognise come out as "file: text". Empty lines are dropped;
// every line ends in '\n'.
std::string MapLog(const std::string& inLog, const std::string& inFileName, const Prepared& inPrepared);

// The analysis alone, for tools that only report.
Analysis Analyse(const std::string& inText);

}  // namespace shadersource
