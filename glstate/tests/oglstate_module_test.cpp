// Two modules, two gStates: this program (linked with -rdynamic, so it
// exports its own symbols) and a dlopen'ed module each carry a copy of the
// tracker; neither copy's gState or functions may be interposed by the other.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <dlfcn.h>

#include <zorbit/oglstate.h>

namespace {

template <typename F>
F Resolve(void* inHandle, const char* inName) {
  void* theSymbol = dlsym(inHandle, inName);
  EXPECT_NE(theSymbol, nullptr) << inName;
  return reinterpret_cast<F>(theSymbol);
}

TEST(OGLStateModules, EachModuleHasItsOwnCurrentTracker) {
  OGLState theA(640, 480);
  OGLState theB(320, 240);
  AttachState(&theA);

  void* theProbe = dlopen(GLSTATE_PROBE_PATH, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(theProbe, nullptr) << dlerror();
  auto theAttach = Resolve<void (*)(OGLState*)>(theProbe, "ProbeAttach");
  auto theCurrent = Resolve<OGLState* (*)()>(theProbe, "ProbeCurrent");
  auto theAddress = Resolve<OGLState** (*)()>(theProbe, "ProbeAddressOfState");
  auto theGetState = Resolve<int (*)(int)>(theProbe, "ProbeGetState");

  EXPECT_NE(theAddress(), &gState);
  EXPECT_EQ(theCurrent(), nullptr);  // the module's gState starts empty
  theAttach(&theB);
  EXPECT_EQ(theCurrent(), &theB);
  EXPECT_EQ(GetCurrentState(), &theA);
  AttachState(nullptr);
  EXPECT_EQ(theCurrent(), &theB);

  // The one object is shared by pointer: a change made here is seen there.
  // (No context and no glewInit: glBlendEquation has no entry point, the
  // value is recorded and no call is made.)
  AttachState(&theB);
  SetState(STATE_BLEND_EQUATION, GL_FUNC_SUBTRACT);
  EXPECT_EQ(theGetState(STATE_BLEND_EQUATION), GL_FUNC_SUBTRACT);
  SetState(STATE_BLEND_EQUATION, GL_FUNC_ADD);

  // Nothing of the tracker is exported by either module.
  EXPECT_EQ(dlsym(RTLD_DEFAULT, "gState"), nullptr);
  EXPECT_EQ(dlsym(theProbe, "gState"), nullptr);
  EXPECT_EQ(dlsym(RTLD_DEFAULT, "_Z8SetStateii"), nullptr);
  EXPECT_EQ(dlsym(theProbe, "_Z8SetStateii"), nullptr);
  EXPECT_EQ(dlsym(theProbe, "_Z11AttachStateP8OGLState"), nullptr);

  theAttach(nullptr);
  AttachState(nullptr);
  dlclose(theProbe);
}

}  // namespace
