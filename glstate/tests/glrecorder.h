// Test-only: records the OpenGL calls that the recording build of the
// tracker (zorbit_glstate_recording) issues through glrec::gTable.
#pragma once

#include <string>
#include <vector>

namespace glrec {

struct Call {
  std::string name;          // "glEnable", "glViewport", ...
  std::vector<double> args;  // every argument as a double (enumerants too)
  std::string Text() const;  // e.g. "glViewport(0, 380, 100, 100)", enumerants in hex
};

// Clears the log and installs the recording functions (with a
// glBlendEquation entry point).
void Reset();
// Removes the glBlendEquation entry point, as GLEW without a context.
void RemoveBlendEquation();
const std::vector<Call>& Calls();
// Texts of all calls since the last Reset/Clear.
std::vector<std::string> Texts();
void Clear();

}  // namespace glrec
