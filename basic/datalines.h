// DataLines: an ordered list of text lines, each a Buffer owned by the list.
// A plain value class with deep copies; indexes are guarded by Z_ASSERT.
#pragma once

#include <cstdint>

#include "buffer.h"

class DataLines {
 public:
  explicit DataLines(uint32_t inSize);  // exactly inSize empty slots
  DataLines(const DataLines& inOther);
  ~DataLines();
  DataLines& operator=(const DataLines& inOther);

  uint32_t Count() const { return mUsed; }
  uint32_t Slots() const { return mAllocated; }
  Buffer& operator[](uint32_t inIndex);
  const Buffer& operator[](uint32_t inIndex) const;

  void Clear();
  void Insert(uint32_t inIndex, const Buffer& inLine);   // stores a copy
  void Add(const Buffer& inLine) { Insert(mUsed, inLine); }
  void Replace(uint32_t inIndex, const Buffer& inLine);
  void Remove(uint32_t inIndex);
  uint32_t TotalLength() const;
  void ToBuffer(Buffer& outBuffer) const;  // every line followed by a line feed

 private:
  void CopyFrom(const DataLines& inOther);

  Buffer** mLines;
  uint32_t mAllocated;
  uint32_t mUsed;
};
