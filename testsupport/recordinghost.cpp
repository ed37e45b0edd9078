#include "recordinghost.h"

#include <SDL/SDL.h>
#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>

#include "oglstate.h"

namespace {

TestHost* gHost = nullptr;

void HostWarn(const char* inMessage) {
  if (gHost) gHost->warnings.push_back(inMessage ? inMessage : "(null)");
}

const char* HostGetText(int32_t inIndex) {
  if (!gHost || inIndex < 0 || size_t(inIndex) >= gHost->texts.size()) return nullptr;
  return gHost->texts[size_t(inIndex)].c_str();
}

void* HostUseResource(int32_t inKind, int32_t inNameIndex, void* inUserData, bool /*inPrivate*/,
                      const char* inRequester, const char* inKindName, bool* outIsStatic) {
  gHost->uses.push_back({inKind, inNameIndex, inUserData, inRequester ? inRequester : "",
                         inKindName ? inKindName : ""});
  const char* theName = HostGetText(inNameIndex);
  if (!theName) {
    gHost->warnings.push_back(std::string(inRequester ? inRequester : "") + ": no name");
    return nullptr;
  }
  bool theStatic = false;
  for (auto& theKind : gHost->kinds) {
    if (theKind.first != inKind) continue;
    void* theResource = theKind.second.first(theName, inUserData, theStatic);
    if (theResource) {
      if (outIsStatic) *outIsStatic = theStatic;
      return theResource;
    }
  }
  return nullptr;
}

void HostReleaseResource(int32_t inKind, int32_t inNameIndex, void* inUserData) {
  gHost->releases.push_back({inKind, inNameIndex, inUserData});
  const char* theName = HostGetText(inNameIndex);
  if (!theName) return;
  for (auto& theKind : gHost->kinds) {
    if (theKind.first == inKind && theKind.second.second && theKind.second.second(theName, inUserData)) return;
  }
}

void HostRegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
  gHost->kinds.push_back({inKind, {inProduce, inRelease}});
}

}  // namespace

OGLState* OpenTestWindow() {
  static OGLState* gWindowState = nullptr;
  if (gWindowState) return gWindowState;
  // The X server of xvfb-run may still be starting: try for a few seconds.
  bool theOpened = false;
  for (int theTry = 0; theTry < 20 && !theOpened; ++theTry) {
    if (theTry > 0) {
      SDL_Quit();
      SDL_Delay(250);
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) continue;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    theOpened = SDL_SetVideoMode(256, 256, 0, SDL_OPENGL) != nullptr;
  }
  if (!theOpened) {
    fprintf(stderr, "no OpenGL window: %s\n", SDL_GetError());
    abort();
  }
  glewInit();
  gWindowState = new OGLState(256, 256);
  MakeCurrent(gWindowState);
  return gWindowState;
}

TestHost::TestHost() {
  gHost = this;
  table[HOST_STATE] = OpenTestWindow();
  table[HOST_WARN] = reinterpret_cast<void*>(&HostWarn);
  table[HOST_USE_RESOURCE] = reinterpret_cast<void*>(&HostUseResource);
  table[HOST_RELEASE_RESOURCE] = reinterpret_cast<void*>(&HostReleaseResource);
  table[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&HostRegisterKind);
  table[HOST_GET_TEXT] = reinterpret_cast<void*>(&HostGetText);
}

TestHost::~TestHost() {
  if (gHost == this) gHost = nullptr;
}

int32_t TestHost::AddText(const std::string& inText) {
  texts.push_back(inText);
  return int32_t(texts.size() - 1);
}

std::string TestHost::AllWarnings() const {
  std::string theAll;
  for (const auto& w : warnings) theAll += w + "|";
  return theAll;
}

int32_t TestHost::CountUses(int32_t inKind) const {
  int32_t theCount = 0;
  for (const auto& u : uses) theCount += u.kind == inKind;
  return theCount;
}

int32_t TestHost::CountReleases(int32_t inKind) const {
  int32_t theCount = 0;
  for (const auto& r : releases) theCount += r.kind == inKind;
  return theCount;
}
