// The host of plug-in tests: a host table backed by a small resource
// registry that records what a plug-in asks of it. It loads built plug-ins
// from the build folder (or hands its table to one linked into the test),
// keeps the demo texts, asks producers of a kind in registration order (a
// test may add its own), records every use and release with its user data,
// logs warnings and opens real SDL file streams. The OpenGL state tracker is
// the test's (glwindow.h opens a window for it), or none. One TestHost at a
// time: the table's functions reach the newest one.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "effectcall.h"
#include <zorbit/zorbit.h>

class TestHost {
 public:
  struct Kind {
    int32_t mKind;
    ProduceFunction mProduce;
    ReleaseFunction mRelease;  // may be null: nothing to give back
  };
  struct UseCall {
    int32_t mKind;
    int32_t mNameIndex;
    void* mUserData;
    std::string mRequester;
    std::string mKindName;
  };
  struct ReleaseCall {
    int32_t mKind;
    int32_t mNameIndex;
    void* mResource;
  };

  explicit TestHost(void* inState = nullptr);
  // Quits every library whose Zorbit_Init succeeded in Load, as the player
  // does at its end (a second Quit after the test's own is harmless), then
  // unloads them.
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // The table to hand to a plug-in's Zorbit_Init.
  void** Table() { return mTable; }

  // Loads bin/<inName>.so and calls its Zorbit_Init; returns the handle, or
  // null (with mLoadError when the file would not load).
  void* Load(const char* inName);
  void* Handle() const { return mHandle; }  // the library loaded last
  // A symbol of the library loaded last.
  void* Symbol(const char* inName) const;
  // Zorbit_BeginNewFrame(0) of the library loaded last.
  void BeginFrame();

  // Zorbit_Init of a loaded library with this host's table, and its Zorbit_Quit.
  bool Init(void* inHandle);
  void Quit(void* inHandle);
  // Zorbit_Quit, then Zorbit_Init again with this host's table, as a host
  // does that closes a demo and opens the next without unloading the plug-in.
  // inState becomes the table's tracker first.
  bool Reopen(void* inHandle) { return Reopen(inHandle, mTable[HOST_STATE]); }
  bool Reopen(void* inHandle, void* inState);

  // Adds a demo text and returns its name number.
  int32_t AddText(const std::string& inText);
  // The number of a text, added when it is not there yet.
  int32_t Name(const std::string& inText);

  // A producer of the test's own, asked after those registered before it.
  void AddProducer(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease = nullptr);
  // The resource of a kind by name, asking the producers like the registry
  // does (without user data and without recording a use).
  void* Produce(int32_t inKind, const char* inName, bool* outIsStatic = nullptr);
  // Gives a resource back by name; false when no producer took it.
  bool Release(int32_t inKind, const char* inName);

  // The warnings one after the other, each followed by "|".
  std::string AllWarnings() const;
  // The warnings so far, forgotten here.
  std::vector<std::string> TakeWarnings();
  int32_t CountUses(int32_t inKind) const;
  int32_t CountReleases(int32_t inKind) const;

  std::vector<std::string> mWarnings;
  // A deque keeps every text at its address, as plug-ins keep the pointers.
  std::deque<std::string> mTexts;
  std::vector<Kind> mKinds;  // in registration order
  std::vector<UseCall> mUses;
  std::vector<ReleaseCall> mReleases;
  std::string mLoadError;

 private:
  static void Warn(const char* inMessage);
  static const char* GetText(int32_t inIndex);
  static void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease);
  static void* UseResource(int32_t inKind, int32_t inNameIndex, void* inUserData, bool inPrivate,
                           const char* inRequester, const char* inKindName, bool* outIsStatic);
  static void ReleaseResource(int32_t inKind, int32_t inNameIndex, void* inResource);
  void* Ask(int32_t inKind, const char* inName, void* inUserData, bool& outIsStatic);
  bool GiveBack(int32_t inKind, const char* inName, void* inResource);

  static TestHost* gCurrent;
  void* mTable[HOST_SLOT_COUNT] = {};
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
