// The demo model: plain records that hold one loaded demo.
//
// Every count is paired with a heap array of exactly that many elements;
// every string is a zero-terminated heap copy owned by the record holding
// it. Times are demo milliseconds. The loader fills the records; plug-in
// binding fills the library handles, entry points, effects and surfaces;
// the frame loop and parameter animation only read them.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

struct SDL_Surface;
struct SegmentIndex;

// Kinds of parameter description (Event::paramKinds, CombiParam kinds).
enum ParamKind : int32_t {
  PARAM_CONST = 0,  // ConstParam
  PARAM_SINE = 1,   // SineParam, type "sin"
  PARAM_MULTI = 2,  // MultiParam, type "multi" or no type
  PARAM_COMBI = 3,  // CombiParam, type "combi"
  PARAM_BEAT = 4,   // BeatParam, type "beat"
};

// Interpolation of a MultiParam.
enum Interpolation : uint32_t {
  INTERP_LIN = 0,  // "lin"
  INTERP_BEZ = 1,  // "bez"
  INTERP_SQD = 2,  // "sqd": quaternion keys, a group of four parameters
};

enum CombiOp : int32_t {
  COMBI_ADD = 0,
  COMBI_MUL = 1,  // product divided by 10000
};

// A parameter description; its layout depends on the kind that stands beside
// the pointer, never in the record itself.
struct ParamFunction {};

struct ConstParam : ParamFunction {
  int32_t value;
};

struct SineParam : ParamFunction {
  int32_t ampli;   // amplitude
  int32_t period;  // ms
  int32_t offset;  // ms, phase shift in time
  int32_t height;  // the value the wave swings around
};

struct MultiParam : ParamFunction {
  uint32_t segmentCount;  // 0 means a constant values[0]
  uint32_t interpol;      // Interpolation
  uint32_t* times;        // segmentCount durations, ms; the first segment begins at the event's start
  int32_t* values;        // segmentCount + 1 keys; values[i] at the start of segment i
  SegmentIndex* index;    // search data of a long curve (segmentindex.h), owned; null for short ones
};

struct CombiParam : ParamFunction {
  ParamFunction* first;   // owned
  ParamFunction* second;  // owned
  int32_t firstKind;
  int32_t secondKind;
  int32_t op;             // CombiOp
};

struct BeatParam : ParamFunction {
  int32_t id;   // NameTable number of the beat's name
  int32_t min;
  int32_t max;
};

struct Event {
  uint32_t paramCount;
  uint32_t startTime;      // ms, rounded down to a multiple of 10
  uint32_t endTime;        // ms, rounded down to a multiple of 10
  void* effect;            // bound effect function, null until matched
  char* libraryFileName;   // names the Library by its exact fileName
  char* functionName;      // names the function inside that library
  int32_t* paramKinds;     // paramCount ParamKind values; null when paramCount is 0
  ParamFunction** params;  // paramCount descriptions; null when paramCount is 0
};

struct Track {
  uint32_t eventCount;
  Event* events;  // in document order
};

struct LibraryFunction {
  uint32_t paramNameCount;
  void* entry;        // bound effect function, null until bound
  char* name;
  char** paramNames;  // paramNameCount names; null when there are none
};

struct Library {
  char* fileName;  // as written in the document, extension included
  uint32_t functionCount;
  LibraryFunction* functions;
  InitFunction init;
  BeginNewFrameFunction beginNewFrame;
  QuitFunction quit;
  UpdateParamFunction updateParam;  // null when the library does not export it
  void* handle;                     // SDL object handle, null when not loaded
};

struct Demo {
  uint32_t trackCount;
  Track* tracks;
  int32_t runningTime;  // ms
  bool useOpenGL;
  uint32_t inputSurfaceCount;
  SDL_Surface** inputSurfaces;
  uint32_t outputSurfaceCount;  // 2, set by start-up before the surfaces are made
  SDL_Surface** outputSurfaces;
  uint32_t libraryCount;
  Library* libraries;
  char* musicFile;  // null when the document names none
  int32_t aspectX;  // default 4
  int32_t aspectY;  // default 3
};

// Frees everything the demo owns and leaves it all zero. Libraries still
// loaded are unloaded; handles already cleared are not touched.
void DestroyDemo(Demo& ioDemo);
// Frees a parameter description by its kind; a kind outside 0 to 4 frees nothing.
void DestroyParam(ParamFunction* inParam, int32_t inKind);
