// zorbit-info DEMO.xml: loads a demo description with the player's loader
// and prints what the player would play. Exits 1 with the loader's message
// when the document is rejected.
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "demo.h"
#include "infonames.h"
#include "nametable.h"
#include "programinfo.h"
#include "shaderevents.h"
#include "tempotool.h"
#include "timelinetool.h"
#include "zorbitloader.h"

namespace {

const unsigned kKeysShown = 8;  // keys of a curve listed before "... more"

std::string Format(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* inFormat, ...) {
  char theText[512];
  va_list theArgs;
  va_start(theArgs, inFormat);
  vsnprintf(theText, sizeof theText, inFormat, theArgs);
  va_end(theArgs);
  return theText;
}

std::string TextName(const NameTable& inNames, int32_t inIndex) {
  const char* theText = GetNameFrom(inNames, inIndex);
  return theText != nullptr ? Format("\"%s\" (text %d)", codepage::ForTerminal(theText).c_str(), inIndex) : Format("text %d, which does not exist", inIndex);
}

const char* InterpolationName(uint32_t inInterpol) {
  switch (inInterpol) {
    case INTERP_LIN: return "linear";
    case INTERP_BEZ: return "smooth (bez)";
    case INTERP_SQD: return "quaternion (sqd)";
    default: return "unknown";
  }
}

std::string Describe(int32_t inKind, const ParamFunction* inParam, const NameTable& inNames) {
  if (inParam == nullptr) return "nothing";
  switch (inKind) {
    case PARAM_CONST:
      return Format("constant %d", static_cast<const ConstParam*>(inParam)->value);
    case PARAM_SINE: {
      const SineParam& theSine = *static_cast<const SineParam*>(inParam);
      return Format("sine around %d, amplitude %d, period %d ms, shifted %d ms", theSine.height, theSine.ampli,
                    theSine.period, theSine.offset);
    }
    case PARAM_MULTI: {
      const MultiParam& theMulti = *static_cast<const MultiParam*>(inParam);
      if (theMulti.segmentCount == 0) return Format("constant %d (curve without segments)", theMulti.values[0]);
      std::string theText = Format("%s curve from %d", InterpolationName(theMulti.interpol), theMulti.values[0]);
      uint64_t theAt = 0;
      for (uint32_t theS = 0; theS < theMulti.segmentCount; ++theS) {
        theAt += theMulti.times[theS];
        if (theS == kKeysShown) {
          theText += Format(", ... %u more keys", theMulti.segmentCount - kKeysShown);
          break;
        }
        theText += Format(", to %d at +%llu ms", theMulti.values[theS + 1], static_cast<unsigned long long>(theAt));
      }
      return theText;
    }
    case PARAM_COMBI: {
      const CombiParam& theCombi = *static_cast<const CombiParam*>(inParam);
      const char* theOp = theCombi.op == COMBI_ADD ? "sum" : theCombi.op == COMBI_MUL ? "product / 10000" : "?";
      return Format("%s of (", theOp) + Describe(theCombi.firstKind, theCombi.first, inNames) + ") and (" +
             Describe(theCombi.secondKind, theCombi.second, inNames) + ")";
    }
    case PARAM_BEAT: {
      const BeatParam& theBeat = *static_cast<const BeatParam*>(inParam);
      return "beat " + TextName(inNames, theBeat.id) + Format(": %d + %d x level", theBeat.min, theBeat.max);
    }
    default:
      return Format("unknown kind %d (gives 0)", inKind);
  }
}

// True when a library of that file name declares the event's function; the
// player matches events to functions the same way (exact names).
bool IsDeclared(const Demo& inDemo, const Event& inEvent) {
  for (uint32_t theL = 0; theL < inDemo.libraryCount; ++theL) {
    const Library& theLibrary = inDemo.libraries[theL];
    if (strcmp(theLibrary.fileName, inEvent.libraryFileName) != 0) continue;
    for (uint32_t theF = 0; theF < theLibrary.functionCount; ++theF) {
      if (strcmp(theLibrary.functions[theF].name, inEvent.functionName) == 0) return true;
    }
  }
  return false;
}

void Print(const Demo& inDemo, const NameTable& inNames, InfoNames& ioNamed) {
  printf("Settings\n");
  printf("  running time: %d ms\n", inDemo.runningTime);
  printf("  OpenGL: %s\n", inDemo.useOpenGL ? "yes" : "no");
  printf("  input surfaces: %u\n", inDemo.inputSurfaceCount);
  printf("  music: %s\n", inDemo.musicFile != nullptr ? codepage::ForTerminal(inDemo.musicFile).c_str() : "none");
  printf("  aspect ratio: %d:%d\n", inDemo.aspectX, inDemo.aspectY);

  printf("Libraries: %u\n", inDemo.libraryCount);
  for (uint32_t theL = 0; theL < inDemo.libraryCount; ++theL) {
    const Library& theLibrary = inDemo.libraries[theL];
    printf("  %s\n", codepage::ForTerminal(theLibrary.fileName).c_str());
    const std::string theNote = ioNamed.LibraryNote(theLibrary);
    if (!theNote.empty()) printf("    note: %s\n", theNote.c_str());
    for (uint32_t theF = 0; theF < theLibrary.functionCount; ++theF) {
      const LibraryFunction& theFunction = theLibrary.functions[theF];
      printf("    %s(", codepage::ForTerminal(theFunction.name).c_str());
      for (uint32_t theP = 0; theP < theFunction.paramNameCount; ++theP) {
        printf("%s%s", theP > 0 ? ", " : "", codepage::ForTerminal(theFunction.paramNames[theP]).c_str());
      }
      printf(")\n");
    }
  }

  printf("Tracks: %u\n", inDemo.trackCount);
  for (uint32_t theT = 0; theT < inDemo.trackCount; ++theT) {
    const Track& theTrack = inDemo.tracks[theT];
    printf("  Track %u: %u event%s\n", theT, theTrack.eventCount, theTrack.eventCount == 1 ? "" : "s");
    for (uint32_t theE = 0; theE < theTrack.eventCount; ++theE) {
      const Event& theEvent = theTrack.events[theE];
      printf("    Event %u: %u ms to %u ms (%u ms), %s in %s, %u param%s\n", theE, theEvent.startTime,
             theEvent.endTime, theEvent.endTime - theEvent.startTime, codepage::ForTerminal(theEvent.functionName).c_str(),
             codepage::ForTerminal(theEvent.libraryFileName).c_str(), theEvent.paramCount, theEvent.paramCount == 1 ? "" : "s");
      if (!IsDeclared(inDemo, theEvent)) printf("      note: no Library element declares this function\n");
      if (theEvent.paramCount > ZORBIT_MAX_PARAMS) {
        printf("      note: more than %d values, the player never calls this event\n", int(ZORBIT_MAX_PARAMS));
      }
      for (uint32_t theP = 0; theP < theEvent.paramCount; ++theP) {
        const std::string theRaw = Describe(theEvent.paramKinds[theP], theEvent.params[theP], inNames);
        const std::string theNamed = ioNamed.Named(theEvent, theP);
        if (theNamed.empty()) printf("      %u: %s\n", theP, theRaw.c_str());
        else printf("      %u: %s (%s)\n", theP, theNamed.c_str(), theRaw.c_str());
      }
      if (IsShaderEvent(theEvent))
        for (const std::string& theLine : DescribeShaderEvent(ReadShaderEvent(theEvent, theT, theE), inNames))
          printf("      %s\n", theLine.c_str());
    }
  }

  printf("Texts: %d\n", inNames.count);
  for (int32_t theI = 0; theI < inNames.count; ++theI) printf("  %d: \"%s\"\n", theI, codepage::ForTerminal(inNames.texts[theI]).c_str());
}

void Usage() {
  printf("Usage: zorbit-info DEMO.xml\n"
         "Loads a demo document with the player's own loader and prints what the player\n"
         "would play: settings, libraries and their functions, tracks, events with every\n"
         "parameter, and the texts. Parameters of plug-ins that describe them are given by\n"
         "name and in their units (the plug-ins are looked for, and loaded, as the player does).\n"
         "Exit status: 0 when the document loads, 1 when the loader rejects it (its\n"
         "message goes to standard error), 2 on bad usage.\n"
         "\n"
         "\n"
         "Pictures: zorbit-info --timeline OUT [--from MS] [--to MS] [--width PX] [--bpm N] DEMO.xml\n"
         "          zorbit-info --plot TRACK.EVENT:PARAM OUT DEMO.xml\n"
         "%s"
         "\n"
         "Tempo:    zorbit-info --tempo DEMO.xml\n"
         "%s"
         "  --help      print this help and exit\n"
         "  --version   print the version and exit\n", PictureHelp(), TempoHelp());
}

}  // namespace

