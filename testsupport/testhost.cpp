#include "testhost.h"

#include <SDL/SDL.h>
#include <dlfcn.h>

namespace {

std::string OrEmpty(const char* inText) { return inText != nullptr ? inText : ""; }

SDL_RWops* OpenStream(const char* inName) { return inName != nullptr ? SDL_RWFromFile(inName, "rb") : nullptr; }
void CloseStream(SDL_RWops* inStream) {
  if (inStream != nullptr) SDL_RWclose(inStream);
}

}  // namespace

TestHost* TestHost::gCurrent = nullptr;

TestHost::TestHost(void* inState) {
  gCurrent = this;
  mTable[HOST_STATE] = inState;
  mTable[HOST_WARN] = reinterpret_cast<void*>(&TestHost::Warn);
  mTable[HOST_USE_RESOURCE] = reinterpret_cast<void*>(&TestHost::UseResource);
  mTable[HOST_RELEASE_RESOURCE] = reinterpret_cast<void*>(&TestHost::ReleaseResource);
  mTable[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&TestHost::RegisterKind);
  mTable[HOST_GET_TEXT] = reinterpret_cast<void*>(&TestHost::GetText);
  mTable[HOST_OPEN_STREAM] = reinterpret_cast<void*>(&OpenStream);
  mTable[HOST_CLOSE_STREAM] = reinterpret_cast<void*>(&CloseStream);
}

TestHost::~TestHost() {
  for (void* theHandle : mInitialised) Quit(theHandle);
  for (void* theHandle : mHandles) dlclose(theHandle);
  if (gCurrent == this) gCurrent = nullptr;
}

void* TestHost::Load(const char* inName) {
  const std::string thePath = std::string(ZORBIT_BIN_DIR) + "/" + inName + ".so";
  void* theHandle = dlopen(thePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (theHandle == nullptr) {
    mLoadError = dlerror();
    return nullptr;
  }
  mHandles.push_back(theHandle);
  mHandle = theHandle;
  if (!Init(theHandle)) return nullptr;
  mInitialised.push_back(theHandle);
  return theHandle;
}

void* TestHost::Symbol(const char* inName) const { return dlsym(mHandle, inName); }

void TestHost::BeginFrame() { reinterpret_cast<BeginNewFrameFunction>(Symbol("Zorbit_BeginNewFrame"))(0); }

bool TestHost::Init(void* inHandle) {
  auto theInit = reinterpret_cast<InitFunction>(dlsym(inHandle, "Zorbit_Init"));
  return theInit != nullptr && theInit(nullptr, nullptr, mTable);
}

void TestHost::Quit(void* inHandle) {
  if (auto theQuit = reinterpret_cast<QuitFunction>(dlsym(inHandle, "Zorbit_Quit"))) theQuit();
}

bool TestHost::Reopen(void* inHandle, void* inState) {
  Quit(inHandle);
  mTable[HOST_STATE] = inState;
  return Init(inHandle);
}

int32_t TestHost::AddText(const std::string& inText) {
  mTexts.push_back(inText);
  return static_cast<int32_t>(mTexts.size() - 1);
}

int32_t TestHost::Name(const std::string& inText) {
  for (size_t i = 0; i < mTexts.size(); ++i)
    if (mTexts[i] == inText) return static_cast<int32_t>(i);
  return AddText(inText);
}

void TestHost::AddProducer(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
  mKinds.push_back(Kind{inKind, inProduce, inRelease});
}

void* TestHost::Produce(int32_t inKind, const char* inName, bool* outIsStatic) {
  bool theStatic = false;
  void* theResource = Ask(inKind, inName, nullptr, theStatic);
  if (outIsStatic != nullptr) *outIsStatic = theStatic;
  return theResource;
}

bool TestHost::Release(int32_t inKind, const char* inName) { return GiveBack(inKind, inName, nullptr); }

std::string TestHost::AllWarnings() const {
  std::string theAll;
  for (const std::string& theWarning : mWarnings) theAll += theWarning + "|";
  return theAll;
}

std::vector<std::string> TestHost::TakeWarnings() {
  std::vector<std::string> theWarnings;
  theWarnings.swap(mWarnings);
  return theWarnings;
}

int32_t TestHost::CountUses(int32_t inKind) const {
  int32_t theCount = 0;
  for (const UseCall& theUse : mUses) theCount += theUse.mKind == inKind;
  return theCount;
}

int32_t TestHost::CountReleases(int32_t inKind) const {
  int32_t theCount = 0;
  for (const ReleaseCall& theRelease : mReleases) theCount += theRelease.mKind == inKind;
  return theCount;
}

// The table's functions may still be called after the last host went (a
// plug-in's own clean-up at exit): they do nothing then.
void TestHost::Warn(const char* inMessage) {
  if (gCurrent != nullptr) gCurrent->mWarnings.push_back(inMessage != nullptr ? inMessage : "(null)");
}

const char* TestHost::GetText(int32_t inIndex) {
  if (gCurrent == nullptr || inIndex < 0 || static_cast<size_t>(inIndex) >= gCurrent->mTexts.size()) return nullptr;
  return gCurrent->mTexts[static_cast<size_t>(inIndex)].c_str();
}

void TestHost::RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
  if (gCurrent != nullptr) gCurrent->AddProducer(inKind, inProduce, inRelease);
}

void* TestHost::UseResource(int32_t inKind, int32_t inNameIndex, void* inUserData, bool /*inPrivate*/,
                            const char* inRequester, const char* inKindName, bool* outIsStatic) {
  if (gCurrent == nullptr) return nullptr;
  gCurrent->mUses.push_back(UseCall{inKind, inNameIndex, inUserData, OrEmpty(inRequester), OrEmpty(inKindName)});
  const char* theName = GetText(inNameIndex);
  if (theName == nullptr) {
    gCurrent->mWarnings.push_back(OrEmpty(inRequester) + ": no name for " + OrEmpty(inKindName));
    return nullptr;
  }
  bool theStatic = false;
  void* theResource = gCurrent->Ask(inKind, theName, inUserData, theStatic);
  if (theResource == nullptr)
    gCurrent->mWarnings.push_back(OrEmpty(inRequester) + ": no " + OrEmpty(inKindName) + " " + theName);
  else if (outIsStatic != nullptr)
    *outIsStatic = theStatic;
  return theResource;
}

void TestHost::ReleaseResource(int32_t inKind, int32_t inNameIndex, void* inResource) {
  if (gCurrent == nullptr) return;
  gCurrent->mReleases.push_back(ReleaseCall{inKind, inNameIndex, inResource});
  if (const char* theName = GetText(inNameIndex)) gCurrent->GiveBack(inKind, theName, inResource);
}

// Like the player's registry, a use that finds nothing leaves the caller's
// static flag as it was.
void* TestHost::Ask(int32_t inKind, const char* inName, void* inUserData, bool& outIsStatic) {
  for (const Kind& theKind : mKinds) {
    if (theKind.mKind != inKind || theKind.mProduce == nullptr) continue;
    if (void* theResource = theKind.mProduce(inName, inUserData, outIsStatic)) return theResource;
  }
  return nullptr;
}

bool TestHost::GiveBack(int32_t inKind, const char* inName, void* inResource) {
  for (const Kind& theKind : mKinds)
    if (theKind.mKind == inKind && theKind.mRelease != nullptr && theKind.mRelease(inName, inResource)) return true;
  return false;
}
