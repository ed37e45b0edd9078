// zorbit-check's checks of parameter values against the descriptions that
// effects give of their parameters (describe/descriptions.h): constants out
// of range, text numbers that name no text, blend factors that are not
// one, and file names whose file does not exist.
#pragma once

#include <string>
#include <vector>

#include "democheck.h"

// One <param> of an event, as the checker found it.
struct ParamSite {
  std::string library;   // the event's LibraryFileName, as written
  std::string function;  // its FunctionName
  std::string where;     // "event 2 of track 0"
  size_t index = 0;      // the parameter's position in the event
  int line = 0;
  int column = 0;
  std::vector<long long> constants;  // the values written in it (a constant, a ramp's ends, a curve's keys)
  bool fixed = false;                // constants are all the values it takes (no sine, combination or beat)
};

// A <Library> element.
struct LibrarySite {
  std::string name;
  int line = 0;
  int column = 0;
};

// Adds the findings. inTexts holds the document's texts in UTF-8 when the
// loader read them (null otherwise: files are then not looked for);
// inTextCount is how many texts the document has.
void CheckDescribedParams(const std::vector<ParamSite>& inSites, const std::vector<LibrarySite>& inLibraries,
                          const std::vector<std::string>* inTexts, size_t inTextCount, const std::string& inDemoPath,
                          const CheckOptions& inOptions, std::vector<Finding>& ioFindings);
