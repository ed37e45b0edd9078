#include "imagerytest.h"

#include <GL/gl.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "glwindow.h"
#include "opengldriver.h"
#include "tempfolder.h"

// Under LeakSanitizer: the GLX set-up inside SDL_SetVideoMode keeps an X
// extension record for the display, which lives as long as the window.
extern "C" const char* __lsan_default_suppressions() { return "leak:XextAddDisplay\n"; }

namespace {

typedef bool (*MakeMovieFunction)(FrameInfo*, void**, int32_t, int32_t, int32_t);

void Fail(const std::string& inWhat) {
  fprintf(stderr, "imagery tests: %s\n", inWhat.c_str());
  abort();
}

struct Imagery {
  TestHost mHost;
  void* mLibrary = nullptr;
  MakeMovieFunction mMakeMovie = nullptr;
};

Imagery& TheImagery() {
  static Imagery* theImagery = nullptr;
  if (theImagery != nullptr) return *theImagery;
  PinOpenGLDriver();  // what GLEW's set-up leaves in the driver stays attributable
  const ::testing::AssertionResult theWindow = EnsureGLWindow(64, 64);
  if (!theWindow) Fail(theWindow.message());
  // Removed at exit, with the working directory still inside it.
  static TempFolder theFolder("imagery-test-");
  if (theFolder.Path().empty() || chdir(theFolder.Path().c_str()) != 0) Fail("no working folder");

  theImagery = new Imagery();
  theImagery->mLibrary = dlopen(ZORBIT_BIN_DIR "/imagery.so", RTLD_NOW | RTLD_LOCAL);
  if (theImagery->mLibrary == nullptr) Fail(std::string("dlopen: ") + dlerror());
  theImagery->mMakeMovie = reinterpret_cast<MakeMovieFunction>(dlsym(theImagery->mLibrary, "MakeMovie"));
  if (!theImagery->mMakeMovie || !dlsym(theImagery->mLibrary, "Zorbit_Init") ||
      !dlsym(theImagery->mLibrary, "Zorbit_Quit") || !dlsym(theImagery->mLibrary, "Zorbit_BeginNewFrame"))
    Fail("missing export");
  return *theImagery;
}

}  // namespace

TestHost& ImageryHost() { return TheImagery().mHost; }

bool InitImagery() {
  Imagery& theImagery = TheImagery();
  theImagery.mHost.mWarnings.clear();
  theImagery.mHost.mKinds.clear();
  return theImagery.mHost.Init(theImagery.mLibrary);
}

void QuitImagery() { TheImagery().mHost.Quit(TheImagery().mLibrary); }

bool RunMovie(FrameInfo& ioInfo, void** ioSlot, int32_t inName, int32_t inPattern, int32_t inFrame) {
  return TheImagery().mMakeMovie(&ioInfo, ioSlot, inName, inPattern, inFrame);
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
