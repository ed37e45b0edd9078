// Frames per second of the real player while it shows a movie: 100 frames
// of 256 x 256 played at 25 frames per second (4 s) on a textured grid in a
// 640 x 480 window (the frame number ramps from 0 to 99 over the 4 s), against the same scene with an untextured grid.
// Run under an X server:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/imagery_movie_bench
// The "fps" counter must stay above 25 (the movie's rate); "fps" of the
// movie over "fps" of the plain grid is the ratio to compare across machines.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/imagefiles.h"

namespace {

const int kRunningTimeMs = 4000;
const int kFrames = 100;

std::string Consts(const std::vector<int>& inValues) {
  std::string theText;
  for (int theValue : inValues) theText += "<param type=\"const\" val=\"" + std::to_string(theValue) + "\"/>";
  return theText;
}

std::string EventXml(const char* inLibrary, const char* inFunction, const std::string& inParams) {
  return std::string("<Event LibraryFileName=\"") + inLibrary + "\" FunctionName=\"" + inFunction +
         "\" StartTime=\"0\" EndTime=\"" + std::to_string(kRunningTimeMs) + "\">" + inParams + "</Event>";
}

const std::string& Folder() {
  static std::string theFolder;
  if (!theFolder.empty()) return theFolder;
  char theTemplate[] = "/tmp/imagery-movie-bench-XXXXXX";
  theFolder = mkdtemp(theTemplate);
  char theName[64];
  for (int i = 0; i < kFrames; ++i) {
    // A different picture per frame, so every frame is a real decode and upload.
    TestImage theImage = MakePatternImage(256, 256, false);
    for (uint32_t& thePixel : theImage.pixels) thePixel ^= static_cast<uint32_t>(i * 0x010305);
    snprintf(theName, sizeof theName, "/reel%03d.png", i);
    WritePng(theFolder + theName, theImage, false);
  }
  // xvfb-run may still be starting its X server; the player does not wait.
  for (int theTry = 0; theTry < 50 && std::system("xdpyinfo >/dev/null 2>&1") != 0; ++theTry) usleep(100000);
  std::ofstream(theFolder + "/SDL.ini") << "[video]\nwidth=640\nheight=480\n[audio]\nenabled=0\n";
  std::system(("cp '" TEXTURE_PROBE_PATH "' '" + theFolder + "/'").c_str());
  return theFolder;
}

// Plays the demo; returns the number of frames drawn (-1 on failure).
int PlayDemo(bool inWithMovie) {
  const std::string& theFolder = Folder();
  // Texts: 0 grid, 1 group, 2 movie name, 3 frame pattern.
  std::string theDemo =
      "<Demo><Settings RunningTime=\"" + std::to_string(kRunningTimeMs) +
      "\" UseOpenGL=\"true\" NumberOfInputSurfaces=\"0\"/>"
      "<Texts><Text>floor</Text><Text>main</Text><Text>reel</Text><Text>reel???.png</Text></Texts><Libraries>"
      "<Library FileName=\"grids.so\"><Function Name=\"MakeGrid\"/></Library>"
      "<Library FileName=\"scene.so\"><Function Name=\"Scene3D\"/><Function Name=\"DrawGrid\"/></Library>"
      "<Library FileName=\"imagery.so\"><Function Name=\"MakeMovie\"/></Library>"
      "<Library FileName=\"texture_probe.so\"><Function Name=\"ProbeTexture\"/></Library>"
      "</Libraries><Tracks><Track>" +
      EventXml("scene.so", "Scene3D", Consts({1, 0, 0, 500000, 0, 0, 0, 0, 1, 0, 0, 45000, 1000, 10000000, 3, 0, 0, 0})) +
      "</Track><Track>" +
      EventXml("scene.so", "DrawGrid",
               Consts({0, 2, inWithMovie ? 1 : 0, 0, 0, 0, 0, 0, 0, 10000, 255, 255, 255, 255, 1, 0, 100000, 1, 0})) +
      "</Track><Track>" + EventXml("grids.so", "MakeGrid", Consts({0, 300, 300, 10, 10})) + "</Track><Track>" +
      (inWithMovie ? EventXml("imagery.so", "MakeMovie",
                              Consts({2, 3}) + "<param start=\"0\" end=\"" + std::to_string(kFrames - 1) + "\"/>")
                   : std::string()) +
      "</Track><Track>" + EventXml("texture_probe.so", "ProbeTexture", Consts({-1, -1, -1})) +
      "</Track></Tracks></Demo>\n";
  std::ofstream(theFolder + "/demo.xml") << theDemo;
  std::string theCommand = "cd '" + theFolder + "' && env ZORBIT_NO_SETUP=1 SDL_AUDIODRIVER=dummy '" ZORBIT_BIN_DIR
                           "/player' demo.xml >stdout.txt 2>stderr.txt";
  // Several xvfb-run -a on one machine may race for a display number: a
  // player that found no display is given two more tries.
  int theStatus = std::system(theCommand.c_str());
  for (int theTry = 0; theTry < 2 && theStatus != 0; ++theTry) {
    sleep(1);
    theStatus = std::system(theCommand.c_str());
  }
  if (theStatus != 0) {
    std::system(("cat '" + theFolder + "/Errorlog.txt' '" + theFolder + "/stderr.txt' | grep -v TRACE | grep -v 'in file' >&2").c_str());
    return -1;
  }
  std::ifstream theLogFile(theFolder + "/Errorlog.txt");
  std::stringstream theLog;
  theLog << theLogFile.rdbuf();
  std::smatch theMatch;
  std::string theText = theLog.str();
  if (!std::regex_search(theText, theMatch, std::regex(R"(ProbeTexture: (\d+) run calls)"))) return -1;
  return std::stoi(theMatch[1]);
}

void RemoveFolder() { std::system(("rm -rf '" + Folder() + "'").c_str()); }

void BM_PlayerFramesPerSecond(benchmark::State& ioState, bool inWithMovie) {
  // The folder first, so that it still exists when the exit handler runs.
  static bool theCleanupRegistered = (Folder(), atexit(&RemoveFolder), true);
  (void)theCleanupRegistered;
  int theFrames = 0;
  for (auto _ : ioState) {
    int theRunFrames = PlayDemo(inWithMovie);
    if (theRunFrames < 0) {
      ioState.SkipWithError("the player failed; see its Errorlog.txt");
      return;
    }
    theFrames += theRunFrames;
  }
  ioState.counters["fps"] = theFrames * 1000.0 / (kRunningTimeMs * static_cast<double>(ioState.iterations()));
}

// Each iteration is one 4-second run of the player.
BENCHMARK_CAPTURE(BM_PlayerFramesPerSecond, plain_grid, false)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayerFramesPerSecond, movie_256_at_25fps, true)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
