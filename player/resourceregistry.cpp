#include "resourceregistry.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <zorbit/codepage.h>
#include "nametable.h"
#include "zassert.h"

namespace {

ResourceRegistry* gRegistry = nullptr;
WarnFunction gWarn = nullptr;

// Formats into a 1024-byte buffer, or a heap buffer of the exact size when
// the names make the text longer, so nothing is cut or overrun.
// Every warning is one line of the log: the texts end with a line feed.
void Warn(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
void Warn(const char* inFormat, ...) {
  if (gWarn == nullptr) return;
  char theText[1024];
  va_list theArgs;
  va_start(theArgs, inFormat);
  va_list theCopy;
  va_copy(theCopy, theArgs);
  int theLength = std::vsnprintf(theText, sizeof theText, inFormat, theCopy);
  va_end(theCopy);
  if (theLength < 0) {
    va_end(theArgs);
    return;
  }
  if (size_t(theLength) < sizeof theText) {
    gWarn(theText);
  } else {
    std::vector<char> theLong(size_t(theLength) + 1);
    std::vsnprintf(theLong.data(), theLong.size(), inFormat, theArgs);
    gWarn(theLong.data());
  }
  va_end(theArgs);
}

const char* OrEmpty(const char* inText) { return inText != nullptr ? inText : "(null)"; }

}  // namespace

ResourceRegistry& GetResourceRegistry() {
  if (gRegistry == nullptr) {
    gRegistry = static_cast<ResourceRegistry*>(std::calloc(1, sizeof(ResourceRegistry)));
    Z_ASSERT(gRegistry != nullptr && "GetResourceRegistry: out of memory");
  }
  return *gRegistry;
}

void ClearResourceRegistry() {
  ResourceRegistry& theRegistry = GetResourceRegistry();
  std::free(theRegistry.kinds);
  theRegistry.kinds = nullptr;
  theRegistry.capacity = 0;
  theRegistry.count = 0;
  theRegistry.privateCount = 0;
}

void SetWarningFunction(WarnFunction inWarn) { gWarn = inWarn; }

void* UseResource(int32_t inKind, int32_t inNameIndex, void* inUserData, bool inPrivateUse, const char* inRequester,
                  const char* inKindName, bool* ioIsStatic) {
  ResourceRegistry& theRegistry = GetResourceRegistry();
  inRequester = OrEmpty(inRequester);
  inKindName = OrEmpty(inKindName);
  const char* theName = GetName(inNameIndex);
  if (theName == nullptr) {
    Warn("%s could not find the name for the %s nr %d\n", inRequester, inKindName, int(inNameIndex));
    return nullptr;
  }
  for (int32_t i = 0; i < theRegistry.privateCount; ++i) {
    if (theRegistry.privateKinds[i] == inKind && theRegistry.privateNames[i] == inNameIndex) {
      Warn("%s tried to use the %s %s, but it's already in private use!\n", inRequester, inKindName, theName);
      return nullptr;
    }
  }
  // Refused before any producer runs, so no producer hands out (and counts) a
  // resource that nobody would then release.
  if (inPrivateUse && theRegistry.privateCount >= ResourceRegistry::kPrivateCapacity) {
    Warn("%s tried to use the %s %s privately, but %d resources are in private use already!\n", inRequester,
         inKindName, theName, int(ResourceRegistry::kPrivateCapacity));
    return nullptr;
  }
  bool theScratch = false;
  bool& theIsStatic = ioIsStatic != nullptr ? *ioIsStatic : theScratch;
  for (int32_t i = 0; i < theRegistry.count; ++i) {
    const KindEntry& theEntry = theRegistry.kinds[i];
    if (theEntry.kind != inKind || theEntry.produce == nullptr) continue;
    void* theResource = theEntry.produce(theName, inUserData, theIsStatic);
    if (theResource != nullptr) {
      if (inPrivateUse) {
        theRegistry.privateKinds[theRegistry.privateCount] = inKind;
        theRegistry.privateNames[theRegistry.privateCount] = inNameIndex;
        ++theRegistry.privateCount;
      }
      return theResource;
    }
  }
  Warn("%s could not find the %s named %s\n", inRequester, inKindName, theName);
  return nullptr;
}

void ReleaseResource(int32_t inKind, int32_t inNameIndex, void* inResource) {
  ResourceRegistry& theRegistry = GetResourceRegistry();
  for (int32_t i = 0; i < theRegistry.privateCount; ++i) {
    if (theRegistry.privateKinds[i] == inKind && theRegistry.privateNames[i] == inNameIndex) {
      int32_t theLast = theRegistry.privateCount - 1;
      theRegistry.privateKinds[i] = theRegistry.privateKinds[theLast];
      theRegistry.privateNames[i] = theRegistry.privateNames[theLast];
      theRegistry.privateCount = theLast;
      break;
    }
  }
  if (inNameIndex < 0) return;
  const char* theName = GetName(inNameIndex);
  if (theName == nullptr) return;
  for (int32_t i = 0; i < theRegistry.count; ++i) {
    const KindEntry& theEntry = theRegistry.kinds[i];
    if (theEntry.kind == inKind && theEntry.release != nullptr && theEntry.release(theName, inResource)) return;
  }
}

void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
  ResourceRegistry& theRegistry = GetResourceRegistry();
  if (theRegistry.count >= theRegistry.capacity) {
    int32_t theCapacity = theRegistry.count + 10;
    KindEntry* theKinds = static_cast<KindEntry*>(std::realloc(theRegistry.kinds, sizeof(KindEntry) * theCapacity));
    Z_ASSERT(theKinds != nullptr && "RegisterKind: out of memory");
    theRegistry.kinds = theKinds;
    theRegistry.capacity = theCapacity;
  }
  theRegistry.kinds[theRegistry.count++] = KindEntry{inKind, inProduce, inRelease};
}

const char* GetText(int32_t inIndex) { return GetName(inIndex); }

SDL_RWops* OpenStream(const char* inName) {
  if (inName == nullptr) return nullptr;
  // Names come in the demo's code page; files are named in UTF-8.
  return SDL_RWFromFile(codepage::ToUtf8(inName).c_str(), "rb");
}

void CloseStream(SDL_RWops* inStream) {
  if (inStream != nullptr) SDL_RWclose(inStream);
}

void FillHostTable(void* outTable[HOST_SLOT_COUNT], void* inState, WarnFunction inWarn) {
  outTable[HOST_STATE] = inState;
  outTable[HOST_WARN] = reinterpret_cast<void*>(inWarn);
  outTable[HOST_USE_RESOURCE] = reinterpret_cast<void*>(&UseResource);
  outTable[HOST_RELEASE_RESOURCE] = reinterpret_cast<void*>(&ReleaseResource);
  outTable[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&RegisterKind);
  outTable[HOST_GET_TEXT] = reinterpret_cast<void*>(&GetText);
  outTable[HOST_OPEN_STREAM] = reinterpret_cast<void*>(&OpenStream);
  outTable[HOST_CLOSE_STREAM] = reinterpret_cast<void*>(&CloseStream);
}
