// Plumbing every plug-in needs, written once: the host's slots as typed
// calls, a formatted warning, and the per-event states of an effect.
// Header only; include it in the plug-in's own sources (each plug-in gets
// its own copy of everything here, hidden in its shared object).
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <set>
#include <type_traits>
#include <vector>

#include "zorbit.h"

namespace zorbit {

// Formats a warning and hands it to inWarn: the whole text whatever its
// length (a name in it may be long), followed by inEnd. Nothing without a
// warn slot, or when the format itself fails.
inline void WarnV(WarnFunction inWarn, const char* inEnd, const char* inFormat, va_list inArgs) {
  if (inWarn == nullptr) return;
  char theShort[1024];
  va_list theCopy;
  va_copy(theCopy, inArgs);
  const int theLength = std::vsnprintf(theShort, sizeof theShort, inFormat, theCopy);
  va_end(theCopy);
  if (theLength < 0) return;
  size_t theEndLength = 0;
  while (inEnd[theEndLength] != '\0') ++theEndLength;
  if (static_cast<size_t>(theLength) + theEndLength < sizeof theShort) {
    for (size_t i = 0; i <= theEndLength; ++i) theShort[theLength + i] = inEnd[i];
    inWarn(theShort);
    return;
  }
  std::vector<char> theLong(static_cast<size_t>(theLength) + theEndLength + 1);
  std::vsnprintf(theLong.data(), theLong.size(), inFormat, inArgs);
  for (size_t i = 0; i <= theEndLength; ++i) theLong[theLength + i] = inEnd[i];
  inWarn(theLong.data());
}

// The host table's slots, copied in Zorbit_Init. Every call is safe while a
// slot is missing (a test host may leave some empty): it does nothing and
// answers null.
struct Host {
  void* state = nullptr;  // OGLState* (zorbit/oglstate.h)
  WarnFunction warn = nullptr;
  UseResourceFunction useResource = nullptr;
  ReleaseResourceFunction releaseResource = nullptr;
  RegisterKindFunction registerKind = nullptr;
  GetTextFunction getText = nullptr;
  OpenStreamFunction openStream = nullptr;
  CloseStreamFunction closeStream = nullptr;

  // Copies every slot of inTable; a null table empties them all.
  void Attach(void** inTable) {
    *this = Host();
    if (inTable == nullptr) return;
    state = inTable[HOST_STATE];
    warn = reinterpret_cast<WarnFunction>(inTable[HOST_WARN]);
    useResource = reinterpret_cast<UseResourceFunction>(inTable[HOST_USE_RESOURCE]);
    releaseResource = reinterpret_cast<ReleaseResourceFunction>(inTable[HOST_RELEASE_RESOURCE]);
    registerKind = reinterpret_cast<RegisterKindFunction>(inTable[HOST_REGISTER_KIND]);
    getText = reinterpret_cast<GetTextFunction>(inTable[HOST_GET_TEXT]);
    openStream = reinterpret_cast<OpenStreamFunction>(inTable[HOST_OPEN_STREAM]);
    closeStream = reinterpret_cast<CloseStreamFunction>(inTable[HOST_CLOSE_STREAM]);
  }

  // printf-style, with the rule of WarnV; the caller ends the line with "\n".
  void Warn(const char* inFormat, ...) const __attribute__((format(printf, 2, 3))) {
    va_list theArgs;
    va_start(theArgs, inFormat);
    WarnV(warn, "", inFormat, theArgs);
    va_end(theArgs);
  }
  const char* Text(int32_t inIndex) const { return getText != nullptr ? getText(inIndex) : nullptr; }
  void* Use(int32_t inKind, int32_t inName, void* inUserData, bool inPrivate, const char* inRequester,
            const char* inKindName, bool* ioIsStatic) const {
    if (useResource == nullptr) return nullptr;
    return useResource(inKind, inName, inUserData, inPrivate, inRequester, inKindName, ioIsStatic);
  }
  void Release(int32_t inKind, int32_t inName, void* inResource) const {
    if (releaseResource != nullptr) releaseResource(inKind, inName, inResource);
  }
  // False when the host offers no registerKind.
  bool Register(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) const {
    if (registerKind == nullptr) return false;
    registerKind(inKind, inProduce, inRelease);
    return true;
  }
  SDL_RWops* Open(const char* inName) const { return openStream != nullptr ? openStream(inName) : nullptr; }
  void Close(SDL_RWops* inStream) const {
    if (closeStream != nullptr && inStream != nullptr) closeStream(inStream);
  }
};

// The states an effect keeps behind its events' slots, so that Zorbit_Quit
// can end those whose events got no PHASE_DESTROY. Make at PHASE_MAKE (or
// any later call), Destroy at PHASE_DESTROY, DestroyAll from Zorbit_Quit.
// inEnd(State*) frees what the state holds and deletes it; it is passed
// in, so that each effect keeps its own order of giving things back.
template <class State>
class EventStates {
 public:
  // A new state behind *ioSlot; the slot must be empty. An effect whose
  // events keep states of several kinds makes each as Made, a class derived
  // from State; the slot and the set hold it as a State*, and inEnd deletes
  // it through State (which then wants a virtual destructor).
  template <class Made = State, class... Args>
  Made* Make(void** ioSlot, Args&&... inArgs) {
    static_assert(std::is_base_of<State, Made>::value, "a state is made of the class kept or one derived from it");
    Made* theMade = new Made{static_cast<Args&&>(inArgs)...};
    State* theState = theMade;
    mLive.insert(theState);
    *ioSlot = theState;
    return theMade;
  }
  // The state behind a slot: null when the slot is empty.
  static State* Of(void** ioSlot) { return ioSlot != nullptr ? static_cast<State*>(*ioSlot) : nullptr; }
  // Forgets inState (whose memory the caller then frees) and clears ioSlot.
  void Forget(State* inState, void** ioSlot = nullptr) {
    mLive.erase(inState);
    if (ioSlot != nullptr) *ioSlot = nullptr;
  }
  bool Holds(const State* inState) const { return mLive.count(const_cast<State*>(inState)) != 0; }
  // Ends every state still alive with inEnd, which must Forget it.
  template <class End>
  void DestroyAll(End inEnd) {
    while (!mLive.empty()) {
      State* theState = *mLive.begin();
      const size_t theCount = mLive.size();
      inEnd(theState);
      if (mLive.size() == theCount) mLive.erase(theState);  // an end that forgot to forget
    }
  }
  size_t Count() const { return mLive.size(); }

 private:
  std::set<State*> mLive;
};

}  // namespace zorbit
