// The resource registry and the host services handed to plug-ins in the
// HostTable. Plug-ins register producers of a kind; anyone asks for a
// resource of a kind by the number of its name in the demo's NameTable.
// The producing plug-in keeps ownership of every resource; the registry only
// records private uses. Main thread only.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

struct KindEntry {
  int32_t kind;
  ProduceFunction produce;
  ReleaseFunction release;
};

struct ResourceRegistry {
  enum { kPrivateCapacity = 512 };
  int32_t capacity;  // slots in kinds
  int32_t count;     // registered entries, in registration order
  KindEntry* kinds;  // owned
  int32_t privateCount;
  int32_t privateKinds[kPrivateCapacity];
  int32_t privateNames[kPrivateCapacity];
};

// The process-wide registry, created on first use.
ResourceRegistry& GetResourceRegistry();
// Forgets every kind and private use. Start-up calls it after the libraries
// are unloaded, since the registered functions then point into unmapped code.
void ClearResourceRegistry();

// Where the registry's warnings go; start-up sets WriteLog. Null drops them.
void SetWarningFunction(WarnFunction inWarn);

// HostTable services (slots 2 to 7).
// Finds the resource of inKind named by text inNameIndex. Null, with a
// warning, when the name is missing, the resource is in private use, no
// producer knows it, or a private use is asked for while 512 are recorded.
void* UseResource(int32_t inKind, int32_t inNameIndex, void* inUserData, bool inPrivateUse, const char* inRequester,
                  const char* inKindName, bool* ioIsStatic);
// Ends the first private use of (inKind, inNameIndex), then offers the
// resource to the kind's releasers in registration order until one takes it.
void ReleaseResource(int32_t inKind, int32_t inNameIndex, void* inResource);
void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease);
const char* GetText(int32_t inIndex);
SDL_RWops* OpenStream(const char* inName);
void CloseStream(SDL_RWops* inStream);

// Fills the eight HostTable slots: inState, WriteLog-like inWarn, then the services above.
void FillHostTable(void* outTable[HOST_SLOT_COUNT], void* inState, WarnFunction inWarn);
