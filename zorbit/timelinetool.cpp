#include "timelinetool.h"

#include <cairo.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "demo.h"
#include "nametable.h"
#include "programinfo.h"
#include "timeline.h"
#include "timelinedescribe.h"
#include "timelineplot.h"
#include "timelinewave.h"
#include "zorbitloader.h"

namespace {

const char* const kProgram = "zorbit-info";
const int kTallest = 32000;  // pixels: cairo's pictures end at 32767

struct PictureRequest {
  std::string demoPath;
  std::string outPath;
  bool plot = false;
  PlotTarget target;
  TimelineOptions timeline;
  bool widthGiven = false;
  bool fromGiven = false;
};

bool ReadNumber(const char* inText, uint64_t inMin, uint64_t inMax, uint64_t& outValue) {
  if (inText == nullptr || *inText == 0 || std::strlen(inText) > 12) return false;
  uint64_t theValue = 0;
  for (const char* p = inText; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return false;
    theValue = theValue * 10 + uint64_t(*p - '0');
  }
  if (theValue < inMin || theValue > inMax) return false;
  outValue = theValue;
  return true;
}

// 0 when the request is whole, else the exit status of the usage error said.
int ParseRequest(int argc, char** argv, PictureRequest& outRequest) {
  bool theTimeline = false;
  std::vector<std::string> thePositional;
  for (int i = 1; i < argc; ++i) {
    const std::string theArg = argv[i];
    const bool theHasValue = i + 1 < argc;
    const char* theNext = theHasValue ? argv[i + 1] : nullptr;
    auto theBad = [&](const std::string& inWants) {
      return UsageError(kProgram, theArg + " wants " + inWants + (theHasValue ? std::string(", not '") + theNext + "'" : ""));
    };
    uint64_t theValue = 0;
    if (theArg == "--timeline") {
      if (!theHasValue || *theNext == 0) return theBad("an output file (.svg, .png or .pdf)");
      theTimeline = true;
      outRequest.outPath = argv[++i];
    } else if (theArg == "--plot") {
      if (!theHasValue || !ParsePlotTarget(theNext, outRequest.target))
        return theBad("TRACK.EVENT:PARAM, numbered as zorbit-info prints them (2.0:5)");
      if (i + 2 >= argc) return UsageError(kProgram, "--plot wants an output file after " + std::string(theNext));
      outRequest.plot = true;
      outRequest.outPath = argv[i + 2];
      i += 2;
    } else if (theArg == "--from" || theArg == "--to") {
      if (!theHasValue || !ReadNumber(theNext, 0, UINT32_MAX, theValue)) return theBad("a time in milliseconds");
      if (theArg == "--from") {
        outRequest.timeline.fromMs = uint32_t(theValue);
        outRequest.fromGiven = true;
      } else {
        outRequest.timeline.toMs = uint32_t(theValue);
        outRequest.timeline.toGiven = true;
      }
      ++i;
    } else if (theArg == "--width") {
      if (!theHasValue || !ReadNumber(theNext, 320, 16384, theValue)) return theBad("a width from 320 to 16384 pixels");
      outRequest.timeline.width = int(theValue);
      outRequest.widthGiven = true;
      ++i;
    } else if (theArg == "--bpm") {
      if (!theHasValue || !ReadNumber(theNext, 1, 1000, theValue)) return theBad("beats a minute, 1 to 1000");
      outRequest.timeline.bpm = uint32_t(theValue);
      ++i;
    } else if (theArg.size() > 1 && theArg[0] == '-') {
      return UsageError(kProgram, "unknown option '" + theArg + "'");
    } else {
      thePositional.push_back(theArg);
    }
  }
  if (theTimeline == outRequest.plot) return UsageError(kProgram, "--timeline or --plot, one of them");
  if (thePositional.size() != 1) return UsageError(kProgram, "which demo document? (zorbit-info --timeline OUT DEMO.xml)");
  outRequest.demoPath = thePositional[0];
  if (FormatOfPath(outRequest.outPath) == PictureFormat::kUnknown)
    return UsageError(kProgram, "the picture's name ends in .svg, .png or .pdf, not '" + outRequest.outPath + "'");
  if (outRequest.plot && (outRequest.fromGiven || outRequest.timeline.toGiven))
    return UsageError(kProgram, "--from and --to go with --timeline; --plot shows its event's whole time");
  if (outRequest.timeline.toGiven && outRequest.timeline.toMs <= outRequest.timeline.fromMs)
    return UsageError(kProgram, "--to (" + std::to_string(outRequest.timeline.toMs) + ") must lie after --from (" +
                                    std::to_string(outRequest.timeline.fromMs) + ")");
  return 0;
}

std::string Folder(const std::string& inPath) {
  const size_t theSlash = inPath.rfind('/');
  return theSlash == std::string::npos ? std::string(".") : inPath.substr(0, theSlash);
}

Waveform MusicOf(const Demo& inDemo, const std::string& inDemoPath, const TimeAxis& inAxis) {
  if (inDemo.musicFile == nullptr) return Waveform{{}, {}, "the document names no music"};
  const std::string theMusic = codepage::ToUtf8(inDemo.musicFile);
  return ReadWaveform(theMusic.size() > 0 && theMusic[0] == '/' ? theMusic : Folder(inDemoPath) + "/" + theMusic, inAxis);
}

bool Write(PictureRequest inRequest, const Demo& inDemo, const NameTable& inNames, std::string& outError) {
  const PictureFormat theFormat = FormatOfPath(inRequest.outPath);
  DescribedSenses theSenses(inRequest.demoPath);
  inRequest.timeline.senses = &theSenses;
  if (inRequest.plot) {
    const PlotLayout theLayout = LayOutPlot(inDemo, inNames, inRequest.target, inRequest.widthGiven ? inRequest.timeline.width : 1200,
                                            inRequest.timeline.bpm, inRequest.timeline.senses);
    auto thePicture = PictureFile::Make(theFormat, inRequest.outPath, theLayout.width, theLayout.height);
    PaintPlot(theLayout, thePicture->GetCanvas());
    return thePicture->Finish(outError);
  }
  const Waveform theWave = MusicOf(inDemo, inRequest.demoPath, TimelineAxis(inDemo, inRequest.timeline));
  const TimelineLayout theLayout = LayOutTimeline(inDemo, inNames, inRequest.timeline, theWave);
  if (theLayout.height > kTallest) {
    outError = "the timeline would be " + std::to_string(theLayout.height) + " pixels high (" +
               std::to_string(theLayout.rows.size()) + " tracks), more than a picture holds; nothing was written";
    return false;
  }
  auto thePicture = PictureFile::Make(theFormat, inRequest.outPath, theLayout.width, theLayout.height, TimelineRootData(theLayout));
  PaintTimeline(theLayout, thePicture->GetCanvas());
  return thePicture->Finish(outError);
}

}  // namespace

