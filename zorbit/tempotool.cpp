#include "tempotool.h"

#include <cstdio>
#include <string>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "demo.h"
#include "musicsamples.h"
#include "musictempo.h"
#include "nametable.h"
#include "programinfo.h"
#include "zorbitloader.h"

namespace {

const char* const kProgram = "zorbit-info";

// The music's path as the player opens it from the document's folder.
std::string MusicPath(const Demo& inDemo, const std::string& inDemoPath) {
  const std::string theMusic = codepage::ToUtf8(inDemo.musicFile);
  if (!theMusic.empty() && theMusic[0] == '/') return theMusic;
  const size_t theSlash = inDemoPath.rfind('/');
  return (theSlash == std::string::npos ? std::string(".") : inDemoPath.substr(0, theSlash)) + "/" + theMusic;
}

int PrintTempo(const Demo& inDemo, const std::string& inDemoPath) {
  if (inDemo.musicFile == nullptr) {
    std::fprintf(stderr, "%s: %s names no music (InputMusicFile)\n", kProgram, inDemoPath.c_str());
    return 1;
  }
  const std::string thePath = MusicPath(inDemo, inDemoPath);
  MusicSamples theSamples;
  theSamples.DecodeHere(thePath);
  if (!theSamples.Problem().empty()) std::fprintf(stderr, "%s: %s", kProgram, theSamples.Problem().c_str());
  const music::TempoEstimate theTempo = music::EstimateTempo(theSamples);
  if (!theTempo.found) {
    std::fprintf(stderr, "%s: %s has no steady beat to give a tempo\n", kProgram, thePath.c_str());
    return 1;
  }
  const int32_t theRate = theSamples.SampleRate();
  std::printf("Music %s: %.3f s at %d Hz\n", thePath.c_str(), double(theSamples.WaitForEnd()) / theRate, int(theRate));
  std::printf("Tempo: %.2f BPM (a beat every %.2f ms; aubio's own estimate %.2f BPM)\n", theTempo.bpm,
              60000.0 / theTempo.bpm, theTempo.aubioBpm);
  std::printf("First beat: %.1f ms\n", theTempo.firstBeatMs);
  const uint32_t theStart = music::MakeBeatStartMs(theTempo);
  const std::array<int32_t, 40> theParams = music::MakeBeatParams(theTempo, theStart, 0);
  std::printf("MakeBeat event from %u ms (beat.so; parameter 0 is the number of the beat's name among the texts):\n",
              theStart);
  std::printf(" ");
  for (size_t i = 0; i < theParams.size(); ++i) std::printf(" %d%s", theParams[i], i + 1 < theParams.size() ? "," : "\n");
  return 0;
}

}  // namespace

bool WantsTempo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string theArg = argv[i];
    if (theArg == "--" || theArg == "--help" || theArg == "-h" || theArg == "--version") return false;
    if (theArg == "--tempo") return true;
  }
  return false;
}

const char* TempoHelp() {
  return "  --tempo         print the tempo of the demo's music in BPM, the time of its\n"
         "                  first beat, and the 40 parameters of a MakeBeat event that\n"
         "                  pulses on its beats\n";
}

int RunTempoTool(int argc, char** argv) {
  std::string theFile;
  for (int i = 1; i < argc; ++i) {
    const std::string theArg = argv[i];
    if (theArg == "--tempo") continue;
    if (theArg.size() > 1 && theArg[0] == '-') return UsageError(kProgram, "unknown option '" + theArg + "' with --tempo");
    if (!theFile.empty()) return UsageError(kProgram, "one demo document at a time");
    theFile = theArg;
  }
  if (theFile.empty()) return UsageError(kProgram, "which demo document? (zorbit-info --tempo DEMO.xml)");
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};
  int theExit = 1;
  try {
    LoadDemo(theFile.c_str(), theDemo, theNames);
    theExit = PrintTempo(theDemo, theFile);
  } catch (const BasicException& inFailure) {
    std::fprintf(stderr, "%s: %s\n", kProgram, inFailure.GetMessage());
  }
  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  return theExit;
}
