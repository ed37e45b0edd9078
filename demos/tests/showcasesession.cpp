#include "showcasesession.h"

#include <GL/glew.h>
#include <SDL.h>

#include <cstdlib>

#include "opengldriver.h"

SessionSettings ShowcaseSession(SDL_Config& outConfig, FrameClock& inClock, int inWidth, int inHeight,
                                uint32_t inStartMs, const std::string& inLogFolder) {
  PinOpenGLDriver();
  setenv("ZORBIT_PLUGIN_PATH", ZORBIT_BIN_DIR, 1);
  SDL_Config_DefaultConfig(outConfig);
  outConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_VIDEO;
  outConfig.width = inWidth;
  outConfig.height = inHeight;
  outConfig.videoFlags = SDL_DOUBLEBUF;
  SessionSettings theSettings;
  theSettings.options.demoPath = "showcase.xml";
  theSettings.options.startMs = inStartMs;
  theSettings.workingFolder = ZORBIT_SOURCE_DIR "/demos/showcase";
  theSettings.logPath = inLogFolder + "/Errorlog.txt";
  theSettings.allowSetupWindow = false;
  theSettings.config = &outConfig;
  theSettings.clock = &inClock;
  return theSettings;
}

std::vector<uint8_t> ReadBackBuffer() {
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  std::vector<uint8_t> thePixels(size_t(theScreen->w) * theScreen->h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, theScreen->w, theScreen->h, GL_RGBA, GL_UNSIGNED_BYTE, thePixels.data());
  return thePixels;
}
