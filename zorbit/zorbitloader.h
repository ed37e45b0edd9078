// Reads a demo description (an XML document) into a Demo and a NameTable.
#pragma once

#include <cstddef>

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

// combi elements nest at most this deep; deeper documents are rejected.
enum { ZORBIT_MAX_COMBI_DEPTH = 64 };
