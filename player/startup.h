// Start-up and shutdown of the player: opens the log, brings up video, the
// plug-ins and the music in a fixed order of named steps, plays the demo, and
// tears down exactly what the reached step brought up.
//
// A library (zorbit_player) so that tools can play a demo the same way with
// their own clock and a look at every frame, and reopen a demo in the window
// they have.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frameloop.h"
#include "options.h"
#include "sdlconfig.h"
#include "startuptimes.h"
#include <zorbit/zorbit.h>

class MusicSamples;
class MusicSource;
class OGLState;
class OwnedDemo;
struct OGLViewport;
struct _Mix_Music;
typedef struct _Mix_Music Mix_Music;

// The viewport that letterboxes a demo of inAspectX:inAspectY on a screen of
// inWidth x inHeight pixels whose shape is inScreenAspect (width / height).
// False when the shapes differ by 0.01 or less (the demo fills the screen)
// or the demo's aspect is not positive. Top-left origin, pixels.
bool ComputeLetterbox(float inScreenAspect, int32_t inAspectX, int32_t inAspectY, uint32_t inWidth, uint32_t inHeight,
                      OGLViewport& outViewport);

// SDL_mixer's music volume (0..128) for the player's 0..255.
int MixerVolume(int32_t inVolume);

// The steps of start-up. The numbers are the ones the failure message
// "Stopped at step '%d'" prints; shutdown undoes what the reached step
// brought up, newest first.
enum class StartupStep : int32_t {
  kNothing = 0,           // nothing, or the document failed to load
  kDemoLoaded = 1,        // the demo document is loaded
  kVideoOpen = 2,         // the video mode is open (and GLEW, the gamma ramp)
  kLibrariesBound = 3,    // the plug-in libraries are loaded and bound
  kEventsMatched = 4,     // every event has its effect function
  kSurfacesCreated = 5,   // the input and output surfaces exist
  kLibrariesStarted = 6,  // every Zorbit_Init succeeded (tracker, host table, letterbox before)
  kMusicLoaded = 7,       // the music is loaded, or there is no sound
  kMusicReady = 8,        // set right after 7
  kLoopEntered = 9,       // the music plays and the frame loop runs
};
const char* StepName(StartupStep inStep);

// What a session plays and how.
struct SessionSettings {
  PlayerOptions options;
  // Entered on Open and left again on Close; demos find their files relative
  // to it. Empty: the process's working folder.
  std::string workingFolder;
  // Empty: "Errorlog.txt" in the working folder, or in the state folder when
  // the working folder is read-only (OpenPlayerLog). Otherwise exactly here:
  // a tool keeps the log out of the demo's folder.
  std::string logPath;
  bool allowSetupWindow = true;        // false: as if ZORBIT_NO_SETUP=1
  const SDL_Config* config = nullptr;  // used instead of "SDL.ini" when the setup window is not shown
  FrameClock* clock = nullptr;         // null: the wall clock (SDL_GetTicks)
  FrameHook afterDraw;                 // after each frame is drawn, before it is shown
  const LoopControl* loopControl = nullptr;  // authoring mode's keys and seeks
};

// One run of the player, driven step by step: Open brings it up to
// kMusicReady, Play enters the loop (kLoopEntered) until the demo ends, the
// viewer quits or Stop is called, Close tears down and gives the exit code.
// Reopen closes the demo down to the open video mode and brings a document up
// again in the same window and OpenGL context. Failures are written to the
// log, as the player always has.
class PlayerSession {
 public:
  explicit PlayerSession(const SessionSettings& inSettings);
  // Closes what is still open.
  ~PlayerSession();
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  // False when start-up stopped (the setup window cancelled included); the
  // reached step tells how far it came.
  bool Open();
  // Starts the music at the start time and runs the frame loop. False when
  // the session was not ready or the loop failed.
  bool Play();
  // From a frame hook: the loop ends before the next frame.
  void Stop();
  // In place: the demo is taken down to the open video mode, and
  // inDemoPath (empty: the same document) is brought up again to kMusicReady,
  // to start at inStartMs. A document that does not load, or needs another
  // video mode, changes nothing. False on failure (logged).
  bool Reopen(const std::string& inDemoPath, uint32_t inStartMs);
  // The same with a document loaded beforehand, which ioNext hands over when
  // it is brought up; inDemoPath names it and places its libraries.
  bool Reopen(OwnedDemo& ioNext, const std::string& inDemoPath, uint32_t inStartMs);
  // Shutdown of the reached step; returns the exit code: 0 once the loop was
  // entered, 1 otherwise.
  int Close();

