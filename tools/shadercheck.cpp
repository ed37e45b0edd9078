#include "shadercheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "basicexception.h"
#include <zorbit/codepage.h>
#include "demo.h"
#include "driverpositions.h"
#include "nametable.h"
#include "offscreengl.h"
#include "pluginsearch.h"
#include "quietstderr.h"
#include "shaderevents.h"
#include "shadersource.h"
#include "zorbitloader.h"

namespace {

// The largest shader file shaders.so reads; a file beyond it is refused, not cut.
const size_t kMaxShaderBytes = shadersource::kMaxFileBytes;

// The file's text in outText, or false with the problem in the checker's words.
bool ReadShaderFile(const std::string& inPath, std::string& outText, std::string& outProblem) {
  struct stat theInfo;
  if (stat(inPath.c_str(), &theInfo) != 0) {
    outProblem = "the shader file does not exist";
    return false;
  }
  if (S_ISDIR(theInfo.st_mode)) {
    outProblem = "the shader file is a folder";
    return false;
  }
  std::ifstream theFile(inPath, std::ios::binary);
  if (!theFile) {
    outProblem = "the shader file cannot be read";
    return false;
  }
  outText.assign(kMaxShaderBytes + 1, 0);
  theFile.read(&outText[0], std::streamsize(outText.size()));
  outText.resize(size_t(theFile.gcount()));
  if (outText.size() > kMaxShaderBytes) {
    outProblem = "the shader file is larger than " + std::to_string(kMaxShaderBytes >> 20) + " MiB; shaders.so refuses it";
    return false;
  }
  if (outText.find_first_not_of(" \t\r\n\f\v") == std::string::npos) {
    outProblem = outText.empty() ? "the shader file is empty" : "the shader file holds nothing but white space";
    return false;
  }
  // The plug-in's own test: text has no zero byte.
  size_t theZero = outText.find('\0');
  if (theZero != std::string::npos) {
    outProblem = "the shader file holds binary data (a zero byte at offset " + std::to_string(theZero) +
                 "), not GLSL text";
    return false;
  }
  return true;
}

std::string Where(const ShaderEvent& inShader) {
  return "event " + std::to_string(inShader.event) + " of track " + std::to_string(inShader.track);
}

// One shader file, and the first event that names it.
struct NamedFile {
  std::string path;     // from the working folder, for messages and for reading
  std::string written;  // as the document writes it, in UTF-8
  const ShaderEvent* by;
};

// "file:line:column: message" lines of the mapped driver log, with the
// severity the driver gave ("error: ..." or "warning: ..."), placed in the
// author's text. Lines of any other shape are kept whole, as errors of the file.
void AddLog(const std::string& inFile, const std::string& inMappedLog, bool inFailed, const DriverPositions& inPositions,
            std::vector<ShaderFinding>& ioFindings) {
  std::istringstream theLines(inMappedLog);
  std::string theLine;
  bool theAny = false;
  while (std::getline(theLines, theLine)) {
    if (theLine.empty()) continue;
    Finding theFinding{inFailed ? Finding::kError : Finding::kWarning, 0, 0, theLine};
    std::string thePrefix = inFile + ":";
    if (theLine.compare(0, thePrefix.size(), thePrefix) == 0) {
      const char* theRest = theLine.c_str() + thePrefix.size();
      char* theEnd = nullptr;
      long theNumber = std::strtol(theRest, &theEnd, 10);
      if (theEnd != theRest && *theEnd == ':') {
        theFinding.line = int(theNumber);
        theRest = theEnd + 1;
        theNumber = std::strtol(theRest, &theEnd, 10);
        if (theEnd != theRest && *theEnd == ':') {
          theFinding.column = int(theNumber);
          theRest = theEnd + 1;
        }
      }
      while (*theRest == ' ') ++theRest;
      theFinding.message = theRest;
    }
    // The driver's own word on the severity wins.
    for (auto theSeverity : {std::make_pair("error: ", Finding::kError), std::make_pair("warning: ", Finding::kWarning)})
      if (theFinding.message.compare(0, std::strlen(theSeverity.first), theSeverity.first) == 0) {
        theFinding.severity = theSeverity.second;
        theFinding.message.erase(0, std::strlen(theSeverity.first));
      }
    if (theFinding.line > 0 && theFinding.column > 0)
      inPositions.Place(theFinding.message, theFinding.line, theFinding.column);
    theAny = theAny || theFinding.severity == Finding::kError;
    ioFindings.push_back({inFile, theFinding});
  }
  if (inFailed && !theAny)
    ioFindings.push_back({inFile, {Finding::kError, 0, 0, "the driver refuses the shader without saying why"}});
}

// "12: text" of a preparation warning as a finding at the author's line 12.
Finding PreparationWarning(const std::string& inWarning) {
  Finding theFinding{Finding::kWarning, 0, 0, inWarning};
  char* theEnd = nullptr;
  long theLine = std::strtol(inWarning.c_str(), &theEnd, 10);
  if (theEnd != inWarning.c_str() && *theEnd == ':') {
    theFinding.line = int(theLine);
    theFinding.column = 1;
    theFinding.message = inWarning.substr(size_t(theEnd - inWarning.c_str()) + 1);
    while (!theFinding.message.empty() && theFinding.message[0] == ' ') theFinding.message.erase(0, 1);
  }
  return theFinding;
}

// Reads, prepares and compiles one file; returns true when the driver compiled and linked it.
bool CheckFile(const NamedFile& inFile, OffscreenGL& ioGL, bool inCompile, std::vector<ShaderFinding>& ioFindings) {
  std::string theText, theProblem;
  if (!ReadShaderFile(inFile.path, theText, theProblem)) {
    ioFindings.push_back({inFile.path, {Finding::kError, 0, 0, theProblem + " (named by " + Where(*inFile.by) + ")"}});
    return false;
  }
  const shadersource::Prepared thePrepared = shadersource::Prepare(theText);
  if (!thePrepared.error.empty()) {
    ioFindings.push_back({inFile.path, {Finding::kError, 0, 0, thePrepared.error}});
    return false;
  }
  for (const std::string& theWarning : thePrepared.warnings)
    ioFindings.push_back({inFile.path, PreparationWarning(theWarning)});
  if (!inCompile) return false;
  // The plug-in draws with the fixed vertex stage of the Compatibility
  // Profile: the fragment shader alone is linked.
  OffscreenGL::Result theResult = ioGL.Build(nullptr, thePrepared.source.c_str());
  if (theResult.compiled && theResult.linked && theResult.compileLog.empty() && theResult.linkLog.empty()) return true;
  DriverPositions thePositions(theText);
  AddLog(inFile.path, shadersource::MapLog(theResult.compileLog, inFile.path, thePrepared), !theResult.compiled,
         thePositions, ioFindings);
  if (theResult.compiled && !theResult.linked)
    AddLog(inFile.path, shadersource::MapLog(theResult.linkLog, inFile.path, thePrepared), true, thePositions,
           ioFindings);
  return theResult.compiled && theResult.linked;
}

}  // namespace

