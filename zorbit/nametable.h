// The demo's texts, numbered in the order the loader adds them.
//
// Events and resources name things by the number of a text. One table per
// process (GetNameTable), created empty on first use and never destroyed; it
// is separate from the Demo and survives DestroyDemo.
#pragma once

#include <cstdint>

struct NameTable {
  int32_t capacity;  // slots in texts
  int32_t count;     // texts in use, numbered 0 to count - 1
  char** texts;      // capacity pointers; each text is a private heap copy (malloc)
};

// The process-wide table.
NameTable& GetNameTable();

// Appends a private copy of inText; it takes the number count. Grows the
// array by 10 slots when it is full.
void AddName(NameTable& ioTable, const char* inText);

// Text number inIndex of the process-wide table, or null when inIndex is
// negative or not below count.
const char* GetName(int32_t inIndex);

// Text number inIndex of ioTable, or null when out of range.
const char* GetNameFrom(const NameTable& inTable, int32_t inIndex);

// Frees every text and the array of a table the caller owns, leaving it empty.
// Meant for tables other than the process-wide one (tests, the fuzzer).
void ClearNameTable(NameTable& ioTable);
