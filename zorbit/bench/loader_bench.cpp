// LoadDemo against Xerces parsing the same file alone, in one run: 10,000
// events of 20 parameters each. The loader's share is LoadDemo / parse - 1.
#include <benchmark/benchmark.h>

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "zorbitloader.h"

namespace {

const std::string& Document() {
  static const std::string theXml = [] {
    std::mt19937 theRandom(9);
    std::string theText = "<Demo><Settings RunningTime=\"600000\" NumberOfInputSurfaces=\"1\"/>\n<Texts>";
    for (int theI = 0; theI < 50; ++theI) theText += "<Text>text " + std::to_string(theI) + "</Text>";
    theText += "</Texts>\n<Library FileName=\"fonts.so\"><F Name=\"Text3D\"><P Name=\"x\"/></F></Library>\n<Tracks>";
    for (int theTrack = 0; theTrack < 10; ++theTrack) {
      theText += "<Track>\n";
      for (int theE = 0; theE < 1000; ++theE) {
        const int theStart = theE * 600;
        theText += "  <Event LibraryFileName=\"fonts.so\" FunctionName=\"Text3D\" StartTime=\"" +
                   std::to_string(theStart) + "\" EndTime=\"" + std::to_string(theStart + 600) + "\">\n";
        for (int theP = 0; theP < 20; ++theP) {
          const std::string theV = std::to_string(theRandom() % 1000);
          switch (theP % 5) {
            case 0: theText += "    <param type=\"const\" val=\"" + theV + "\"/>\n"; break;
            case 1: theText += "    <param start=\"0\" end=\"" + theV + "\"/>\n"; break;
            case 2:
              theText += "    <param type=\"multi\" interpol=\"bez\" val=\"0\"><seg time=\"200\" val=\"" + theV +
                         "\"/><seg time=\"400\" val=\"7\"/></param>\n";
              break;
            case 3:
              theText += "    <param type=\"sin\" ampli=\"" + theV + "\" period=\"1000\" offset=\"0\" height=\"0\"/>\n";
              break;
            default:
              theText += "    <param type=\"combi\" op=\"0\"><a type=\"const\" val=\"" + theV +
                         "\"/><b type=\"beat\" ID=\"1\" min=\"0\" max=\"100\"/></param>\n";
          }
        }
        theText += "  </Event>\n";
      }
      theText += "</Track>\n";
    }
    return theText + "</Tracks></Demo>\n";
  }();
  return theXml;
}

// The generated document, written once to a file that both benchmarks read.
const std::string& DocumentPath() {
  static const std::string thePath = [] {
    std::string theName = "/tmp/zorbit_loader_bench_" + std::to_string(getpid()) + ".xml";
    std::ofstream(theName) << Document();
    return theName;
  }();
  return thePath;
}

struct RemoveDocument {
  ~RemoveDocument() { std::remove(DocumentPath().c_str()); }
} gRemoveDocument;

// The parser as the loader sets it up, and nothing else.
void BM_XercesParseAlone(benchmark::State& ioState) {
  const std::string& theXml = Document();
  const std::string& thePath = DocumentPath();
  for (auto _ : ioState) {
    xercesc::XMLPlatformUtils::Initialize();
    {
      xercesc::XercesDOMParser theParser;
      xercesc::SecurityManager theSecurity;
      theSecurity.setEntityExpansionLimit(100000);
      theParser.setLoadExternalDTD(false);
      theParser.setDisableDefaultEntityResolution(true);
      theParser.setSecurityManager(&theSecurity);
      theParser.parse(thePath.c_str());
      benchmark::DoNotOptimize(theParser.getDocument());
    }
    xercesc::XMLPlatformUtils::Terminate();
  }
  ioState.SetBytesProcessed(int64_t(ioState.iterations()) * int64_t(theXml.size()));
}

// LoadDemo as the player calls it; its trace lines go to standard error.
void BM_LoadDemo(benchmark::State& ioState) {
  const std::string& theXml = Document();
  const std::string& thePath = DocumentPath();
  for (auto _ : ioState) {
    Demo theDemo{};
    NameTable theNames{0, 0, nullptr};
    LoadDemo(thePath.c_str(), theDemo, theNames);
    ioState.PauseTiming();
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
    ioState.ResumeTiming();
  }
  ioState.SetBytesProcessed(int64_t(ioState.iterations()) * int64_t(theXml.size()));
}

}  // namespace

BENCHMARK(BM_XercesParseAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadDemo)->Unit(benchmark::kMillisecond)->MinTime(2.0);
