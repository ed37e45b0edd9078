// The shader files of a demo, checked for zorbit-check: every file a Shader
// event names is read and prepared as shaders.so prepares it, compiled by
// the OpenGL driver without a display, and what the driver says comes back
// at the author's own lines and columns.
#pragma once

#include <string>
#include <vector>

#include "democheck.h"

class OffscreenGL;

struct ShaderFinding {
  std::string file;  // the shader file as a path from the working folder, or the demo document itself
  Finding finding;
};

struct ShaderCheck {
  std::vector<ShaderFinding> findings;
  int shaderFiles = 0;  // distinct shader files the document names
  int compiled = 0;     // of those, compiled by the driver
  std::string skipped;  // why nothing was compiled; empty when the driver was there
};

// Checks the shader files of the document at inDemoPath. ioGL is opened on
// first need and kept open for the next document; when it cannot be opened,
// the files are still read and checked, and skipped says why they were not
// compiled. A document the loader refuses gives no findings here: the
// document's own check reports it.
ShaderCheck CheckShaders(const std::string& inDemoPath, OffscreenGL& ioGL);
