// zorbit-check DEMO.xml: checks a demo document for its author.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "democheck.h"
#include "offscreengl.h"
#include "programinfo.h"
#include "shadercheck.h"
#include "toolpaths.h"

namespace {

void Usage(FILE* inOut) {
  std::fprintf(inOut,
               "Usage: zorbit-check [--schema FILE] [--plugin-dir DIR]... [--no-loader] DEMO.xml...\n"
               "\n"
               "Checks demo documents the way the player reads them and prints every problem as\n"
               "FILE:LINE:COLUMN: error|warning: message. Errors stop the player or make part of\n"
               "the demo never play; warnings point at things that are probably not meant.\n"
               "The shader files of Shader events are compiled by the OpenGL driver without a\n"
               "display (EGL); where there is none, they are only read, and a note says so.\n"
               "Exit status: 0 when no document has errors, 1 otherwise, 2 on bad usage.\n"
               "\n"
               "  --schema FILE      XML Schema to validate documents against\n"
               "                     (default: the installed or source tree's demo.xsd)\n"
               "  --plugin-dir DIR   also look for plug-in files in DIR\n"
               "  --no-loader        do not run the player's own loader on the document (nor\n"
               "                     check its shader files)\n"
               "  --help             print this help and exit\n"
               "  --version          print the version and exit\n");
}

}  // namespace

int main(int argc, char** argv) {
  CheckOptions theOptions;
  theOptions.schemaPath = FindSchema();
  // Options first, wherever they stand, so that a bad one stops before any document is read.
  std::vector<std::string> theFiles;
  for (int i = 1; i < argc; ++i) {
    std::string theArg = argv[i];
    if (theArg == "--help" || theArg == "-h") {
      Usage(stdout);
      return 0;
    } else if (theArg == "--version") {
      PrintVersion("zorbit-check");
      return 0;
    } else if (theArg == "--schema" && i + 1 < argc) {
      theOptions.schemaPath = argv[++i];
    } else if (theArg == "--plugin-dir" && i + 1 < argc) {
      theOptions.pluginDirs.insert(theOptions.pluginDirs.begin(), argv[++i]);
    } else if (theArg == "--no-loader") {
      theOptions.runLoader = false;
    } else if ((theArg == "--schema" || theArg == "--plugin-dir") && i + 1 >= argc) {
      return UsageError("zorbit-check", theArg + " needs a value");
    } else if (!theArg.empty() && theArg[0] == '-') {
      return UsageError("zorbit-check", "unknown option '" + theArg + "'");
    } else {
      theFiles.push_back(theArg);
    }
  }
  if (theFiles.empty()) return UsageError("zorbit-check", "which demo documents? (zorbit-check DEMO.xml...)");
  int theErrors = 0, theWarnings = 0;
  OffscreenGL theGL;  // compiles the shader files of every document; opened on first need
  std::string theNotCompiled;
  for (const std::string& theFile : theFiles) {
    for (const Finding& theFinding : CheckDemo(theFile, theOptions)) {
      std::printf("%s\n", FormatFinding(theFile, theFinding).c_str());
      (theFinding.severity == Finding::kError ? theErrors : theWarnings)++;
    }
    if (!theOptions.runLoader) continue;
    ShaderCheck theShaders = CheckShaders(theFile, theGL);
    for (const ShaderFinding& theFinding : theShaders.findings) {
      std::printf("%s\n", FormatFinding(theFinding.file, theFinding.finding).c_str());
      (theFinding.finding.severity == Finding::kError ? theErrors : theWarnings)++;
    }
    if (theNotCompiled.empty()) theNotCompiled = theShaders.skipped;
  }
  std::fflush(stdout);
  if (!theNotCompiled.empty())
    std::fprintf(stderr, "zorbit-check: note: shader files were not compiled: %s\n", theNotCompiled.c_str());
  std::fprintf(stderr, "zorbit-check: %d error(s), %d warning(s)\n", theErrors, theWarnings);
  return theErrors ? 1 : 0;
}
