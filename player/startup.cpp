#include "startup.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "basicexception.h"
#include "binding.h"
#include "displaycheck.h"
#include "codepage.h"
#include "gamma.h"
#include "nametable.h"
#include "oglstate.h"
#include "paramanim.h"
#include "resourceregistry.h"
#include "sdlconfig.h"
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

int RunPlayer(int argc, char** argv, const PlayerHooks& inHooks) {
  // Without a log the diagnostics go to standard error (WriteLog falls back).
  OpenLog("Errorlog.txt");

  PlayerOptions theOptions = ParseCommandLine(argc, argv);
  int32_t theStep = 0;
  Mix_Music* theMusic = nullptr;
  std::unique_ptr<OGLState> theState;
  bool theViewportPushed = false;
  bool theRun = true;
  float theScreenAspect = 0.0f;
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  bool theVideoOpen = false;
  SDL_Surface* theScreen = nullptr;
  Demo theDemo = {};
  void* theHostTable[HOST_SLOT_COUNT] = {};

  if (theOptions.demoPath.size() > kMaxDemoPath) {
    WriteLogF("The demo path is %zu characters long; at most %d are allowed.\n", theOptions.demoPath.size(),
              int(kMaxDemoPath));
    CloseLog();
    return 1;
  }

  if (!CheckDisplay()) return CloseLog(), 1;

  bool theSetupShown = false;
  if (inHooks.allowSetupWindow && !SetupWindowDisabled()) {
#ifdef ZORBIT_HAVE_SETUP_WINDOW
    int theVolume = theOptions.volume;
    SetSetupWindowLog(&WriteLog);
    theSetupShown = RunSetupWindow(theConfig, theOptions.gamma, theRun, theVolume, theScreenAspect);
    theOptions.volume = theVolume;
#else
    WriteLog(kNoSetupWindow);
#endif
  }
  if (theSetupShown && !theRun) {
    CloseLog();
    return 1;
  }

  try {
    PrefetchDataFolder("./zelth/");

    LoadDemo(theOptions.demoPath.c_str(), theDemo, GetNameTable());
    theStep = 1;

    if (!theSetupShown) {
      if (inHooks.config != nullptr) {
        theConfig = *inHooks.config;
      } else {
        SDL_Config_DefaultConfig(theConfig);
        theConfig.initFlags = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO;
        if (SDL_Config_LoadConfig("SDL.ini", theConfig) < 0) {
          WriteLogF("%s\n", SDL_Config_GetError());
          throw StepFailure();
        }
      }
      theScreenAspect = float(theConfig.width) / float(theConfig.height);
    }
    // The setup window asks for OpenGL whatever the demo is; a demo drawn into
    // output surface 0 is copied to the screen, and a copy onto an OpenGL
    // screen shows nothing.
    if (theDemo.useOpenGL) {
      theConfig.videoFlags |= SDL_OPENGL;
    } else {
      theConfig.videoFlags &= ~uint32_t(SDL_OPENGL);
    }
    theScreen = SDL_Config_Init(theConfig);
    if (theScreen == nullptr) {
      WriteLogF("%s\n", SDL_Config_GetError());
      throw StepFailure();
    }
    theVideoOpen = true;
    theStep = 2;

    GLenum theGlew = glewInit();
    // Without OpenGL there is no context and GLEW cannot find a version; that
    // demo needs no GL entry point, so it plays on.
    bool theHarmless = !theDemo.useOpenGL && theGlew == GLEW_ERROR_NO_GL_VERSION;
    if (theGlew != GLEW_OK && !theHarmless) {
      WriteLogF("Glew init error: %s\n", reinterpret_cast<const char*>(glewGetErrorString(theGlew)));
      throw StepFailure();
    }

    if (theOptions.gamma != 1.0) SetGamma(theOptions.gamma);

    LoadLibraries(theDemo, theOptions.demoPath.c_str());
    theStep = 3;
    MatchEvents(theDemo);
    theStep = 4;

    theDemo.outputSurfaceCount = 2;
    CreateSurfaces(theDemo, theConfig.width, theConfig.height, theScreen);
    theStep = 5;

    if (theOptions.verbose) WriteLog("Initializing openGL state \n");
    theState.reset(new OGLState(unsigned(theConfig.width), unsigned(theConfig.height)));
    if (theDemo.useOpenGL) {
      MakeCurrent(theState.get());
    } else {
      AttachState(theState.get());  // no context: no GL calls
    }

    if (theOptions.verbose) WriteLog("Setting warning function\n");
    SetWarningFunction(&WriteLog);
    SetBeatResourceLookup(&UseResource);

    FillHostTable(theHostTable, GetCurrentState(), &WriteLog);

    if (theOptions.verbose) WriteLog("Setting viewport to correct aspect ratio \n");
    OGLViewport theViewport;
    if (ComputeLetterbox(theScreenAspect, theDemo.aspectX, theDemo.aspectY, uint32_t(theConfig.width),
                         uint32_t(theConfig.height), theViewport)) {
      PushViewport(theViewport.x, theViewport.y, theViewport.width, theViewport.height);
      theViewportPushed = true;
    }

    if (theOptions.verbose) WriteLog("Initialising libraries: \n");
    if (InitLibraries(theDemo, theHostTable, theOptions.verbose ? GetLogFile() : nullptr) < 0) throw StepFailure();
    theStep = 6;

    bool theAudio = (theConfig.initFlags & SDL_INIT_AUDIO) != 0;
    if (theAudio && theDemo.musicFile != nullptr) theMusic = Mix_LoadMUS(codepage::ToUtf8(theDemo.musicFile).c_str());
    theStep = 7;
    theStep = 8;
    uint32_t theStart = theOptions.startMs;
    if (theAudio) {
      // A music file that did not load plays nothing; no Ogg is playing, so the start becomes 0.
      if (theMusic != nullptr) Mix_PlayMusic(theMusic, 0);
      if (theMusic != nullptr && Mix_GetMusicType(theMusic) == MUS_OGG) {
        Mix_SetMusicPosition(theStart / 1000.0);
      } else {
        theStart = 0;
      }
      // SDL_mixer's scale is 0..128 and clamps above; the player's is 0..255.
      Mix_VolumeMusic(MixerVolume(theOptions.volume));
    }
    theStep = 9;
    ResetStopFlag();  // a tool may play more than once in one process
    int theResult;
    if (inHooks.clock != nullptr) {
      theResult = RunDemo(theDemo, theScreen, theStart, *inHooks.clock, inHooks.afterDraw);
    } else {
      WallClock theClock;
      theResult = RunDemo(theDemo, theScreen, theStart, theClock, inHooks.afterDraw);
    }
    if (theResult < 0) throw StepFailure();
  } catch (const BasicException& inFailure) {
    WriteLog(inFailure.GetMessage());
  } catch (...) {
    WriteLogF("Something went horribly wrong.  Stopped at step '%d'.\n", int(theStep));
  }

  // Shutdown: undo what the reached step brought up, newest first.
  if (theStep >= 9) Mix_HaltMusic();
  if (theStep >= 7 && theMusic != nullptr) Mix_FreeMusic(theMusic);
  if (theStep >= 6) QuitLibraries(theDemo);
  // The tracker also exists after a failed library start (step 5); it is
  // released then too, only Zorbit_Quit is left out.
  if (theState) {
    if (theViewportPushed) PopViewport();
    MakeCurrent(nullptr);
    theState.reset();
  }
  // Also frees a partly created set after a failure inside CreateSurfaces.
  FreeSurfaces(theDemo);
  if (theStep >= 3) UnloadLibraries(theDemo);
  if (theStep >= 2 && theOptions.gamma != 1.0) SetGamma(1.0);
  // Also frees a partly loaded demo (and unloads libraries loaded before a
  // binding failure): the process may go on when a tool runs the player.
  DestroyDemo(theDemo);
  // A tool may play another demo in this process: its texts and kinds start afresh.
  ClearNameTable(GetNameTable());
  ClearResourceRegistry();
  SetWarningFunction(nullptr);
  SetBeatResourceLookup(nullptr);
  if (theVideoOpen) SDL_Config_Quit();
  CloseLog();
  return theStep >= 9 ? 0 : 1;
}
