// Buffer: the growable byte string used for names, texts, paths and raw bytes.
//
// A plain value class: every Buffer owns its storage alone and copies are
// deep. The content may hold zero bytes and is not kept terminated; CStr()
// writes the terminating zero into the spare byte on request.
//
// Invariant: mUsed < mAllocated (there is always a spare byte after the
// content). Sizes, indexes and counts are unsigned 32-bit. Out-of-range
// indexes are programming errors and end the program through Z_ASSERT.
// The storage never shrinks except through assignment and SetNumber.
#pragma once

#include <cstdint>

class Buffer {
 public:
  explicit Buffer(uint32_t inSize);                 // empty, capacity inSize + 1
  Buffer(const char* inText);                       // null gives empty with capacity 10
  explicit Buffer(const unsigned char* inText);     // must not be null
  Buffer(const char* inData, uint32_t inLength);    // exactly inLength bytes
  Buffer(const unsigned char* inData, uint32_t inLength);
  Buffer(const Buffer& inOther);                    // keeps the source's capacity
  Buffer(const Buffer& inOther, uint32_t inStart, uint32_t inLength);  // slice, capacity inLength + 1
  ~Buffer();

  Buffer& operator=(const Buffer& inOther);

  uint32_t Length() const { return mUsed; }
  uint32_t Capacity() const { return mAllocated; }
  void Clear() { mUsed = 0; }
  const unsigned char* PtrC() const { return mData; }
  // Terminates the content in the spare byte; this writes to the storage.
  const char* CStr();

  unsigned char& operator[](uint32_t inIndex);
  const unsigned char& operator[](uint32_t inIndex) const;
  bool operator==(const Buffer& inOther) const;
  bool operator!=(const Buffer& inOther) const { return !(*this == inOther); }

  void Add(const char* inText);
  void Add(const Buffer& inOther) { Insert(mUsed, inOther); }
  void Insert(uint32_t inIndex, unsigned char inByte);
  void Insert(uint32_t inIndex, const Buffer& inOther);
  void Replace(uint32_t inIndex, unsigned char inByte);
  void Replace(uint32_t inIndex, const Buffer& inOther);
  void Remove(uint32_t inIndex, uint32_t inCount);
  // For content written through a raw pointer; inLength must be below the capacity.
  void SetLength(uint32_t inLength);
  // Raw storage for callers that fill the buffer themselves before SetLength.
  unsigned char* Data() { return mData; }
  void ToUpper();
  void ToLower();

  // First occurrence of the pattern at or after inStart lying wholly inside
  // the content; -1 when there is none or either buffer is empty.
  int32_t Find(const Buffer& inPattern, uint32_t inStart) const;

  void SetNumber(int32_t inValue);
  void SetNumber(uint32_t inValue);
  void SetNumber(float inValue);  // "%.2f"
  float GetFloat() const;
  int32_t GetDigits(uint32_t inIndex) const;   // 32-bit wrap-around
  int32_t GetInteger(uint32_t inIndex) const;
  int32_t GetIntegerSkipSpace(uint32_t inIndex) const;
  int32_t GetGroupedInteger(uint32_t inIndex, char inSeparator) const;

 private:
  void Splice(uint32_t inIndex, const unsigned char* inBytes, uint32_t inCount, uint32_t inNewCapacity);
  void ReplaceStorage(uint32_t inCapacity);
  uint32_t SkipSpace(uint32_t inIndex) const;
  uint32_t SkipDigits(uint32_t inIndex) const;

  unsigned char* mData;
  uint32_t mAllocated;
  uint32_t mUsed;
};
