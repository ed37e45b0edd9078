#include "datalines.h"

#include <new>

#include "zassert.h"

DataLines::DataLines(uint32_t inSize) : mLines(nullptr), mAllocated(inSize), mUsed(0) {
  mLines = new (std::nothrow) Buffer*[inSize ? inSize : 1]();
  Z_ASSERT(mLines);
}

DataLines::DataLines(const DataLines& inOther) : mLines(nullptr), mAllocated(0), mUsed(0) {
  CopyFrom(inOther);
}

DataLines::~DataLines() {
  Clear();
  delete[] mLines;
}

DataLines& DataLines::operator=(const DataLines& inOther) {
  if (this == &inOther) return *this;
  Clear();
  delete[] mLines;
  CopyFrom(inOther);
  return *this;
}

void DataLines::CopyFrom(const DataLines& inOther) {
  mAllocated = inOther.mAllocated;
  mLines = new (std::nothrow) Buffer*[mAllocated ? mAllocated : 1]();
  Z_ASSERT(mLines);
  for (mUsed = 0; mUsed < inOther.mUsed; ++mUsed) mLines[mUsed] = new Buffer(*inOther.mLines[mUsed]);
}

Buffer& DataLines::operator[](uint32_t inIndex) {
  Z_ASSERT(inIndex < mUsed && "DataLines::operator[]: inIndex too large");
  return *mLines[inIndex];
}

const Buffer& DataLines::operator[](uint32_t inIndex) const {
  Z_ASSERT(inIndex < mUsed && "DataLines::operator[]: inIndex too large");
  return *mLines[inIndex];
}

void DataLines::Clear() {
  while (mUsed > 0) {
    --mUsed;
    delete mLines[mUsed];
    mLines[mUsed] = nullptr;
  }
}

void DataLines::Insert(uint32_t inIndex, const Buffer& inLine) {
  if (inIndex > mUsed) {
    Z_ASSERT("DataLines::Insert(byte): inIndex too large" == 0);
    return;
  }
  Buffer* theLine = new Buffer(inLine);
  if (mUsed < mAllocated) {
    for (uint32_t i = mUsed; i > inIndex; --i) mLines[i] = mLines[i - 1];
    mLines[inIndex] = theLine;
  } else {
    uint32_t theSlots = mAllocated + mAllocated / 2 + 2;
    Buffer** theNewLines = new (std::nothrow) Buffer*[theSlots]();
    Z_ASSERT(theNewLines);
    for (uint32_t i = 0; i < inIndex; ++i) theNewLines[i] = mLines[i];
    theNewLines[inIndex] = theLine;
    for (uint32_t i = inIndex; i < mUsed; ++i) theNewLines[i + 1] = mLines[i];
    delete[] mLines;
    mLines = theNewLines;
    mAllocated = theSlots;
  }
  ++mUsed;
}

void DataLines::Replace(uint32_t inIndex, const Buffer& inLine) {
  if (inIndex < mUsed) {
    *mLines[inIndex] = inLine;
  } else if (inIndex == mUsed) {
    Insert(inIndex, inLine);
  } else {
    Z_ASSERT("DataLines::Replace(byte): inIndex too large" == 0);
  }
}

void DataLines::Remove(uint32_t inIndex) {
  Z_ASSERT(inIndex < mUsed && "DataLines::Remove: inIndex too large");
  --mUsed;
  delete mLines[inIndex];
  for (uint32_t i = inIndex; i < mUsed; ++i) mLines[i] = mLines[i + 1];
  mLines[mUsed] = nullptr;
}

uint32_t DataLines::TotalLength() const {
  uint32_t theTotal = 0;
  for (uint32_t i = 0; i < mUsed; ++i) theTotal += mLines[i]->Length();
  return theTotal;
}

void DataLines::ToBuffer(Buffer& outBuffer) const {
  outBuffer.Clear();
  for (uint32_t i = 0; i < mUsed; ++i) {
    outBuffer.Add(*mLines[i]);
    outBuffer.Insert(outBuffer.Length(), static_cast<unsigned char>('\n'));
  }
}