int main(int argc, char** argv) {
  if (WantsPicture(argc, argv)) return RunPictureTool(argc, argv);
  if (WantsTempo(argc, argv)) return RunTempoTool(argc, argv);
  const char* theFile = nullptr;
  bool theOptionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string theArg = argv[i];
    if (!theOptionsEnded && theArg == "--") {
      theOptionsEnded = true;
    } else if (!theOptionsEnded && (theArg == "--help" || theArg == "-h")) {
      Usage();
      return 0;
    } else if (!theOptionsEnded && theArg == "--version") {
      PrintVersion("zorbit-info");
      return 0;
    } else if (!theOptionsEnded && theArg.size() > 1 && theArg[0] == '-') {
      return UsageError("zorbit-info", "unknown option '" + theArg + "'");
    } else if (theFile != nullptr) {
      return UsageError("zorbit-info", "one demo document at a time");
    } else {
      theFile = argv[i];
    }
  }
  if (theFile == nullptr) return UsageError("zorbit-info", "which demo document? (zorbit-info DEMO.xml)");
  setlocale(LC_ALL, "");  // the terminal's code page, for showing texts
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  try {
    LoadDemo(theFile, theDemo, theNames);
  } catch (const BasicException& inFailure) {
    fprintf(stderr, "zorbit-info: %s\n", inFailure.GetMessage());
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
    return 1;
  }
  printf("Demo %s\n", theFile);
  InfoNames theNamed(theFile, theNames);
  Print(theDemo, theNames, theNamed);
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  return 0;
}
