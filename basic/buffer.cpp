#include "buffer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "zassert.h"

namespace {

unsigned char* NewBlock(uint32_t inSize) {
  unsigned char* theData = new (std::nothrow) unsigned char[inSize];
  Z_ASSERT(theData && "mData");
  return theData;
}

// Growth rule of the appending edits: (capacity + n) * 3 / 2 + 2, unsigned 32-bit.
uint32_t GrowFor(uint32_t inAllocated, uint32_t inCount) {
  return static_cast<uint32_t>((inAllocated + inCount) * 3u / 2u + 2u);
}

bool IsSpace(unsigned char inByte) {
  return inByte == ' ' || inByte == '\t' || inByte == '\r' || inByte == '\n';
}

bool IsDigit(unsigned char inByte) { return inByte >= '0' && inByte <= '9'; }

}  // namespace

Buffer::Buffer(uint32_t inSize) : mData(NewBlock(inSize + 1)), mAllocated(inSize + 1), mUsed(0) {}

Buffer::Buffer(const char* inText) : mData(nullptr), mAllocated(0), mUsed(0) {
  if (!inText) {
    mData = NewBlock(10);
    mAllocated = 10;
    return;
  }
  long long theLength = static_cast<long long>(std::strlen(inText));
  Z_ASSERT(theLength >= 0 && theLength < 1024*1024);
  mAllocated = static_cast<uint32_t>(theLength) + 1;
  mData = NewBlock(mAllocated);
  std::memcpy(mData, inText, theLength);
  mUsed = static_cast<uint32_t>(theLength);
}

Buffer::Buffer(const unsigned char* inText) : Buffer(reinterpret_cast<const char*>(inText)) {
  Z_ASSERT(inText && "Buffer: null text");
}

Buffer::Buffer(const char* inData, uint32_t inLength)
    : Buffer(reinterpret_cast<const unsigned char*>(inData), inLength) {}

Buffer::Buffer(const unsigned char* inData, uint32_t inLength)
    : mData(NewBlock(inLength + 1)), mAllocated(inLength + 1), mUsed(inLength) {
  if (inLength) std::memcpy(mData, inData, inLength);
}

Buffer::Buffer(const Buffer& inOther)
    : mData(NewBlock(inOther.mAllocated)), mAllocated(inOther.mAllocated), mUsed(inOther.mUsed) {
  std::memcpy(mData, inOther.mData, mUsed);
}

Buffer::Buffer(const Buffer& inOther, uint32_t inStart, uint32_t inLength)
    : mData(NewBlock(inLength + 1)), mAllocated(inLength + 1), mUsed(0) {
  if (inStart >= inOther.mUsed) return;
  uint32_t theAvailable = inOther.mUsed - inStart;
  mUsed = inLength < theAvailable ? inLength : theAvailable;
  std::memcpy(mData, inOther.mData + inStart, mUsed);
}

Buffer::~Buffer() { delete[] mData; }

Buffer& Buffer::operator=(const Buffer& inOther) {
  if (this == &inOther) return *this;
  delete[] mData;
  mAllocated = inOther.mAllocated;
  mUsed = inOther.mUsed;
  mData = NewBlock(mAllocated);
  std::memcpy(mData, inOther.mData, mUsed);
  return *this;
}

const char* Buffer::CStr() {
  Z_ASSERT(mUsed < mAllocated);
  mData[mUsed] = 0;
  return reinterpret_cast<const char*>(mData);
}

unsigned char& Buffer::operator[](uint32_t inIndex) {
  Z_ASSERT(inIndex < mUsed && "Buffer::operator[]: inIndex too large");
  return mData[inIndex];
}

const unsigned char& Buffer::operator[](uint32_t inIndex) const {
  Z_ASSERT(inIndex < mUsed && "Buffer::operator[]: inIndex too large");
  return mData[inIndex];
}

bool Buffer::operator==(const Buffer& inOther) const {
  return mUsed == inOther.mUsed && std::memcmp(mData, inOther.mData, mUsed) == 0;
}

// Puts inCount bytes before inIndex. With inNewCapacity above the current
// capacity the content moves to a new block laid out in its final places;
// otherwise the tail moves up in place.
void Buffer::Splice(uint32_t inIndex, const unsigned char* inBytes, uint32_t inCount,
                    uint32_t inNewCapacity) {
  if (inNewCapacity > mAllocated) {
    unsigned char* theNewData = new (std::nothrow) unsigned char[inNewCapacity];
    Z_ASSERT(theNewData);
    std::memcpy(theNewData, mData, inIndex);
    std::memcpy(theNewData + inIndex, inBytes, inCount);
    std::memcpy(theNewData + inIndex + inCount, mData + inIndex, mUsed - inIndex);
    delete[] mData;
    mData = theNewData;
    mAllocated = inNewCapacity;
  } else {
    std::memmove(mData + inIndex + inCount, mData + inIndex, mUsed - inIndex);
    std::memcpy(mData + inIndex, inBytes, inCount);
  }
  mUsed += inCount;
}

