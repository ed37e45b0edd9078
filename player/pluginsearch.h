// Where plug-in files are looked for, and the names tried for one: the
// player's search, shared with the tools that check or play documents. Free
// of SDL and of the player; only the C library and the file system.
#pragma once

#include <string>
#include <vector>

// The folder part of a path: "." for a bare name, "/" for a name at the root.
std::string FolderOf(const std::string& inPath);
// The folder of the running program; empty when the system cannot tell.
std::string ExecutableFolder();

// The folders a library file is looked for in, in order, before the dynamic
// loader's own search: the document's folder, the folders of the environment
// variable ZORBIT_PLUGIN_PATH, the program's own folder, the installed
// plug-in folder. Empty entries are skipped.
std::vector<std::string> LibrarySearchFolders(const char* inDemoPath);

// The file names tried for a library as written, in order: the debug name
// (Effects.dll -> EffectsDBG.dll; none when the name has no '.'), then the
// name itself; when the name ends in ".dll", the same again with ".so".
std::vector<std::string> LibraryCandidateNames(const char* inFileName);

// The data a loaded library itself exports under inName, or null. A plain
// dlsym on the library's handle also searches the libraries it links (a
// plug-in built on fonts.so would answer with fonts.so's table), so what is
// found elsewhere counts as missing.
const void* OwnDataSymbol(void* inHandle, const char* inName);
