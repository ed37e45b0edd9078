#include "startup.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "basicexception.h"
#include "binding.h"
#include "displaycheck.h"
#include <zorbit/codepage.h>
#include "gamma.h"
#include "musicsource.h"
#include "nametable.h"
#include <zorbit/oglstate.h>
#include "paramanim.h"
#include "resourceregistry.h"
#include "sdlconfig.h"
#include "soundfonts.h"
#include "writelog.h"
#include "zorbitloader.h"

#ifdef ZORBIT_HAVE_SETUP_WINDOW
#include "setupwindow.h"
#endif

namespace {

// Raised for start-up failures that carry no message of their own; the
// failure handler reports them with the step reached.
struct StepFailure {};

enum { kMaxDemoPath = 1023 };

const char* const kNoSetupWindow =
    "We couldn't initialize the setup window. We'll just continue with the settings in the SDL.ini file, and hope "
    "we can initialize a window for the demo...\n";

// Reads every file of the data folder once so that the first use of each
// during the demo does not wait for the disk. The contents are discarded.
void PrefetchDataFolder(const char* inFolder) {
  DIR* theDir = opendir(inFolder);
  if (theDir == nullptr) return;
  std::vector<char> theScratch(65536);
  while (dirent* theEntry = readdir(theDir)) {
    std::string thePath = std::string(inFolder) + theEntry->d_name;
    // Regular files only, links followed: a FIFO would block start-up and a
    // link to a device may never end. O_NONBLOCK lets a FIFO open at once so
    // that fstat can turn it away.
    int theFile = open(thePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (theFile < 0) continue;
    struct stat theInfo;
    if (fstat(theFile, &theInfo) == 0 && S_ISREG(theInfo.st_mode)) {
      while (read(theFile, theScratch.data(), theScratch.size()) > 0) {
      }
    }
    close(theFile);
  }
  closedir(theDir);
}

bool SetupWindowDisabled() {
  const char* theValue = std::getenv("ZORBIT_NO_SETUP");
  return theValue != nullptr && theValue[0] != '\0' && std::strcmp(theValue, "0") != 0;
}

}  // namespace

bool ComputeLetterbox(float inScreenAspect, int32_t inAspectX, int32_t inAspectY, uint32_t inWidth, uint32_t inHeight,
                      OGLViewport& outViewport) {
  if (inAspectX <= 0 || inAspectY <= 0 || !(inScreenAspect > 0.0f)) return false;
  float theDemoAspect = float(inAspectX) / float(inAspectY);
  if (!(std::fabs(inScreenAspect - theDemoAspect) > 0.01f)) return false;
  // Double intermediates: 1280 x 1024 at 1.25 with a 16:9 demo is 719 rows high.
  if (inScreenAspect > theDemoAspect) {
    int32_t theWidth = int32_t(double(inWidth) * double(theDemoAspect) / double(inScreenAspect));
    outViewport = OGLViewport{(int32_t(inWidth) - theWidth) / 2, 0, uint32_t(theWidth), inHeight};
  } else {
    int32_t theHeight = int32_t(double(inHeight) * double(inScreenAspect) / double(theDemoAspect));
    outViewport = OGLViewport{0, (int32_t(inHeight) - theHeight) / 2, inWidth, uint32_t(theHeight)};
  }
  return true;
}

int MixerVolume(int32_t inVolume) {
  if (inVolume < 0) inVolume = 0;
  if (inVolume > 255) inVolume = 255;
  return inVolume * MIX_MAX_VOLUME / 255;
}

const char* StepName(StartupStep inStep) {
  switch (inStep) {
    case StartupStep::kNothing: return "nothing";
    case StartupStep::kDemoLoaded: return "demo loaded";
    case StartupStep::kVideoOpen: return "video open";
    case StartupStep::kLibrariesBound: return "libraries bound";
    case StartupStep::kEventsMatched: return "events matched";
    case StartupStep::kSurfacesCreated: return "surfaces created";
    case StartupStep::kLibrariesStarted: return "libraries started";
    case StartupStep::kMusicLoaded: return "music loaded";
    case StartupStep::kMusicReady: return "music ready";
    case StartupStep::kLoopEntered: return "loop entered";
  }
  return "?";
}

void ResetPlayerGlobals() {
  // A tool may play another demo in this process: its texts and kinds start afresh.
  ClearNameTable(GetNameTable());
  ClearResourceRegistry();
  SetWarningFunction(nullptr);
  SetBeatResourceLookup(nullptr);
  ResetStopFlag();
  ResetFrameLoop();  // a reopened demo may reuse the old one's addresses
}

PlayerSession::PlayerSession(const SessionSettings& inSettings) : mSettings(inSettings) {
  SDL_Config_DefaultConfig(mConfig);
}

PlayerSession::~PlayerSession() { Close(); }

template <typename Steps>
bool PlayerSession::Guarded(Steps&& inSteps) {
  try {
    inSteps();
    return true;
  } catch (const BasicException& inFailure) {
    WriteLog(inFailure.GetMessage());
  } catch (...) {
    WriteLogF("Something went horribly wrong.  Stopped at step '%d'.\n", int(mStep));
  }
  return false;
}

bool PlayerSession::Open() {
  if (mLogOpen) return false;  // once per session; Reopen brings a demo up again
  if (!mSettings.workingFolder.empty()) {
    char theFolder[PATH_MAX];
    if (getcwd(theFolder, sizeof theFolder) == nullptr || chdir(mSettings.workingFolder.c_str()) != 0) {
      std::fprintf(stderr, "player: cannot enter the folder %s: %s\n", mSettings.workingFolder.c_str(),
                   std::strerror(errno));
      return false;
    }
    mOldFolder = theFolder;
    mFolderEntered = true;
  }
  // Without a log the diagnostics go to standard error (WriteLog falls back).
  if (mSettings.logPath.empty()) {
    OpenPlayerLog();
  } else {
    OpenLog(mSettings.logPath.c_str());
  }
  mLogOpen = true;
  mTimes.Mark("log opened");

  const PlayerOptions& theOptions = mSettings.options;
  if (theOptions.demoPath.size() > kMaxDemoPath) {
    WriteLogF("The demo path is %zu characters long; at most %d are allowed.\n", theOptions.demoPath.size(),
              int(kMaxDemoPath));
    return false;
  }
  if (!CheckDisplay()) return false;
  mTimes.Mark("display checked");
  if (!ShowSetupWindow()) return false;
  mTimes.Mark("setup window");

  return Guarded([&] {
    PrefetchDataFolder("./zelth/");
    mTimes.Mark("data folder read");
    LoadDocument();
    StartMusicAnalysis();
    OpenVideoMode();
    BindLibraries();
    MatchEffects();
    CreateDemoSurfaces();
    StartLibraries();
    LoadMusic();
  });
}

// The setup window, unless the command line or the caller chose the video
// mode. False when the viewer cancelled it.
bool PlayerSession::ShowSetupWindow() {
  PlayerOptions& theOptions = mSettings.options;
  if (!mSettings.allowSetupWindow || SetupWindowDisabled() || theOptions.noSetup || theOptions.AsksForVideoMode())
    return true;
  bool theRun = true;
#ifdef ZORBIT_HAVE_SETUP_WINDOW
  int theVolume = theOptions.volume;
  SetSetupWindowLog(&WriteLog);
  SetupGiven theGiven;
  theGiven.gamma = theOptions.gammaGiven;
  theGiven.volume = theOptions.volumeGiven;
  mSetupShown = RunSetupWindow(mConfig, theOptions.gamma, theRun, theVolume, mScreenAspect, theGiven);
  theOptions.volume = theVolume;
#else
  WriteLog(kNoSetupWindow);
#endif
  return !(mSetupShown && !theRun);
}

// Step 1.
void PlayerSession::LoadDocument() {
  LoadDemo(mSettings.options.demoPath.c_str(), mDemo, GetNameTable());
  Reach(StartupStep::kDemoLoaded);
  mTimes.Mark("demo loaded (step 1)");
}

// Beside step 1: the music's decoding for analysis starts on a thread of
// its own, so that it runs while the rest starts up. Playback is step 7's.
void PlayerSession::StartMusicAnalysis() {
  const std::string thePath = mDemo.musicFile != nullptr ? codepage::ToUtf8(mDemo.musicFile) : std::string();
  mMusicSource.reset(new MusicSource(thePath, mSettings.options.verbose));
  SetCurrentMusicSource(mMusicSource.get());
}

std::shared_ptr<const MusicSamples> PlayerSession::GetMusicSamples() const {
  return mMusicSource ? mMusicSource->Samples() : nullptr;
}

// Step 2: the video mode of the setup window, the caller's record, or
// "SDL.ini" (with --window and --fullscreen on top), then GLEW and the gamma ramp.
void PlayerSession::OpenVideoMode() {
  const PlayerOptions& theOptions = mSettings.options;
  if (!mSetupShown) {
    if (mSettings.config != nullptr) {
      mConfig = *mSettings.config;
    } else {
      SDL_Config_DefaultConfig(mConfig);
      mConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO;
      // A mode asked for on the command line needs no "SDL.ini"; one that exists still gives the rest.
      const bool theOptional = theOptions.AsksForVideoMode() && access("SDL.ini", F_OK) != 0;
      if (!theOptional && SDL_Config_LoadConfig("SDL.ini", mConfig) < 0) {
        WriteLogF("%s\n", SDL_Config_GetError());
        throw StepFailure();
      }
      if (theOptions.windowWidth > 0) {
        mConfig.width = theOptions.windowWidth;
        mConfig.height = theOptions.windowHeight;
        if (!theOptions.fullscreen) mConfig.videoFlags &= ~uint32_t(SDL_FULLSCREEN);
      }
      if (theOptions.fullscreen) mConfig.videoFlags |= SDL_FULLSCREEN;
    }
    mScreenAspect = float(mConfig.width) / float(mConfig.height);
  }
  // The setup window asks for OpenGL whatever the demo is; a demo drawn into
  // output surface 0 is copied to the screen, and a copy onto an OpenGL
  // screen shows nothing.
  if (mDemo.useOpenGL) {
    mConfig.videoFlags |= SDL_OPENGL;
  } else {
    mConfig.videoFlags &= ~uint32_t(SDL_OPENGL);
  }
  // The audio opens here: music that is not MIDI needs no sound fonts.
  if ((mConfig.initFlags & SDL_INIT_AUDIO) != 0) {
    mSoundFontsLeftOut =
        LeaveOutSoundFonts(mDemo.musicFile != nullptr ? codepage::ToUtf8(mDemo.musicFile).c_str() : nullptr);
  }
  mScreen = SDL_Config_Init(mConfig);
  if (mScreen == nullptr) {
    WriteLogF("%s\n", SDL_Config_GetError());
    throw StepFailure();
  }
  mVideoOpen = true;
  Reach(StartupStep::kVideoOpen);
  mTimes.Mark("video mode and sound open (step 2)");

  GLenum theGlew = glewInit();
  // Without OpenGL there is no context and GLEW cannot find a version; that
  // demo needs no GL entry point, so it plays on.
  bool theHarmless = !mDemo.useOpenGL && theGlew == GLEW_ERROR_NO_GL_VERSION;
  if (theGlew != GLEW_OK && !theHarmless) {
    WriteLogF("Glew init error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(theGlew)));
    throw StepFailure();
  }

  if (theOptions.gamma != 1.0) SetGamma(theOptions.gamma);
  mTimes.Mark("GLEW and gamma");
}

// Step 3.
void PlayerSession::BindLibraries() {
  LoadLibraries(mDemo, mSettings.options.demoPath.c_str());
  Reach(StartupStep::kLibrariesBound);
  mTimes.Mark("libraries loaded and bound (step 3)");
}

// Step 4.
void PlayerSession::MatchEffects() {
  MatchEvents(mDemo);
  Reach(StartupStep::kEventsMatched);
  mTimes.Mark("events matched (step 4)");
}

// Step 5.
void PlayerSession::CreateDemoSurfaces() {
  mDemo.outputSurfaceCount = 2;
  CreateSurfaces(mDemo, mConfig.width, mConfig.height, mScreen);
  Reach(StartupStep::kSurfacesCreated);
  mTimes.Mark("surfaces created (step 5)");
}

// Step 6: the state tracker, the warning function, the host table and the
// letterbox, then every library's Zorbit_Init.
void PlayerSession::StartLibraries() {
  const bool theVerbose = mSettings.options.verbose;
  if (theVerbose) WriteLog("Initializing openGL state \n");
  mState.reset(new OGLState(unsigned(mConfig.width), unsigned(mConfig.height)));
  if (mDemo.useOpenGL) {
    MakeCurrent(mState.get());
  } else {
    AttachState(mState.get());  // no context: no GL calls
  }

  if (theVerbose) WriteLog("Setting warning function\n");
  SetWarningFunction(&WriteLog);
  SetBeatResourceLookup(&UseResource);

  FillHostTable(mHostTable, GetCurrentState(), &WriteLog);
  // The player's own kind, offered before any library starts; the registry
  // was cleared with the last demo.
  RegisterKind(KIND_MUSC, &ProduceMusic, nullptr);

  if (theVerbose) WriteLog("Setting viewport to correct aspect ratio \n");
  OGLViewport theViewport;
  if (ComputeLetterbox(mScreenAspect, mDemo.aspectX, mDemo.aspectY, uint32_t(mConfig.width),
                       uint32_t(mConfig.height), theViewport)) {
    PushViewport(theViewport.x, theViewport.y, theViewport.width, theViewport.height);
    mViewportPushed = true;
  }

  if (theVerbose) WriteLog("Initialising libraries: \n");
  uint32_t theFailed = 0;
  if (InitLibraries(mDemo, mHostTable, theVerbose ? GetLogFile() : nullptr, &theFailed) < 0) {
    const char* theName = mDemo.libraries[theFailed].fileName;
    mFailedLibrary = theName != nullptr ? theName : "";
    throw StepFailure();
  }
  Reach(StartupStep::kLibrariesStarted);
  mTimes.Mark("libraries started (step 6)");
}

// Steps 7 and 8.
void PlayerSession::LoadMusic() {
  const bool theAudio = (mConfig.initFlags & SDL_INIT_AUDIO) != 0;
  if (theAudio && mDemo.musicFile != nullptr) {
    const std::string thePath = codepage::ToUtf8(mDemo.musicFile);
    // A reopened demo may bring MIDI music to an audio opened without sound fonts.
    if (mSoundFontsLeftOut && IsMidiMusic(thePath.c_str())) {
      mSoundFontsLeftOut = false;
      BringBackSoundFonts(mConfig.audioBuffer);
    }
    mMusic = Mix_LoadMUS(thePath.c_str());
  }
  Reach(StartupStep::kMusicLoaded);
  Reach(StartupStep::kMusicReady);
  mTimes.Mark("music loaded (steps 7 and 8)");
}

// Before step 9: the music from the start time, or from 0 when it cannot seek.
void PlayerSession::StartMusic() {
  mStartMs = mSettings.options.startMs;
  if ((mConfig.initFlags & SDL_INIT_AUDIO) == 0) return;
  // A music file that did not load plays nothing; no Ogg is playing, so the start becomes 0.
  if (mMusic != nullptr) Mix_PlayMusic(mMusic, 0);
  if (mMusic != nullptr && Mix_GetMusicType(mMusic) == MUS_OGG) {
    Mix_SetMusicPosition(mStartMs / 1000.0);
  } else {
    mStartMs = 0;
  }
  // SDL_mixer's scale is 0..128 and clamps above; the player's is 0..255.
  Mix_VolumeMusic(MixerVolume(mSettings.options.volume));
}

void PlayerSession::FirstFrameShown() {
  if (mFirstFrameShown) return;
  mFirstFrameShown = true;
  mTimes.Mark("first frame shown (step 9)");
  if (mSettings.options.verbose) WriteLog(mTimes.Format().c_str());
}

bool PlayerSession::Play() {
  if (mStep != StartupStep::kMusicReady) return false;
  return Guarded([&] {
    StartMusic();
    mTimes.Mark("music started");
    Reach(StartupStep::kLoopEntered);
    ResetStopFlag();  // a tool may play more than once in one process
    // The music analysis's warning reaches the log in the frame it is known.
    const FrameHook theAfterDraw = [this](const Demo& inDemo, uint32_t inTime) {
      if (mMusicSource) mMusicSource->ReportProblem();
      if (mSettings.afterDraw) mSettings.afterDraw(inDemo, inTime);
    };
    WallClock theWallClock;
    FrameClock& theClock = mSettings.clock != nullptr ? *mSettings.clock : theWallClock;
    FirstFrameWatch theWatch(theClock, [this] { FirstFrameShown(); });
    int theResult = RunDemo(mDemo, mScreen, mStartMs, theWatch, theAfterDraw, mSettings.loopControl);
    if (theResult < 0) throw StepFailure();
  });
}

void PlayerSession::Stop() { RequestStop(); }

// Shutdown down to the open video mode: undo what the reached step brought
// up, newest first.
void PlayerSession::CloseDemo() {
  if (Reached(StartupStep::kLoopEntered)) Mix_HaltMusic();
  if (Reached(StartupStep::kMusicLoaded) && mMusic != nullptr) Mix_FreeMusic(mMusic);
  mMusic = nullptr;
  if (Reached(StartupStep::kLibrariesStarted)) QuitLibraries(mDemo);
  if (mMusicSource) {
    mMusicSource->ReportProblem();
    SetCurrentMusicSource(nullptr);
    mMusicSource.reset();
  }
  // The tracker also exists after a failed library start (step 5); it is
  // released then too, only Zorbit_Quit is left out.
  if (mState) {
    if (mViewportPushed) PopViewport();
    mViewportPushed = false;
    MakeCurrent(nullptr);
    mState.reset();
  }
  // Also frees a partly created set after a failure inside CreateSurfaces.
  FreeSurfaces(mDemo);
  if (Reached(StartupStep::kLibrariesBound)) UnloadLibraries(mDemo);
}

int PlayerSession::Close() {
  if (!mLogOpen) return 1;
  const int theExitCode = Reached(StartupStep::kLoopEntered) ? 0 : 1;
  CloseDemo();
  if (Reached(StartupStep::kVideoOpen) && mSettings.options.gamma != 1.0) SetGamma(1.0);
  // Also frees a partly loaded demo (and unloads libraries loaded before a
  // binding failure): the process may go on when a tool runs the player.
  DestroyDemo(mDemo);
  mDemo = Demo{};
  ResetPlayerGlobals();
  if (mVideoOpen) SDL_Config_Quit();
  mVideoOpen = false;
  if (mSoundFontsLeftOut) RestoreSoundFonts();
  mSoundFontsLeftOut = false;
  mScreen = nullptr;
  CloseLog();
  mLogOpen = false;
  mStep = StartupStep::kNothing;
  if (mFolderEntered && chdir(mOldFolder.c_str()) != 0) {
    std::fprintf(stderr, "player: cannot go back to the folder %s: %s\n", mOldFolder.c_str(), std::strerror(errno));
  }
  mFolderEntered = false;
  return theExitCode;
}

bool PlayerSession::Reopen(const std::string& inDemoPath, uint32_t inStartMs) {
  if (!mLogOpen || !Reached(StartupStep::kVideoOpen)) return false;
  const std::string thePath = inDemoPath.empty() ? mSettings.options.demoPath : inDemoPath;
  // The new document first, beside the demo that runs: one that does not
  // load changes nothing.
  OwnedDemo theNext;
  if (!Guarded([&] { theNext.Load(thePath.c_str()); })) return false;
  return Reopen(theNext, thePath, inStartMs);
}

bool PlayerSession::Reopen(OwnedDemo& ioNext, const std::string& inDemoPath, uint32_t inStartMs) {
  if (!mLogOpen || !Reached(StartupStep::kVideoOpen)) return false;
  const std::string thePath = inDemoPath.empty() ? mSettings.options.demoPath : inDemoPath;
  const bool theSameMode = Guarded([&] {
    if (ioNext.demo.useOpenGL != mDemo.useOpenGL)
      throw BasicException("The demo %s draws %s; the open video mode is for a demo drawn %s. Restart the player.\n",
                           thePath.c_str(), ioNext.demo.useOpenGL ? "with OpenGL" : "into surfaces",
                           mDemo.useOpenGL ? "with OpenGL" : "into surfaces");
  });
  if (!theSameMode) return false;

  CloseDemo();
  DestroyDemo(mDemo);
  ResetPlayerGlobals();
  mStep = StartupStep::kVideoOpen;
  mDemo = ioNext.demo;
  GetNameTable() = ioNext.names;
  ioNext.Release();
  mSettings.options.demoPath = thePath;
  mSettings.options.startMs = inStartMs;
  mFailedLibrary.clear();
  return Guarded([&] {
    StartMusicAnalysis();
    BindLibraries();
    MatchEffects();
    CreateDemoSurfaces();
    StartLibraries();
    LoadMusic();
  });
}

int RunPlayer(const PlayerOptions& inOptions, const PlayerHooks& inHooks) {
  SessionSettings theSettings;
  theSettings.options = inOptions;
  theSettings.allowSetupWindow = inHooks.allowSetupWindow;
  theSettings.config = inHooks.config;
  theSettings.clock = inHooks.clock;
  theSettings.afterDraw = inHooks.afterDraw;
  PlayerSession theSession(theSettings);
  if (theSession.Open()) theSession.Play();
  return theSession.Close();
}
