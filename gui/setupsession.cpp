#include "setupsession.h"

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <cstdio>

#include "basicexception.h"
#include "guicontainer.h"
#include "guisdlhandler.h"
#include "oglguifactory.h"
#include <zorbit/oglstate.h>
#include "setuplistener.h"
#include "setupwindow.h"

namespace {

SetupLogFunction gSetupLog = nullptr;

constexpr uint32_t kFullScreen = 0x80000000u;  // SDL_FULLSCREEN
constexpr uint32_t kDoubleBufferOpenGL = 0x40000002u;
constexpr uint32_t kDemoVideoFlags = 0x40000003u;  // double buffer, OpenGL, hardware surface

}  // namespace

void SetSetupWindowLog(SetupLogFunction inWriteLog) { gSetupLog = inWriteLog; }

void SetupLog(const char* inText) {
  if (gSetupLog)
    gSetupLog(inText);
  else
    std::fputs(inText, stderr);
}

SetupSession::SetupSession()
    : mOpen(false),
      mQuit(false),
      mFirstFrame(true),
      mViewPushed(false),
      mStackBase(0),
      mState(nullptr),
      mListener(nullptr),
      mContainer(nullptr),
      mMayRemember(false) {}

SetupSession::~SetupSession() {
  if (mOpen) Release();
}

void SetupSession::ReadMemory() {
  mRemembered = SetupMemory();
  mMayRemember = true;
  mMemoryPath = SetupMemoryPath();
  if (mMemoryPath.empty()) return;
  std::string theError;
  switch (ReadSetupMemory(mMemoryPath, mRemembered, theError)) {
    case SetupMemoryRead::kBad:
      SetupLog(("Setup window: ignoring the remembered choices in " + mMemoryPath + ": " + theError +
                "; the defaults hold\n").c_str());
      break;
    case SetupMemoryRead::kNotAFile:
      SetupLog(("Setup window: ignoring the remembered choices in " + mMemoryPath + ": " + theError +
                "; it is left alone\n").c_str());
      mMayRemember = false;
      break;
    default:
      break;
  }
}

void SetupSession::Remember() {
  if (!mMayRemember) return;  // said so when it was read
  if (mMemoryPath.empty()) {
    SetupLog("Setup window: cannot remember the choices: neither XDG_STATE_HOME nor HOME names a folder\n");
    return;
  }
  const SetupMemory theChoices = ChoicesToRemember(mRemembered, mListener->GetChoices(), mGiven,
                                                   mListener->GammaPicked(), mListener->VolumeMoved());
  std::string theError;
  if (!WriteSetupMemory(mMemoryPath, theChoices, theError))
    SetupLog(("Setup window: cannot remember the choices in " + mMemoryPath + ": " + theError + "\n").c_str());
}

bool SetupSession::Open(double inGamma, int inVolume, const SetupGiven& inGiven) {
  if (mOpen) return false;
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  theConfig.initFlags = SDL_INIT_VIDEO;
  theConfig.width = kWidth;
  theConfig.height = kHeight;
  theConfig.videoFlags = (theConfig.videoFlags | kDoubleBufferOpenGL) & ~kFullScreen;
  if (!SDL_Config_Init(theConfig)) {
    SetupLog(
        "We couldn't initialize the setup window. We'll just continue with the settings in the SDL.ini file, and "
        "hope we can initialize a window for the demo...\n");
    return false;
  }
  if (glewInit() != GLEW_OK) {
    SDL_Config_Quit();
    return false;
  }
  SDL_WM_SetCaption("Setup Window", "Setup Window");

  mState = new OGLState(kWidth, kHeight);
  MakeCurrent(mState);
  OGLGUIFactory* theFactory = new OGLGUIFactory();
  SetFactory(theFactory);
  theFactory->SetDefaultFontSize(16);
  theFactory->PushClipRect(0, kWidth, 0, kHeight);
  mOpen = true;
  mQuit = false;
  mFirstFrame = true;
  mStackBase = GUISDLHandler::Size();

  ReadMemory();
  mGiven = inGiven;
  SetupMemory theStart = mRemembered;
  if (inGiven.gamma) theStart.gamma.reset();
  if (inGiven.volume) theStart.volume.reset();
  try {
    mListener = new SetupListener(static_cast<float>(inGamma), inVolume, theStart);
    mContainer = new GUIContainer(mListener, 0, 0, kWidth, kHeight, "Setup Window", 0, false);
    mListener->Attach(mContainer);
    GUISDLHandler::Push(mContainer);
  } catch (const BasicException& theError) {
    // Typically a font that cannot be loaded: the demo can still run.
    SetupLog(theError.GetMessage());
    Release();
    return false;
  }
  PushViewport(0, 0, kWidth, kHeight);
  PushProjection(0, kWidth, kHeight, 0, -1, 1, true);
  mViewPushed = true;
  return true;
}

