// A small stand-in for the player's host table, for loading built plug-ins
// in a test: the test's OpenGL state tracker (or none), demo texts, a
// resource registry that asks producers in registration order (a test may
// add its own), and a log of warnings. One FakeHost at a time. Header only;
// the test links the contract and libdl.
#pragma once

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "effectcall.h"
#include "zorbit.h"

class FakeHost {
 public:
  struct Producer {
    int32_t mKind;
    ProduceFunction mProduce;
    ReleaseFunction mRelease;
  };

  explicit FakeHost(void* inState = nullptr) {
    gCurrent = this;
    mTable[HOST_STATE] = inState;
    mTable[HOST_WARN] = reinterpret_cast<void*>(&FakeHost::Warn);
    mTable[HOST_USE_RESOURCE] = reinterpret_cast<void*>(&FakeHost::UseResource);
    mTable[HOST_RELEASE_RESOURCE] = reinterpret_cast<void*>(&FakeHost::ReleaseResource);
    mTable[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&FakeHost::RegisterKind);
    mTable[HOST_GET_TEXT] = reinterpret_cast<void*>(&FakeHost::GetText);
  }
  // Quits every library whose Zorbit_Init succeeded, as the player does at
  // its end (a second Quit after the test's own is harmless), then unloads.
  ~FakeHost() {
    for (void* theHandle : mInitialised)
      if (auto theQuit = reinterpret_cast<QuitFunction>(dlsym(theHandle, "Zorbit_Quit"))) theQuit();
    for (void* theHandle : mHandles) dlclose(theHandle);
    gCurrent = nullptr;
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Loads bin/<inName>.so and calls its Zorbit_Init; returns the handle, or
  // null (with mLoadError when the file would not load).
  void* Load(const char* inName) {
    const std::string thePath = std::string(ZORBIT_BIN_DIR) + "/" + inName + ".so";
    void* theHandle = dlopen(thePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!theHandle) {
      mLoadError = dlerror();
      return nullptr;
    }
    mHandles.push_back(theHandle);
    mHandle = theHandle;
    auto theInit = reinterpret_cast<InitFunction>(dlsym(theHandle, "Zorbit_Init"));
    if (!theInit || !theInit(nullptr, nullptr, mTable.data())) return nullptr;
    mInitialised.push_back(theHandle);
    return theHandle;
  }
  void* Handle() const { return mHandle; }  // the library loaded last
  // A symbol of the library loaded last.
  void* Symbol(const char* inName) const { return dlsym(mHandle, inName); }
  // Zorbit_BeginNewFrame(0) of the library loaded last.
  void BeginFrame() { reinterpret_cast<BeginNewFrameFunction>(Symbol("Zorbit_BeginNewFrame"))(0); }

  // Zorbit_Quit, then Zorbit_Init again with this host's table, as a host
  // does that closes a demo and opens the next without unloading the plug-in.
  // inState becomes the table's tracker first.
  bool Reopen(void* inHandle) { return Reopen(inHandle, mTable[HOST_STATE]); }
  bool Reopen(void* inHandle, void* inState) {
    reinterpret_cast<QuitFunction>(dlsym(inHandle, "Zorbit_Quit"))();
    mTable[HOST_STATE] = inState;
    auto theInit = reinterpret_cast<InitFunction>(dlsym(inHandle, "Zorbit_Init"));
    return theInit && theInit(nullptr, nullptr, mTable.data());
  }

  // Adds a demo text and returns its name number.
  int32_t AddText(const std::string& inText) {
    mTexts.push_back(inText);
    return static_cast<int32_t>(mTexts.size() - 1);
  }

  // The resource of a kind by name, asking the producers like the registry does.
  void* Produce(int32_t inKind, const char* inName, bool* outIsStatic = nullptr) {
    bool theStatic = false;
    for (const Producer& theProducer : mProducers) {
      if (theProducer.mKind != inKind) continue;
      if (void* theResource = theProducer.mProduce(inName, nullptr, theStatic)) {
        if (outIsStatic) *outIsStatic = theStatic;
        return theResource;
      }
    }
    if (outIsStatic) *outIsStatic = theStatic;
    return nullptr;
  }

  bool Release(int32_t inKind, const char* inName) {
    for (const Producer& theProducer : mProducers)
      if (theProducer.mKind == inKind && theProducer.mRelease(inName, nullptr)) return true;
    return false;
  }

  std::vector<std::string> mWarnings;
  // A deque keeps every text at its address, as plug-ins keep the pointers.
  std::deque<std::string> mTexts;
  std::vector<Producer> mProducers;
  std::string mLoadError;
  int mUseCount = 0;      // useResource calls
  int mReleaseCount = 0;  // releaseResource calls

 private:
  static void Warn(const char* inMessage) { gCurrent->mWarnings.emplace_back(inMessage); }
  static const char* GetText(int32_t inIndex) {
    if (inIndex < 0 || static_cast<size_t>(inIndex) >= gCurrent->mTexts.size()) return nullptr;
    return gCurrent->mTexts[inIndex].c_str();
  }
  static void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
    gCurrent->mProducers.push_back(Producer{inKind, inProduce, inRelease});
  }
  static void* UseResource(int32_t inKind, int32_t inNameIndex, void*, bool, const char* inRequester,
                           const char* inKindName, bool* outIsStatic) {
    ++gCurrent->mUseCount;
    const char* theName = GetText(inNameIndex);
    if (!theName) {
      gCurrent->mWarnings.push_back(std::string(inRequester) + ": no name for " + inKindName);
      return nullptr;
    }
    void* theResource = gCurrent->Produce(inKind, theName, outIsStatic);
    if (!theResource)
      gCurrent->mWarnings.push_back(std::string(inRequester) + ": no " + inKindName + " " + theName);
    return theResource;
  }
  static void ReleaseResource(int32_t inKind, int32_t inNameIndex, void*) {
    ++gCurrent->mReleaseCount;
    if (const char* theName = GetText(inNameIndex)) gCurrent->Release(inKind, theName);
  }

  static inline FakeHost* gCurrent = nullptr;
  std::array<void*, HOST_SLOT_COUNT> mTable{};
  std::vector<void*> mHandles;
  std::vector<void*> mInitialised;
  void* mHandle = nullptr;
};

inline FrameInfo MakeInfo(int32_t inPhase, uint32_t inStart = 0, uint32_t inDuration = 1000,
                          bool inConstant = true, int32_t inElapsed = 0) {
  FrameInfo theInfo{};
  theInfo.phase = inPhase;
  theInfo.elapsed = inElapsed;
  theInfo.paramsConstant = inConstant ? 1 : 0;
  theInfo.startTime = inStart;
  theInfo.duration = inDuration;
  return theInfo;
}
