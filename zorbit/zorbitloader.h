// Reads a demo description (an XML document) into a Demo and a NameTable.
#pragma once

#include <cstddef>
#include <string>

#include "demo.h"
#include "nametable.h"

// Loads the document at inPath. ioDemo must be all zero on entry; the texts
// are appended to ioNames. Writes eight trace lines to standard error.
// Throws BasicException on failure, leaving ioDemo partly filled but
// consistent (every count matches its array), so DestroyDemo may free it.
void LoadDemo(const char* inPath, Demo& ioDemo, NameTable& ioNames);

// As LoadDemo, from a document held in memory; inName only appears in
// messages. Writes no trace lines.
void LoadDemoFromMemory(const char* inData, size_t inSize, const char* inName, Demo& ioDemo,
                        NameTable& ioNames);

// A demo loaded with texts of its own and freed when it goes: a look at a
// document beside the demo that plays (its running time, whether a save
// loads, the next document before the running one is taken down).
class OwnedDemo {
 public:
  OwnedDemo() = default;
  ~OwnedDemo();
  OwnedDemo(const OwnedDemo&) = delete;
  OwnedDemo& operator=(const OwnedDemo&) = delete;

  // As LoadDemo: throws BasicException.
  void Load(const char* inPath);
  // False with the loader's message in outError.
  bool TryLoad(const char* inPath, std::string& outError);
  // As LoadDemoFromMemory: inText is the document named inName.
  bool TryLoadText(const std::string& inText, const char* inName, std::string& outError);
  // Hands demo and names over: whoever took them frees them from now on.
  void Release();

  Demo demo = {};
  NameTable names{0, 0, nullptr};
};

// combi elements nest at most this deep; deeper documents are rejected.
enum { ZORBIT_MAX_COMBI_DEPTH = 64 };