bool SetupSession::Pass() {
  if (!mOpen) return false;
  bool theSomething = false;
  mQuit = GUISDLHandler::HandleEvents(&theSomething) || mQuit;
  // The first frame is drawn even when the window system sent no event.
  if ((SDL_GetAppState() & SDL_APPACTIVE) && (theSomething || mFirstFrame)) {
    DrawFrame();
    SDL_GL_SwapBuffers();
    mFirstFrame = false;
  } else {
    SDL_Delay(3);
  }
  return !(mQuit || mListener->CancelPressed() || mListener->StartPressed());
}

void SetupSession::DrawFrame() {
  glClear(GL_COLOR_BUFFER_BIT);
  for (int i = 0; i < GUISDLHandler::Size(); ++i) GUISDLHandler::GetUI(i)->Draw(0, 0);
}

void SetupSession::Close(SDL_Config& outConfig, double& ioGamma, bool& outStart, int& ioVolume, float& outAspect) {
  if (!mOpen) return;

  outStart = !mQuit && !mListener->CancelPressed();
  SDL_Config_DefaultConfig(outConfig);
  outConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO;
  outConfig.width = mListener->GetWidth();
  outConfig.height = mListener->GetHeight();
  outConfig.bitsPerPixel = 32;
  outConfig.videoFlags = (outConfig.videoFlags & ~kFullScreen) | kDemoVideoFlags |
                         (mListener->IsFullScreen() ? kFullScreen : 0u);
  outConfig.videoDriver = "directx";  // SDL_Config falls back to SDL's default where this driver is missing
  outConfig.audioFrequency = 44100;
  outConfig.audioChannels = 2;
  outConfig.audioFormat = 0x8010;  // AUDIO_S16LSB
  outConfig.audioBuffer = 4096;
  outConfig.audioDriver = "waveout";
  // The caller's own gamma comes back untouched unless the viewer chose one, now or remembered.
  if (mListener->GammaChosen()) ioGamma = mListener->GetGamma();
  ioVolume = mListener->GetVolume();
  outAspect = mListener->GetAspect();
  if (outStart) Remember();

  Release();
}

void SetupSession::Release() {
  if (mViewPushed) {
    PopViewport();
    PopProjection();
    mViewPushed = false;
  }
  // Drop-downs still open sit above the window's container.
  while (GUISDLHandler::Size() > mStackBase &&
         GUISDLHandler::GetUI(GUISDLHandler::Size() - 1) != mContainer)
    GUISDLHandler::Pop();
  if (mContainer) GUISDLHandler::Remove(mContainer);
  delete mContainer;
  mContainer = nullptr;
  delete mListener;
  mListener = nullptr;
  // Widgets removed during the last pass hold fonts, whose textures need the context.
  GUISDLHandler::RunDeferredDeletes();
  GetFactory()->PopClipRect();
  SetFactory(nullptr);
  MakeCurrent(nullptr);
  delete mState;
  mState = nullptr;
  SDL_Config_Quit();
  mOpen = false;
}
