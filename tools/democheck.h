// The demo checker behind zorbit-check: reads a demo document the way the
// player would and reports, with file, line and column, everything that would
// stop the player or make part of the demo silently do nothing.
#pragma once

#include <string>
#include <vector>

struct Finding {
  enum Severity { kError, kWarning };
  Severity severity;
  int line;    // 1-based; 0 when the finding belongs to the whole file
  int column;
  std::string message;
};

struct CheckOptions {
  // The schema every document is validated against (its findings are
  // warnings); empty skips schema checks.
  std::string schemaPath;
  // Folders searched for plug-in files right after the document's own
  // folder; the player's own search (ZORBIT_PLUGIN_PATH, beside the program,
  // the installed plug-in folder, the dynamic loader) follows.
  std::vector<std::string> pluginDirs;
  // Also load the document with the player's own loader and report its verdict.
  bool runLoader = true;
  // Look for the plug-ins the document names (dlopen may run their code).
  bool findPlugins = true;
};

std::vector<Finding> CheckDemo(const std::string& inPath, const CheckOptions& inOptions);

// "file:line:column: error: message", as compilers print it.
std::string FormatFinding(const std::string& inPath, const Finding& inFinding);