void Buffer::Add(const char* inText) {
  if (!inText) return;
  uint32_t theCount = static_cast<uint32_t>(std::strlen(inText));
  uint32_t theCapacity = mAllocated - (mUsed + 1) < theCount ? GrowFor(mAllocated, theCount) : mAllocated;
  Splice(mUsed, reinterpret_cast<const unsigned char*>(inText), theCount, theCapacity);
}

void Buffer::Insert(uint32_t inIndex, unsigned char inByte) {
  if (inIndex > mUsed) {
    Z_ASSERT("Buffer::Insert(byte): inIndex too large" == 0);
    return;
  }
  if (mAllocated <= mUsed + 1) {
    Splice(inIndex, &inByte, 1, mAllocated + mAllocated / 2 + 2);
    return;
  }
  if (inIndex < mUsed) std::memmove(mData + inIndex + 1, mData + inIndex, mUsed - inIndex);
  mData[inIndex] = inByte;
  ++mUsed;
}

void Buffer::Insert(uint32_t inIndex, const Buffer& inOther) {
  if (inIndex > mUsed) {
    Z_ASSERT("Buffer::Insert(buffer): inIndex too large" == 0);
    return;
  }
  uint32_t theCount = inOther.mUsed;
  uint32_t theCapacity = mAllocated - (mUsed + 1) < theCount ? GrowFor(mAllocated, theCount) : mAllocated;
  if (&inOther == this) {
    Buffer theCopy(inOther);
    Splice(inIndex, theCopy.mData, theCount, theCapacity);
  } else {
    Splice(inIndex, inOther.mData, theCount, theCapacity);
  }
}

void Buffer::Replace(uint32_t inIndex, unsigned char inByte) {
  if (inIndex < mUsed) {
    mData[inIndex] = inByte;
  } else if (inIndex == mUsed) {
    Insert(inIndex, inByte);
  } else {
    Z_ASSERT("Buffer::Replace(byte): inIndex too large" == 0);
  }
}

void Buffer::Replace(uint32_t inIndex, const Buffer& inOther) {
  if (inIndex > mUsed) {
    Z_ASSERT("Buffer::Replace(buffer): inIndex too large" == 0);
    return;
  }
  Buffer theCopy(inOther);  // inOther may be this very buffer
  uint32_t theCount = theCopy.mUsed;
  uint32_t theEnd = inIndex + theCount;
  if (!(theEnd + 1 < mAllocated)) {
    // The same rule as the other growing edits, but never less than the new
    // length plus the spare byte.
    uint32_t theCapacity = GrowFor(mAllocated, theCount);
    if (theCapacity < theEnd + 1) theCapacity = theEnd + 1;
    unsigned char* theNewData = new (std::nothrow) unsigned char[theCapacity];
    Z_ASSERT(theNewData);
    std::memcpy(theNewData, mData, mUsed);
    delete[] mData;
    mData = theNewData;
    mAllocated = theCapacity;
  }
  std::memcpy(mData + inIndex, theCopy.mData, theCount);
  if (theEnd > mUsed) mUsed = theEnd;
}

void Buffer::Remove(uint32_t inIndex, uint32_t inCount) {
  Z_ASSERT(inIndex < mUsed && "Buffer::Remove: inIndex too large");
  uint32_t theAvailable = mUsed - inIndex;
  if (inCount > theAvailable) inCount = theAvailable;
  std::memmove(mData + inIndex, mData + inIndex + inCount, theAvailable - inCount);
  mUsed -= inCount;
}

void Buffer::SetLength(uint32_t inLength) {
  Z_ASSERT(inLength < mAllocated && "Buffer::SetLength(buffer): Length larger then allocated!");
  mUsed = inLength;
}

void Buffer::ToUpper() {
  for (uint32_t i = 0; i < mUsed; ++i)
    if (mData[i] >= 'a' && mData[i] <= 'z') mData[i] -= 0x20;
}

void Buffer::ToLower() {
  for (uint32_t i = 0; i < mUsed; ++i)
    if (mData[i] >= 'A' && mData[i] <= 'Z') mData[i] += 0x20;
}