  StartupStep Reached() const { return mStep; }
  const Demo& GetDemo() const { return mDemo; }
  SDL_Surface* GetScreen() const { return mScreen; }
  Mix_Music* GetMusic() const { return mMusic; }  // null without sound or music
  // The music being decoded for analysis (the MUSC resource), from the
  // document's load to the demo's close; null outside. Shared: a reader
  // such as the tempo estimate may keep it past a reopen.
  std::shared_ptr<const MusicSamples> GetMusicSamples() const;
  // The library whose Zorbit_Init failed in the last open, or empty.
  const std::string& FailedLibrary() const { return mFailedLibrary; }
  const SDL_Config& GetConfig() const { return mConfig; }  // the video and sound set-up in use
  const SessionSettings& Settings() const { return mSettings; }
  // When each start-up step finished, up to the first frame shown.
  const StartupTimes& Times() const { return mTimes; }

 private:
  // The steps, each named for what it reaches.
  bool ShowSetupWindow();
  void LoadDocument();
  void OpenVideoMode();
  void BindLibraries();
  void MatchEffects();
  void CreateDemoSurfaces();
  void StartLibraries();
  void StartMusicAnalysis();
  void LoadMusic();
  void StartMusic();
  // The demo's share of shutdown, newest first, down to the open video mode.
  void CloseDemo();
  // Runs inSteps under the failure handler; false when one threw.
  template <typename Steps>
  bool Guarded(Steps&& inSteps);
  void Reach(StartupStep inStep) { mStep = inStep; }
  bool Reached(StartupStep inStep) const { return mStep >= inStep; }
  // After the first frame of a play: the times, in the log when verbose.
  void FirstFrameShown();

  SessionSettings mSettings;
  StartupStep mStep = StartupStep::kNothing;
  bool mLogOpen = false;
  bool mSetupShown = false;
  bool mVideoOpen = false;
  std::string mFailedLibrary;
  bool mViewportPushed = false;
  bool mFolderEntered = false;
  std::string mOldFolder;
  float mScreenAspect = 0.0f;
  uint32_t mStartMs = 0;  // where the music and the loop start, after the music's type is known
  SDL_Config mConfig;
  SDL_Surface* mScreen = nullptr;
  Demo mDemo = {};
  std::unique_ptr<OGLState> mState;
  Mix_Music* mMusic = nullptr;
  std::unique_ptr<MusicSource> mMusicSource;  // the MUSC producer's
  void* mHostTable[HOST_SLOT_COUNT] = {};
  StartupTimes mTimes;
  bool mFirstFrameShown = false;
  bool mSoundFontsLeftOut = false;  // SDL_mixer was told to look for none (music not MIDI)
};

// Extra wiring for tools; the player itself uses the defaults.
struct PlayerHooks {
  FrameClock* clock = nullptr;  // null: the wall clock (SDL_GetTicks)
  FrameHook afterDraw;          // after each frame is drawn, before it is shown
  bool allowSetupWindow = true; // false: as if ZORBIT_NO_SETUP=1
  const SDL_Config* config = nullptr;  // used instead of "SDL.ini" when the setup window is not shown
};

// The whole run, as a session of the parsed command line (ParseCommandLine):
// returns the process exit code, 0 when the main loop was entered, 1
// otherwise. Writes "Errorlog.txt" in the working directory.
int RunPlayer(const PlayerOptions& inOptions, const PlayerHooks& inHooks = PlayerHooks());

// Back to a fresh process: the name table, the resource registry, the
// warning function, the beat lookup and the stop flag. Start-up and every
// shutdown call it, so that a session opened again starts from nothing.
void ResetPlayerGlobals();
