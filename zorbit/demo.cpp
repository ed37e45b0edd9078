// Destroying the demo model.
//
// Every array, string and parameter record of the model is C heap memory
// (malloc/calloc) and is released with free(); code that builds records by
// hand must allocate them the same way. The surfaces themselves belong to the
// surface release of start-up; only the pointer arrays are freed here.
#include "demo.h"

#include <SDL.h>

#include <cstdlib>

#include "segmentindex.h"

namespace {

void DestroyLibrary(Library& ioLibrary) {
  for (uint32_t theF = 0; theF < ioLibrary.functionCount; ++theF) {
    LibraryFunction& theFunction = ioLibrary.functions[theF];
    free(theFunction.name);
    for (uint32_t theP = 0; theP < theFunction.paramNameCount; ++theP) free(theFunction.paramNames[theP]);
    free(theFunction.paramNames);
    theFunction = LibraryFunction{};
  }
  free(ioLibrary.functions);
  free(ioLibrary.fileName);
  if (ioLibrary.handle != nullptr) SDL_UnloadObject(ioLibrary.handle);
  ioLibrary = Library{};
}

void DestroyEvent(Event& ioEvent) {
  free(ioEvent.libraryFileName);
  free(ioEvent.functionName);
  if (ioEvent.params != nullptr) {
    for (uint32_t theP = 0; theP < ioEvent.paramCount; ++theP) {
      DestroyParam(ioEvent.params[theP], ioEvent.paramKinds != nullptr ? ioEvent.paramKinds[theP] : -1);
    }
  }
  free(ioEvent.params);
  free(ioEvent.paramKinds);
  ioEvent = Event{};
}

}  // namespace

void DestroyParam(ParamFunction* inParam, int32_t inKind) {
  if (inParam == nullptr) return;
  switch (inKind) {
    case PARAM_MULTI: {
      MultiParam* theMulti = static_cast<MultiParam*>(inParam);
      ForgetSegmentIndex(theMulti);
      free(theMulti->times);
      free(theMulti->values);
      free(theMulti);
      break;
    }
    case PARAM_COMBI: {
      CombiParam* theCombi = static_cast<CombiParam*>(inParam);
      DestroyParam(theCombi->first, theCombi->firstKind);
      DestroyParam(theCombi->second, theCombi->secondKind);
      free(theCombi);
      break;
    }
    case PARAM_CONST:
    case PARAM_SINE:
    case PARAM_BEAT:
      free(inParam);
      break;
    default:
      break;
  }
}

void DestroyDemo(Demo& ioDemo) {
  for (uint32_t theL = 0; theL < ioDemo.libraryCount; ++theL) DestroyLibrary(ioDemo.libraries[theL]);
  free(ioDemo.libraries);
  ioDemo.libraries = nullptr;
  ioDemo.libraryCount = 0;

  for (uint32_t theT = 0; theT < ioDemo.trackCount; ++theT) {
    Track& theTrack = ioDemo.tracks[theT];
    for (uint32_t theE = 0; theE < theTrack.eventCount; ++theE) DestroyEvent(theTrack.events[theE]);
    free(theTrack.events);
    theTrack = Track{};
  }
  free(ioDemo.tracks);
  free(ioDemo.musicFile);
  free(ioDemo.inputSurfaces);
  free(ioDemo.outputSurfaces);
  ioDemo = Demo{};
}