ShaderCheck CheckShaders(const std::string& inDemoPath, OffscreenGL& ioGL) {
  ShaderCheck theCheck;
  Demo theDemo{};
  NameTable theNames{0, 0, nullptr};  // a table of its own: one check's texts never reach the next
  try {
    QuietStderr theQuiet;
    LoadDemo(inDemoPath.c_str(), theDemo, theNames);
  } catch (const BasicException&) {
    DestroyDemo(theDemo);
    ClearNameTable(theNames);
    return theCheck;
  }
  std::vector<ShaderEvent> theShaders = FindShaderEvents(theDemo);
  std::string theFolder = FolderOf(inDemoPath);

  // Targets the document's Shader events draw, for the channels that read them.
  std::set<int32_t> theTargets;
  for (const ShaderEvent& theShader : theShaders)
    if (theShader.target >= 0) theTargets.insert(theShader.target);

  std::vector<NamedFile> theFiles;
  std::set<std::string> theSeen;
  for (const ShaderEvent& theShader : theShaders) {
    const char* theName = GetNameFrom(theNames, theShader.file);
    if (!theName) {
      theCheck.findings.push_back({inDemoPath, {Finding::kError, 0, 0,
                                                Where(theShader) + " names text " + std::to_string(theShader.file) +
                                                    " as its shader file, but the document has " +
                                                    std::to_string(theNames.count) + " text(s)"}});
      continue;
    }
    for (uint32_t theC = 0; theC < SHADER_CHANNEL_COUNT; ++theC) {
      const ShaderChannel& theChannel = theShader.channels[theC];
      if (theChannel.source == SOURCE_BUFFER && !theTargets.count(theChannel.name))
        theCheck.findings.push_back(
            {inDemoPath, {Finding::kWarning, 0, 0,
                          "channel " + std::to_string(theC) + " of " + Where(theShader) + " reads the target " +
                              (GetNameFrom(theNames, theChannel.name)
                                   ? "\"" + codepage::ForTerminal(GetNameFrom(theNames, theChannel.name)) + "\""
                                   : "text " + std::to_string(theChannel.name)) +
                              ", which no Shader event of the document draws"}});
    }
    // Files are named in the code page and looked up in UTF-8, beside the document.
    std::string theWritten = codepage::ToUtf8(theName);
    std::string thePath = !theWritten.empty() && theWritten[0] == '/' ? theWritten
                          : theFolder == "."                       ? theWritten
                                                                   : theFolder + "/" + theWritten;
    if (theSeen.insert(thePath).second) theFiles.push_back({thePath, theWritten, &theShader});
  }
  theCheck.shaderFiles = int(theFiles.size());

  bool theCompile = false;
  if (!theFiles.empty()) {
    theCompile = ioGL.Open(theCheck.skipped);
    if (theCompile) theCheck.skipped.clear();
  }
  for (const NamedFile& theFile : theFiles)
    theCheck.compiled += CheckFile(theFile, ioGL, theCompile, theCheck.findings) ? 1 : 0;

  DestroyDemo(theDemo);
  ClearNameTable(theNames);
  return theCheck;
}
