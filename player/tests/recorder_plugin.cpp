// A test plug-in that appends every call it receives to "calls.txt" in the
// working directory, one line per call. Built in several variants (PLUGIN_TAG
// names the variant; the NO_* and INIT_FAILS switches remove or break entry
// points) so the player's binding, start-up and frame loop can be observed.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#ifdef WITH_GL
#include <GL/gl.h>
#endif

#include <zorbit/zorbit.h>

#ifndef PLUGIN_TAG
#error PLUGIN_TAG must name the variant
#endif
#ifndef PRODUCE_PREFIX
#define PRODUCE_PREFIX 'a'
#endif

namespace {

const int32_t kKindTest = ZORBIT_KIND('T', 'E', 'S', 'T');

void** gHost = nullptr;
SDL_Surface** gOutput = nullptr;
// Each made event owns one of these behind its slot.
struct EventData {
  int32_t serial;
};
int32_t gSerial = 0;
// Events made and not yet destroyed; Zorbit_Quit frees those still running
// when the demo stops, as the contract asks of every plug-in.
std::vector<EventData*> gLive;

void Note(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
void Note(const char* inFormat, ...) {
#ifdef QUIET
  // The variant that only costs a call (benchmarks).
  return;
#endif
  FILE* theFile = std::fopen("calls.txt", "ab");
  if (theFile == nullptr) return;
  va_list theArgs;
  va_start(theArgs, inFormat);
  std::vfprintf(theFile, inFormat, theArgs);
  va_end(theArgs);
  std::fputc('\n', theFile);
  std::fclose(theFile);
}

[[maybe_unused]] void* Produce(const char* inName, void* inUserData, bool& outIsStatic) {
  Note("produce %s %s", PLUGIN_TAG, inName);
  if (inName[0] != PRODUCE_PREFIX) return nullptr;
  outIsStatic = true;
  (void)inUserData;
  return const_cast<char*>(PLUGIN_TAG);
}

[[maybe_unused]] bool Release(const char* inName, void* inResource) {
  bool theMine = inName[0] == PRODUCE_PREFIX;
  Note("release %s %s %s", PLUGIN_TAG, inName, theMine && std::strcmp(static_cast<const char*>(inResource), PLUGIN_TAG) == 0 ? "taken" : "passed");
  return theMine;
}

#define PARAMS40                                                                                                    \
  int32_t p0, int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6, int32_t p7, int32_t p8,       \
      int32_t p9, int32_t p10, int32_t p11, int32_t p12, int32_t p13, int32_t p14, int32_t p15, int32_t p16,        \
      int32_t p17, int32_t p18, int32_t p19, int32_t p20, int32_t p21, int32_t p22, int32_t p23, int32_t p24,       \
      int32_t p25, int32_t p26, int32_t p27, int32_t p28, int32_t p29, int32_t p30, int32_t p31, int32_t p32,       \
      int32_t p33, int32_t p34, int32_t p35, int32_t p36, int32_t p37, int32_t p38, int32_t p39
#define VALUES40                                                                                                    \
  {p0,  p1,  p2,  p3,  p4,  p5,  p6,  p7,  p8,  p9,  p10, p11, p12, p13, p14, p15, p16, p17, p18, p19,             \
   p20, p21, p22, p23, p24, p25, p26, p27, p28, p29, p30, p31, p32, p33, p34, p35, p36, p37, p38, p39}

// Writes one line for the call and keeps the slot as an effect must: data made
// at PHASE_MAKE, checked on every later call, freed at PHASE_DESTROY.
void RecordCall(const char* inEffect, FrameInfo* inInfo, void** ioSlot, const int32_t (&inValues)[40]) {
#ifdef QUIET
  (void)inEffect, (void)inInfo, (void)ioSlot, (void)inValues;
  return;
#endif
  const char* theSlot = "none";
  if (inInfo->phase == PHASE_MAKE) {
    theSlot = *ioSlot == nullptr ? "empty" : "stale";
    EventData* theData = new EventData{++gSerial};
    *ioSlot = theData;
    gLive.push_back(theData);
  } else {
    EventData* theData = static_cast<EventData*>(*ioSlot);
    theSlot = theData != nullptr ? "kept" : "lost";
    if (inInfo->phase == PHASE_DESTROY && theData != nullptr) {
      gLive.erase(std::remove(gLive.begin(), gLive.end(), theData), gLive.end());
      delete theData;
      *ioSlot = nullptr;
    }
  }
  std::string theValues;
  int theLast = 39;
  while (theLast >= 0 && inValues[theLast] == 0) --theLast;
  for (int i = 0; i <= theLast; ++i) {
    if (i > 0) theValues += ",";
    theValues += std::to_string(inValues[i]);
  }
  Note("effect %s %s phase=%d elapsed=%d const=%d status=%d start=%u dur=%u slot=%s values=%s", PLUGIN_TAG,
         inEffect, int(inInfo->phase), int(inInfo->elapsed), int(inInfo->paramsConstant), int(inInfo->status),
         unsigned(inInfo->startTime), unsigned(inInfo->duration), theSlot, theValues.c_str());
}

}  // namespace

#ifndef NO_INIT
#ifdef CONTRACT_VERSION
// The contract version the variant claims to be built against.
ZORBIT_EXPORT const uint32_t Zorbit_ContractVersion = CONTRACT_VERSION;
#endif

ZORBIT_EXPORT bool Zorbit_Init(SDL_Surface** inOutput, SDL_Surface** inInput, void** inHostTable) {
  gHost = inHostTable;
  gOutput = inOutput;
  bool theSlotsSet = true;
  for (int i = HOST_WARN; i < HOST_SLOT_COUNT; ++i) theSlotsSet = theSlotsSet && inHostTable[i] != nullptr;
  Note("init %s output=%s input=%s state=%s services=%s", PLUGIN_TAG,
         inOutput != nullptr && inOutput[0] != nullptr && inOutput[1] != nullptr ? "2" : "missing",
         inInput != nullptr ? "array" : "null", inHostTable[HOST_STATE] != nullptr ? "set" : "null",
         theSlotsSet ? "set" : "missing");
#ifdef INIT_FAILS
  return false;
#else
  reinterpret_cast<RegisterKindFunction>(gHost[HOST_REGISTER_KIND])(kKindTest, &Produce, &Release);
  return true;
#endif
}
#endif

#ifndef NO_QUIT
ZORBIT_EXPORT bool Zorbit_Quit() {
  Note("quit %s live=%d", PLUGIN_TAG, int(gLive.size()));
  for (EventData* theData : gLive) delete theData;
  gLive.clear();
  return true;
}
#endif

#ifndef NO_FRAME
ZORBIT_EXPORT bool Zorbit_BeginNewFrame(int32_t inValue) {
  Note("frame %s %d", PLUGIN_TAG, int(inValue));
  return true;
}
#endif

// Records and succeeds; in PHASE_RUN it reports STATUS_BUILT.
ZORBIT_EXPORT bool Record(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("Record", inInfo, ioSlot, theValues);
  if (inInfo->phase == PHASE_RUN) inInfo->status = STATUS_BUILT;
  return true;
}

// Records and fails every running call.
ZORBIT_EXPORT bool FailRun(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("FailRun", inInfo, ioSlot, theValues);
  return inInfo->phase != PHASE_RUN;
}

// On its first running call asks the host for the TEST resource named by
// text p0: p1 = 1 for a private use, p2 = 1 to release it again right after,
// p3 = how many times to ask.
ZORBIT_EXPORT bool UseTest(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("UseTest", inInfo, ioSlot, theValues);
  if (inInfo->phase != PHASE_RUN || inInfo->elapsed != 0) return true;
  auto theUse = reinterpret_cast<UseResourceFunction>(gHost[HOST_USE_RESOURCE]);
  auto theRelease = reinterpret_cast<ReleaseResourceFunction>(gHost[HOST_RELEASE_RESOURCE]);
  auto theGetText = reinterpret_cast<GetTextFunction>(gHost[HOST_GET_TEXT]);
  for (int32_t i = 0; i < (p3 > 0 ? p3 : 1); ++i) {
    bool theStatic = false;
    void* theResource = theUse(kKindTest, p0, nullptr, p1 != 0, "UseTest", "test thing", &theStatic);
    const char* theName = theGetText(p0);
    Note("used %s %s -> %s static=%d", PLUGIN_TAG, theName != nullptr ? theName : "(no name)",
           theResource != nullptr ? static_cast<const char*>(theResource) : "null", int(theStatic));
    if (p2 != 0) theRelease(kKindTest, p0, theResource);
  }
  (void)p4;
  return true;
}

// Warns through the host with text p0 (or a 3000-character line when p0 is -1).
ZORBIT_EXPORT bool Warn(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("Warn", inInfo, ioSlot, theValues);
  if (inInfo->phase == PHASE_MAKE) {
    auto theWarn = reinterpret_cast<WarnFunction>(gHost[HOST_WARN]);
    auto theGetText = reinterpret_cast<GetTextFunction>(gHost[HOST_GET_TEXT]);
    std::string theLine = p0 == -1 ? std::string(3000, 'w') : std::string(theGetText(p0) ? theGetText(p0) : "?");
    theWarn(("Warn: " + theLine + "\n").c_str());
  }
  return true;
}

ZORBIT_EXPORT void Zorbit_UpdateParam(int32_t, int32_t, int32_t) { Note("updateparam %s", PLUGIN_TAG); }

// Fills output surface 0 with the byte p0 (the frame the player copies to
// the screen when it does not use OpenGL).
ZORBIT_EXPORT bool Paint(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("Paint", inInfo, ioSlot, theValues);
  SDL_Surface* theSurface = gOutput[0];
  if (inInfo->phase == PHASE_RUN && SDL_LockSurface(theSurface) == 0) {
    std::memset(theSurface->pixels, p0 & 0xFF, size_t(theSurface->pitch) * theSurface->h);
    SDL_UnlockSurface(theSurface);
  }
  return true;
}

#ifdef WITH_GL
// Clears the whole window to the packed colour 0x00RRGGBB in p0.
ZORBIT_EXPORT bool GLClear(FrameInfo* inInfo, void** ioSlot, PARAMS40) {
  const int32_t theValues[40] = VALUES40;
  RecordCall("GLClear", inInfo, ioSlot, theValues);
  if (inInfo->phase == PHASE_RUN) {
    glClearColor(((p0 >> 16) & 0xFF) / 255.0f, ((p0 >> 8) & 0xFF) / 255.0f, (p0 & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  return true;
}
#endif
