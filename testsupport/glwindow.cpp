#include "glwindow.h"

#include <GL/glew.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include <zorbit/oglstate.h>

::testing::AssertionResult EnsureGLWindow(int inWidth, int inHeight) {
  static bool theOpen = false;
  if (theOpen) return ::testing::AssertionSuccess();
  for (int theTry = 0; theTry < 50; ++theTry) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) {
      SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
      SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
      if (SDL_SetVideoMode(inWidth, inHeight, 0, SDL_OPENGL)) {
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) return ::testing::AssertionFailure() << "glewInit failed";
        theOpen = true;
        return ::testing::AssertionSuccess();
      }
      SDL_Quit();
    }
    SDL_Delay(100);
  }
  return ::testing::AssertionFailure() << "no OpenGL window: " << SDL_GetError();
}

OGLState* OpenTestWindow() {
  static OGLState* gWindowState = nullptr;
  if (gWindowState != nullptr) return gWindowState;
  const ::testing::AssertionResult theWindow = EnsureGLWindow(256, 256);
  if (!theWindow) {
    fprintf(stderr, "%s\n", theWindow.message());
    abort();
  }
  gWindowState = new OGLState(256, 256);
  MakeCurrent(gWindowState);
  return gWindowState;
}
