#include "pluginhost.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

// Under LeakSanitizer: the GLX set-up inside SDL_SetVideoMode keeps an X
// extension record for the display, which lives as long as the window.
extern "C" const char* __lsan_default_suppressions() { return "leak:XextAddDisplay\n"; }

namespace {

PluginHost* gHostUnderTest = nullptr;
std::string gFolderToRemove;

void RemoveFolder() {
  std::error_code theIgnored;
  std::filesystem::remove_all(gFolderToRemove, theIgnored);
}
std::vector<std::string> gWarnings;
void* gHostTable[HOST_SLOT_COUNT];

void RecordWarning(const char* inMessage) { gWarnings.push_back(inMessage); }

void RegisterKind(int32_t inKind, ProduceFunction inProduce, ReleaseFunction inRelease) {
  gHostUnderTest->registeredKind = inKind;
  gHostUnderTest->produce = inProduce;
  gHostUnderTest->release = inRelease;
}

const char* GetText(int32_t inIndex) {
  std::vector<std::string>& theTexts = gHostUnderTest->texts;
  if (inIndex < 0 || static_cast<size_t>(inIndex) >= theTexts.size()) return nullptr;
  return theTexts[inIndex].c_str();
}

SDL_RWops* OpenStream(const char* inName) { return SDL_RWFromFile(inName, "rb"); }
void CloseStream(SDL_RWops* inStream) { SDL_RWclose(inStream); }

void Fail(const std::string& inWhat) {
  fprintf(stderr, "PluginHost: %s\n", inWhat.c_str());
  throw std::runtime_error(inWhat);
}

}  // namespace

PluginHost& PluginHost::Get() {
  static PluginHost* theHost = new PluginHost();
  return *theHost;
}

PluginHost::PluginHost() {
  gHostUnderTest = this;
  // The X server of xvfb-run may still be starting (or racing another
  // xvfb-run -a for its display number): retry for a few seconds.
  bool theOpen = false;
  for (int theTry = 0; theTry < 50 && !theOpen; ++theTry) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      if (SDL_SetVideoMode(64, 64, 0, SDL_OPENGL)) {
        theOpen = true;
        break;
      }
      SDL_Quit();
    }
    SDL_Delay(100);
  }
  if (!theOpen) Fail(std::string("no OpenGL window: ") + SDL_GetError());

  char theTemplate[] = "/tmp/imagery-test-XXXXXX";
  if (!mkdtemp(theTemplate)) Fail("mkdtemp failed");
  mFolder = theTemplate;
  if (chdir(mFolder.c_str()) != 0) Fail("chdir failed");
  gFolderToRemove = mFolder;
  atexit(&RemoveFolder);

  std::string thePath = std::string(ZORBIT_BIN_DIR) + "/imagery.so";
  mLibrary = dlopen(thePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary) Fail(std::string("dlopen: ") + dlerror());
  mInit = reinterpret_cast<InitFunction>(dlsym(mLibrary, "Zorbit_Init"));
  mQuit = reinterpret_cast<QuitFunction>(dlsym(mLibrary, "Zorbit_Quit"));
  makeMovie = reinterpret_cast<MakeMovieFunction>(dlsym(mLibrary, "MakeMovie"));
  if (!mInit || !mQuit || !makeMovie || !dlsym(mLibrary, "Zorbit_BeginNewFrame")) Fail("missing export");
}

bool PluginHost::Init() {
  gWarnings.clear();
  registeredKind = 0;
  produce = nullptr;
  release = nullptr;
  gHostTable[HOST_STATE] = nullptr;
  gHostTable[HOST_WARN] = reinterpret_cast<void*>(&RecordWarning);
  gHostTable[HOST_USE_RESOURCE] = nullptr;
  gHostTable[HOST_RELEASE_RESOURCE] = nullptr;
  gHostTable[HOST_REGISTER_KIND] = reinterpret_cast<void*>(&RegisterKind);
  gHostTable[HOST_GET_TEXT] = reinterpret_cast<void*>(&GetText);
  gHostTable[HOST_OPEN_STREAM] = reinterpret_cast<void*>(&OpenStream);
  gHostTable[HOST_CLOSE_STREAM] = reinterpret_cast<void*>(&CloseStream);
  SDL_Surface* theNoSurfaces[2] = {nullptr, nullptr};
  return mInit(theNoSurfaces, theNoSurfaces, gHostTable);
}

void PluginHost::Quit() { mQuit(); }

void* PluginHost::Produce(const std::string& inName, bool* outIsStatic) {
  bool theIsStatic = false;
  void* theResult = produce(inName.c_str(), nullptr, theIsStatic);
  if (outIsStatic) *outIsStatic = theIsStatic;
  return theResult;
}

bool PluginHost::Release(const std::string& inName) { return release(inName.c_str(), nullptr); }

bool PluginHost::RunMovie(FrameInfo& ioInfo, void** ioSlot, int32_t inName, int32_t inPattern, int32_t inFrame) {
  return makeMovie(&ioInfo, ioSlot, inName, inPattern, inFrame);
}

std::vector<std::string> PluginHost::TakeWarnings() {
  std::vector<std::string> theWarnings;
  theWarnings.swap(gWarnings);
  return theWarnings;
}

Texels ReadTexels(uint32_t inTexture) {
  Texels theTexels;
  GLint theOld = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &theOld);
  glBindTexture(GL_TEXTURE_2D, inTexture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &theTexels.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &theTexels.height);
  theTexels.pixels.resize(static_cast<size_t>(theTexels.width) * theTexels.height);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  if (!theTexels.pixels.empty()) {
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, theTexels.pixels.data());
  }
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(theOld));
  return theTexels;
}
