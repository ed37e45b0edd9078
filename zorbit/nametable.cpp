#include "nametable.h"

#include <cstdlib>
#include <cstring>

#include "zassert.h"

NameTable& GetNameTable() {
  // Never destroyed: plug-ins may still ask for texts while the process ends.
  static NameTable* gNames = new NameTable{0, 0, nullptr};
  return *gNames;
}

void AddName(NameTable& ioTable, const char* inText) {
  Z_ASSERT(inText != nullptr && "AddName: no text");
  if (ioTable.count >= ioTable.capacity) {
    int32_t theCapacity = ioTable.count + 10;
    char** theTexts = static_cast<char**>(malloc(sizeof(char*) * static_cast<size_t>(theCapacity)));
    Z_ASSERT(theTexts != nullptr && "AddName: out of memory");
    if (ioTable.count > 0) memcpy(theTexts, ioTable.texts, sizeof(char*) * static_cast<size_t>(ioTable.count));
    free(ioTable.texts);
    ioTable.texts = theTexts;
    ioTable.capacity = theCapacity;
  }
  size_t theLength = strlen(inText);
  char* theCopy = static_cast<char*>(malloc(theLength + 2));
  Z_ASSERT(theCopy != nullptr && "AddName: out of memory");
  memcpy(theCopy, inText, theLength + 1);
  theCopy[theLength + 1] = 0;
  ioTable.texts[ioTable.count++] = theCopy;
}

const char* GetNameFrom(const NameTable& inTable, int32_t inIndex) {
  if (inIndex < 0 || inIndex >= inTable.count) return nullptr;
  return inTable.texts[inIndex];
}

const char* GetName(int32_t inIndex) { return GetNameFrom(GetNameTable(), inIndex); }

void ClearNameTable(NameTable& ioTable) {
  for (int32_t theI = 0; theI < ioTable.count; ++theI) free(ioTable.texts[theI]);
  free(ioTable.texts);
  ioTable = NameTable{0, 0, nullptr};
}
