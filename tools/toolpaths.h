// Where the tools find the project's files, in the build tree and installed.
#pragma once

#include <string>

// demo.xsd, installed or in the source tree; empty when neither exists.
std::string FindSchema();
