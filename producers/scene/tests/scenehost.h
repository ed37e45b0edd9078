// A small host for loading scene.so or swarm.so in a test: a host table with
// the test's OpenGL state tracker, demo texts, a registry that asks the
// producers of a kind in registration order (the test may register its own,
// for GRID and TXTR), and the warnings written.
#pragma once

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "effectcall.h"
#include "zorbit.h"

class SceneHost {
 public:
  explicit SceneHost(void* inState) {
    gHost = this;
    mTable[HOST_STATE] = inState;
    mTable[HOST_WARN] = reinterpret_cast<void*>(&Warn);
    mTable[HOST_USE_RESOURCE] = reinterpret_cast<void*>(&UseResource);
    mTable[HOST_RELEASE_RESOURCE] = reinterpret_cast<void*>(&ReleaseResource);
    mTable[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&RegisterKind);
    mTable[HOST_GET_TEXT] = reinterpret_cast<void*>(&GetText);
  }
  ~SceneHost() {
    if (mHandle != nullptr) {
      if (auto theQuit = reinterpret_cast<QuitFunction>(Symbol("Zorbit_Quit"))) theQuit();
      dlclose(mHandle);
    }
    gHost = nullptr;
  }
  SceneHost(const SceneHost&) = delete;
  SceneHost& operator=(const SceneHost&) = delete;

  // Loads bin/<inName>.so and runs its Zorbit_Init; false (with mLoadError) on failure.
  bool Load(const char* inName) {
    const std::string thePath = std::string(ZORBIT_BIN_DIR) + "/" + inName + ".so";
    mHandle = dlopen(thePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (mHandle == nullptr) {
      mLoadError = dlerror();
      return false;
    }
    auto theInit = reinterpret_cast<InitFunction>(Symbol("Zorbit_Init"));
    return theInit != nullptr && theInit(nullptr, nullptr, mTable.data());
  }
  // Zorbit_Quit, then Zorbit_Init again with inState as the tracker, as a
  // host does that closes a demo and opens the next without unloading.
  bool Reopen(void* inState) {
    reinterpret_cast<QuitFunction>(Symbol("Zorbit_Quit"))();
    mTable[HOST_STATE] = inState;
    return reinterpret_cast<InitFunction>(Symbol("Zorbit_Init"))(nullptr, nullptr, mTable.data());
  }
  void* Symbol(const char* inName) const { return dlsym(mHandle, inName); }
  void BeginFrame() { reinterpret_cast<BeginNewFrameFunction>(Symbol("Zorbit_BeginNewFrame"))(0); }

  int32_t AddText(const std::string& inText) {
    mTexts.push_back(inText);
    return int32_t(mTexts.size() - 1);
  }

  // The resource of inKind named inName, as the registry would find it.
  void* Produce(int32_t inKind, const char* inName, bool* outStatic = nullptr) {
    bool theStatic = false;
    for (auto& theProducer : mProducers) {
      if (theProducer.mKind != inKind) continue;
      if (void* theResource = theProducer.mProduce(inName, nullptr, theStatic)) {
        if (outStatic != nullptr) *outStatic = theStatic;
        return theResource;
      }
    }
    return nullptr;
  }
  bool Release(int32_t inKind, const char* inName) {
    for (auto& theProducer : mProducers)
      if (theProducer.mKind == inKind && theProducer.mRelease(inName, nullptr)) return true;
    return false;
  }

  struct Producer {
    int32_t mKind;
    ProduceFunction mProduce;
    ReleaseFunction mRelease;
  };
  std::vector<Producer> mProducers;
  std::vector<std::string> mTexts;
  std::vector<std::string> mWarnings;
  std::string mLoadError;
  int mUses = 0;
  int mReleases = 0;

 private:
  static void Warn(const char* inText) { gHost->mWarnings.emplace_back(inText); }
  static const char* GetText(int32_t inIndex) {
    if (inIndex < 0 || size_t(inIndex) >= gHost->mTexts.size()) return nullptr;
    return gHost->mTexts[size_t(inIndex)].c_str();
  }
  static void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
    gHost->mProducers.push_back(Producer{inKind, inProduce, inRelease});
  }
  static void* UseResource(int32_t inKind, int32_t inName, void*, bool, const char* inRequester,
                           const char* inKindName, bool* outStatic) {
    ++gHost->mUses;
    const char* theName = GetText(inName);
    void* theResource = theName != nullptr ? gHost->Produce(inKind, theName, outStatic) : nullptr;
    if (theResource == nullptr)
      gHost->mWarnings.push_back(std::string(inRequester) + ": no " + inKindName);
    return theResource;
  }
  static void ReleaseResource(int32_t inKind, int32_t inName, void*) {
    ++gHost->mReleases;
    if (const char* theName = GetText(inName)) gHost->Release(inKind, theName);
  }

  static inline SceneHost* gHost = nullptr;
  std::array<void*, HOST_SLOT_COUNT> mTable{};
  void* mHandle = nullptr;
};

// Calls an effect in inPhase of a 10 s event, inElapsed ms into it, with
// inValues and zeros after them; outStatus gets the status it set.
inline bool CallEffect(void* inEffect, int32_t inPhase, void** ioSlot, const std::vector<int32_t>& inValues,
                       int32_t* outStatus = nullptr, int32_t inElapsed = 0) {
  FrameInfo theInfo{};
  theInfo.phase = inPhase;
  theInfo.elapsed = inElapsed;
  theInfo.duration = 10000;
  const bool theResult = CallEffect(inEffect, theInfo, ioSlot, inValues);
  if (outStatus != nullptr) *outStatus = theInfo.status;
  return theResult;
}