int32_t Buffer::Find(const Buffer& inPattern, uint32_t inStart) const {
  uint32_t theLength = inPattern.mUsed;
  if (theLength == 0 || mUsed == 0 || inStart >= mUsed || theLength > mUsed) return -1;
  for (uint32_t thePos = inStart; thePos <= mUsed - theLength; ++thePos) {
    uint32_t i = 0;
    while (i < theLength && mData[thePos + i] == inPattern.mData[i]) ++i;
    if (i == theLength) return static_cast<int32_t>(thePos);
  }
  return -1;
}

void Buffer::ReplaceStorage(uint32_t inCapacity) {
  if (mAllocated >= inCapacity) return;
  delete[] mData;
  mData = NewBlock(inCapacity);
  mAllocated = inCapacity;
}

void Buffer::SetNumber(int32_t inValue) {
  ReplaceStorage(12);
  if (inValue == INT32_MIN) {
    std::memcpy(mData, "-2147483648", 11);
    mUsed = 11;
    return;
  }
  mUsed = 0;
  if (inValue < 0) {
    mData[mUsed++] = '-';
    inValue = -inValue;
  }
  uint32_t theValue = static_cast<uint32_t>(inValue);
  uint32_t theDigits = 1;
  for (uint32_t theRest = theValue / 10; theRest; theRest /= 10) ++theDigits;
  for (uint32_t i = theDigits; i > 0; --i) {
    mData[mUsed + i - 1] = static_cast<unsigned char>('0' + theValue % 10);
    theValue /= 10;
  }
  mUsed += theDigits;
}

void Buffer::SetNumber(uint32_t inValue) {
  ReplaceStorage(11);
  uint32_t theDigits = 1;
  for (uint32_t theRest = inValue / 10; theRest; theRest /= 10) ++theDigits;
  for (uint32_t i = theDigits; i > 0; --i) {
    mData[i - 1] = static_cast<unsigned char>('0' + inValue % 10);
    inValue /= 10;
  }
  mUsed = theDigits;
}

void Buffer::SetNumber(float inValue) {
  ReplaceStorage(256);
  int theLength = std::snprintf(reinterpret_cast<char*>(mData), mAllocated, "%.2f", inValue);
  if (theLength < 0) theLength = 0;
  if (static_cast<uint32_t>(theLength) >= mAllocated) theLength = static_cast<int>(mAllocated - 1);
  mUsed = static_cast<uint32_t>(theLength);
}

float Buffer::GetFloat() const {
  // The content is not terminated: read from a terminated copy.
  Buffer theCopy(*this);
  float theValue = 0.0f;
  if (std::sscanf(theCopy.CStr(), " %f", &theValue) != 1) return 0.0f;
  return theValue;
}

uint32_t Buffer::SkipSpace(uint32_t inIndex) const {
  while (inIndex < mUsed && IsSpace(mData[inIndex])) ++inIndex;
  return inIndex;
}

uint32_t Buffer::SkipDigits(uint32_t inIndex) const {
  while (inIndex < mUsed && IsDigit(mData[inIndex])) ++inIndex;
  return inIndex;
}

int32_t Buffer::GetDigits(uint32_t inIndex) const {
  uint32_t theValue = 0;
  for (; inIndex < mUsed && IsDigit(mData[inIndex]); ++inIndex)
    theValue = theValue * 10u + static_cast<uint32_t>(mData[inIndex] - '0');
  return static_cast<int32_t>(theValue);
}

int32_t Buffer::GetInteger(uint32_t inIndex) const {
  if (inIndex < mUsed && (mData[inIndex] == '-' || mData[inIndex] == '+')) {
    uint32_t theMagnitude = static_cast<uint32_t>(GetDigits(inIndex + 1));
    return static_cast<int32_t>(mData[inIndex] == '-' ? 0u - theMagnitude : theMagnitude);
  }
  return GetDigits(inIndex);
}

int32_t Buffer::GetIntegerSkipSpace(uint32_t inIndex) const { return GetInteger(SkipSpace(inIndex)); }

// A leading sign applies to the whole number: "-1.234" with '.' is -1234.
int32_t Buffer::GetGroupedInteger(uint32_t inIndex, char inSeparator) const {
  uint32_t thePos = SkipSpace(inIndex);
  bool theNegative = false;
  if (thePos < mUsed && (mData[thePos] == '-' || mData[thePos] == '+')) {
    theNegative = mData[thePos] == '-';
    ++thePos;
  }
  uint32_t theValue = static_cast<uint32_t>(GetDigits(thePos));
  thePos = SkipDigits(thePos);
  while (thePos < mUsed && mData[thePos] == static_cast<unsigned char>(inSeparator)) {
    ++thePos;
    theValue = theValue * 1000u + static_cast<uint32_t>(GetDigits(thePos));
    thePos = SkipDigits(thePos);
  }
  return static_cast<int32_t>(theNegative ? 0u - theValue : theValue);
}
