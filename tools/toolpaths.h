// Where the tools find the project's files, in the build tree and installed.
#pragma once

#include <string>
#include <vector>

// Folder of the running executable.
std::string ExecutableFolder();
// The plug-in folders the player searches after the demo's own folder:
// beside the executable (build tree) and the installed plug-in folder.
std::vector<std::string> PluginDirs();
// demo.xsd, installed or in the source tree; empty when neither exists.
std::string FindSchema();