bool WantsPicture(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string theArg = argv[i];
    if (theArg == "--") return false;
    if (theArg == "--help" || theArg == "-h" || theArg == "--version") return false;
    for (const char* theOption : {"--timeline", "--plot", "--from", "--to", "--width", "--bpm"})
      if (theArg == theOption) return true;
  }
  return false;
}

const char* PictureHelp() {
  return "  --timeline OUT  draw the demo's timeline into OUT (.svg, .png or .pdf): tracks as\n"
         "                  rows, events as bars, parameter curves, beats and the music\n"
         "  --from MS       the timeline from this demo time (default 0)\n"
         "  --to MS         ... to this one (default: the running time)\n"
         "  --width PX      the picture's width (default 1920; --plot 1200)\n"
         "  --bpm N         the ruler in bars of four beats at N beats a minute\n"
         "  --plot TRACK.EVENT:PARAM OUT\n"
         "                  draw one parameter of one event (numbered as printed) into OUT\n";
}

int RunPictureTool(int argc, char** argv) {
  PictureRequest theRequest;
  if (const int theUsage = ParseRequest(argc, argv, theRequest)) return theUsage;
  setlocale(LC_ALL, "");
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  int theStatus = 0;
  try {
    LoadDemo(theRequest.demoPath.c_str(), theDemo, theNames);
    const std::string theProblem = theRequest.plot ? CheckPlotTarget(theDemo, theRequest.target) : std::string();
    std::string theError;
    if (!theProblem.empty()) {
      fprintf(stderr, "%s: %s\n", kProgram, theProblem.c_str());
      theStatus = 1;
    } else if (!Write(theRequest, theDemo, theNames, theError)) {
      fprintf(stderr, "%s: %s\n", kProgram, theError.c_str());
      theStatus = 1;
    } else {
      printf("%s\n", theRequest.outPath.c_str());
    }
  } catch (const BasicException& inFailure) {
    fprintf(stderr, "%s: %s\n", kProgram, inFailure.GetMessage());
    theStatus = 1;
  }
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  cairo_debug_reset_static_data();  // cairo's font caches, so that a leak checker sees only real leaks
  return theStatus;
}
