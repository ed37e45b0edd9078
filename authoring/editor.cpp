#include "editor.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "binding.h"
#include <zorbit/codepage.h>
#include "filewatcher.h"
#include "frameloop.h"
#include "musicclock.h"
#include "musicsamples.h"
#include "musictempo.h"
#include "nametable.h"
#include <zorbit/oglstate.h>
#include "overlay.h"
#include "paramdisplay.h"
#include "pluginfiles.h"
#include "sdlconfig.h"
#include "setupchoices.h"
#include "setupmemory.h"
#include "startup.h"
#include "timelinestrip.h"
#include "transport.h"
#include "writelog.h"
#include "zorbitloader.h"

namespace {

// Characters of parameter values on an event's line of the display: the
// panel is composed by the processor, and its cost grows with its width.
const size_t kParamsShown = 96;

bool IsFile(const std::string& inPath) {
  struct stat theInfo;
  return stat(inPath.c_str(), &theInfo) == 0 && S_ISREG(theInfo.st_mode);
}

// The music of a session, moved with the transport on the wall clock.
class MixerFollower : public MusicFollower {
 public:
  void SetMusic(Mix_Music* inMusic) {
    mMusic = inMusic;
    mMuted = false;
  }
  void Pause() override {
    if (mMusic != nullptr) Mix_PauseMusic();
  }
  void Resume() override {
    if (mMusic != nullptr) Mix_ResumeMusic();
  }
  void SeekTo(uint32_t inDemoMs) override {
    if (mMusic == nullptr) return;
    const bool thePaused = Mix_PausedMusic() != 0;
    if (Mix_GetMusicType(mMusic) == MUS_OGG) {
      if (Mix_PlayingMusic() == 0) Mix_PlayMusic(mMusic, 0);
      Mix_SetMusicPosition(inDemoMs / 1000.0);
      if (mMuted) Mix_VolumeMusic(mVolume);
      mMuted = false;
    } else {
      // Other formats cannot be put at a time: start again, silent unless
      // the seek went to the very start.
      if (!mMuted) mVolume = Mix_VolumeMusic(-1);
      Mix_PlayMusic(mMusic, 0);
      mMuted = inDemoMs != 0;
      Mix_VolumeMusic(mMuted ? 0 : mVolume);
    }
    if (thePaused) Mix_PauseMusic();
  }
  bool Muted() const { return mMuted; }

 private:
  Mix_Music* mMusic = nullptr;
  bool mMuted = false;
  int mVolume = MIX_MAX_VOLUME;
};

// Every file a demo is made of: the document, its music, the files its texts
// name (images, fonts, movie frames), the plug-in libraries it loads, and the
// data folder.
void WatchDemo(FileWatcher& ioWatcher, const std::string& inDocument, const Demo& inDemo) {
  ioWatcher.Clear();
  ioWatcher.WatchFile(inDocument);
  if (inDemo.musicFile != nullptr) ioWatcher.WatchFile(codepage::ToUtf8(inDemo.musicFile));
  const NameTable& theNames = GetNameTable();
  const std::set<int32_t> theFollowed = TextsFollowedByPlugins(inDemo);
  for (int32_t i = 0; i < theNames.count; ++i) {
    if (theNames.texts[i] == nullptr || theFollowed.count(i) != 0) continue;
    const std::string thePath = codepage::ToUtf8(theNames.texts[i]);
    if (!thePath.empty() && IsFile(thePath)) ioWatcher.WatchFile(thePath);
  }
  for (uint32_t l = 0; l < inDemo.libraryCount; ++l) {
    const char* theName = inDemo.libraries[l].fileName;
    if (theName == nullptr) continue;
    for (const std::string& theFolder : LibrarySearchFolders(inDocument.c_str()))
      for (const std::string& theCandidate : LibraryCandidateNames(theName)) {
        const std::string thePath = theFolder + "/" + theCandidate;
        if (IsFile(thePath)) ioWatcher.WatchFile(thePath);
      }
  }
  struct stat theInfo;
  if (stat("zelth", &theInfo) == 0 && S_ISDIR(theInfo.st_mode)) ioWatcher.WatchFolder("zelth");
}

// The window's size: the command line's, else the setup window's last
// choice, else SDL.ini's, else 1280 x 720; always a window unless
// --fullscreen asks for the screen.
void ChooseWindow(PlayerOptions& ioOptions) {
  ioOptions.noSetup = true;
  if (ioOptions.windowWidth > 0 || ioOptions.fullscreen) return;
  SetupMemory theMemory;
  std::string theError;
  const std::string theRemembered = SetupMemoryPath();
  if (!theRemembered.empty() && ReadSetupMemory(theRemembered, theMemory, theError) == SetupMemoryRead::kRead &&
      theMemory.resolution) {
    const SetupAspect& theAspect = SetupAspectAt(theMemory.aspect.value_or(kSetupDefaultAspect));
    if (*theMemory.resolution >= 0 && *theMemory.resolution < theAspect.count) {
      ioOptions.windowWidth = theAspect.resolutions[*theMemory.resolution].width;
      ioOptions.windowHeight = theAspect.resolutions[*theMemory.resolution].height;
      return;
    }
  }
  SDL_Config theConfig;
  SDL_Config_DefaultConfig(theConfig);
  if (IsFile("SDL.ini") && SDL_Config_LoadConfig("SDL.ini", theConfig) >= 0) {
    ioOptions.windowWidth = theConfig.width;
    ioOptions.windowHeight = theConfig.height;
  } else {
    ioOptions.windowWidth = 1280;
    ioOptions.windowHeight = 720;
  }
}

// The whole file, or false.
bool ReadDocument(const std::string& inPath, std::string& outText) {
  std::ifstream theFile(inPath, std::ios::binary);
  if (!theFile) return false;
  outText.assign(std::istreambuf_iterator<char>(theFile), std::istreambuf_iterator<char>());
  return !theFile.bad();
}

class Editor {
 public:
  explicit Editor(const PlayerOptions& inOptions)
      : mOptions(inOptions), mTransport(mBase, inOptions.startMs, UINT32_MAX) {}

  int Run();

 private:
  bool OnEvent(const SDL_Event& inEvent);
  void AfterDraw(const Demo& inDemo, uint32_t inTime);
  std::vector<std::string> DisplayLines(const Demo& inDemo, uint32_t inTime) const;
  // Brought up (again): the end of the transport, the music, the watches.
  void Adopt();
  // --bpm auto: the bar keys from the estimate.
  void UseTempo(const music::TempoEstimate& inTempo);
  // Reads the saved document and loads it beside the running demo: true
  // with it in mNext, else false with the problem reported.
  bool TakeSave();
  // Shown until a good save, and on standard error; written to the log
  // unless it came from there.
  void Report(std::string inProblem, bool inLogged);
  // No demo could be brought up: the message on a dark screen until a save
  // that loads, or quit. False on quit.
  bool WaitForFix();
  // The failure's message alone on a cleared window, through the session's
  // tracker when one is current, else through one of its own.
  void ShowProblemAlone();
  std::vector<std::string> ProblemLines(const char* inHeading) const;
  // After a reload failed at inTime: the last good document again, in place.
  bool RestoreLastGood(uint32_t inTime);

  PlayerOptions mOptions;
  DeferredClock mBase;  // the wall clock, or the music's with --clock music
  Transport mTransport;
  MixerFollower mFollower;
  std::unique_ptr<MusicClock> mMusicClock;
  FileWatcher mWatcher;
  Overlay mOverlay;
  ParamDisplay mParams;  // the running events' values by name
  TimelineStrip mStrip;  // T
  LoopControl mControl;
  std::unique_ptr<PlayerSession> mSession;
  bool mShowDisplay = false;
  bool mReload = false;
  bool mSyncPause = false;    // the music was (re)started: pause it if the transport is paused
  std::string mProblem;       // the last failed reload's message, shown until a good one
  std::string mGoodText;      // the document as last brought up
  std::unique_ptr<OwnedDemo> mNext;  // the save that loaded, brought up at the reload
  std::string mNextText;             // its text
  // --bpm auto: the tempo of the music last brought up, estimated beside the play.
  std::future<music::TempoEstimate> mTempo;
  uint32_t mLastFrameMs = 0;  // wall time of the previous frame
  double mFrameMs = 0;        // smoothed frame time
};

bool Editor::OnEvent(const SDL_Event& inEvent) {
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  if (theScreen != nullptr && mSession->Reached() >= StartupStep::kMusicReady && mSession->GetDemo().useOpenGL &&
      mStrip.OnEvent(inEvent, theScreen->w, theScreen->h, mSession->GetDemo(), mTransport))
    return true;
  if (inEvent.type != SDL_KEYDOWN) return false;
  if (inEvent.key.keysym.sym == SDLK_TAB) {
    mShowDisplay = !mShowDisplay;
    return true;
  }
  if (inEvent.key.keysym.sym == SDLK_t) {
    mStrip.Toggle();
    return true;
  }
  return HandleTransportKey(inEvent.key.keysym, mTransport, mOptions.bpm);
}

std::vector<std::string> Editor::DisplayLines(const Demo& inDemo, uint32_t inTime) const {
  std::vector<std::string> theLines;
  char theLine[256];
  std::snprintf(theLine, sizeof theLine, "%s  (%u ms)%s%s", FormatDemoTime(inTime).c_str(), inTime,
                mOptions.bpm ? "  bar " : "", mOptions.bpm ? FormatBarBeat(inTime, mOptions.bpm).c_str() : "");
  theLines.push_back(theLine);
  std::snprintf(theLine, sizeof theLine, "frame %.1f ms  %.1f fps  %s%s", mFrameMs, mFrameMs > 0 ? 1000.0 / mFrameMs : 0.0,
                mTransport.Paused() ? "paused" : "playing", mTransport.Looping() ? "  looping" : "");
  theLines.push_back(theLine);
  if (mTransport.LoopEnd() > mTransport.LoopStart()) {
    std::snprintf(theLine, sizeof theLine, "loop %s - %s", FormatDemoTime(mTransport.LoopStart()).c_str(),
                  FormatDemoTime(mTransport.LoopEnd()).c_str());
    theLines.push_back(theLine);
  }
  if (mFollower.Muted() || (mMusicClock && mMusicClock->Muted()))
    theLines.push_back("music restarted silent: this format cannot seek (Home plays it again)");
  for (uint32_t t = inDemo.trackCount; t-- > 0;) {
    const Track& theTrack = inDemo.tracks[t];
    for (uint32_t e = 0; e < theTrack.eventCount; ++e) {
      const Event& theEvent = theTrack.events[e];
      if (inTime < theEvent.startTime || inTime > theEvent.endTime) continue;
      std::snprintf(theLine, sizeof theLine, "track %u: %s %s  %u ms", t,
                    theEvent.libraryFileName ? theEvent.libraryFileName : "?",
                    theEvent.functionName ? theEvent.functionName : "?", inTime - theEvent.startTime);
      theLines.push_back(theLine + mParams.Values(theEvent, inTime, kParamsShown));
      break;
    }
  }
  if (!LastLogLine().empty()) theLines.push_back("log: " + LastLogLine());
  return theLines;
}

void Editor::AfterDraw(const Demo& inDemo, uint32_t inTime) {
  const uint32_t theNow = SDL_GetTicks();
  if (mLastFrameMs != 0) mFrameMs = mFrameMs == 0 ? theNow - mLastFrameMs : 0.9 * mFrameMs + 0.1 * (theNow - mLastFrameMs);
  mLastFrameMs = theNow;
  if (mSyncPause) {
    if (mTransport.Paused() && mSession->GetMusic() != nullptr) Mix_PauseMusic();
    mSyncPause = false;
  }
  if (mTempo.valid() && mTempo.wait_for(std::chrono::seconds(0)) == std::future_status::ready) UseTempo(mTempo.get());
  if (mWatcher.Poll(theNow)) {
    mWatcher.TakeChanged();
    // A save that does not load leaves the demo running as it is.
    if (TakeSave()) {
      mReload = true;
      mSession->Stop();
    }
  }
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  if (theScreen == nullptr || !inDemo.useOpenGL) return;
  mStrip.Draw(theScreen->w, theScreen->h, inDemo, inTime, mTransport);
  if (!mProblem.empty()) {
    mOverlay.Draw(theScreen->w, theScreen->h, ProblemLines("The saved demo does not start; still playing the last good one:"));
  } else if (mShowDisplay) {
    mOverlay.Draw(theScreen->w, theScreen->h, DisplayLines(inDemo, inTime));
  }
}

void Editor::Adopt() {
  const Demo& theDemo = mSession->GetDemo();
  mTransport.SetEnd(uint32_t(std::max<int32_t>(0, theDemo.runningTime)));
  mFollower.SetMusic(mSession->GetMusic());
  // A music clock follows the music object the session has now.
  mTransport.SetMusic(nullptr);
  mBase.SetTarget(nullptr);
  mMusicClock.reset();
  if (mOptions.musicClock && MusicClock::Available()) {
    const uint32_t theNow = mTransport.NowMs();
    mMusicClock = std::make_unique<MusicClock>(mSession->GetMusic(), theNow,
                                               uint32_t(std::max(0, mSession->GetConfig().audioBuffer)));
    mBase.SetTarget(mMusicClock.get());
    mTransport.SeekTo(theNow);  // anchored on the music's clock
    mTransport.SetMusic(mMusicClock.get());
  } else {
    mTransport.SetMusic(&mFollower);
  }
  WatchDemo(mWatcher, mSession->Settings().options.demoPath, theDemo);
  mParams.Adopt(theDemo);
  mSyncPause = true;
  // The music is estimated once per file brought up, off the main thread.
  std::shared_ptr<const MusicSamples> theSamples = mSession->GetMusicSamples();
  if (mOptions.bpmAuto && theSamples && !mTempo.valid()) {
    mTempo = std::async(std::launch::async, [theSamples] { return music::EstimateTempo(*theSamples); });
  }
}

void Editor::UseTempo(const music::TempoEstimate& inTempo) {
  if (!inTempo.found) {
    WriteLog("Tempo: the music has no steady beat; Up and Down seek no bars (--bpm auto)\n");
    return;
  }
  mOptions.bpm = uint32_t(std::clamp<long>(std::lround(inTempo.bpm), 1, 1000));
  WriteLogF("Tempo: %.2f BPM, first beat at %.0f ms; Up and Down seek bars of four beats at %u BPM\n", inTempo.bpm,
            inTempo.firstBeatMs, mOptions.bpm);
}

bool Editor::TakeSave() {
  const std::string& thePath = mSession->Settings().options.demoPath;
  std::string theText;
  if (!ReadDocument(thePath, theText)) {
    Report("Couldn't read " + thePath, false);
    return false;
  }
  auto theNext = std::make_unique<OwnedDemo>();
  std::string theProblem;
  if (!theNext->TryLoadText(theText, thePath.c_str(), theProblem)) {
    Report(theProblem, false);
    return false;
  }
  mNext = std::move(theNext);
  mNextText = std::move(theText);
  return true;
}

void Editor::Report(std::string inProblem, bool inLogged) {
  while (!inProblem.empty() && inProblem.back() == '\n') inProblem.pop_back();
  if (!inLogged) WriteLogF("%s\n", inProblem.c_str());
  std::fprintf(stderr, "player: %s\n", inProblem.c_str());
  mProblem = std::move(inProblem);
}

std::vector<std::string> Editor::ProblemLines(const char* inHeading) const { return {inHeading, mProblem}; }

void Editor::ShowProblemAlone() {
  SDL_Surface* theScreen = SDL_GetVideoSurface();
  if (theScreen == nullptr || (theScreen->flags & SDL_OPENGL) == 0) return;
  OGLState* const theCurrent = GetCurrentState();
  std::unique_ptr<OGLState> theOwn;
  if (theCurrent == nullptr) {
    theOwn = std::make_unique<OGLState>(unsigned(theScreen->w), unsigned(theScreen->h));
    MakeCurrent(theOwn.get());
  }
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  mOverlay.Draw(theScreen->w, theScreen->h, ProblemLines("The saved demo does not start; fix it and save again (Escape quits):"));
  SDL_GL_SwapBuffers();
  // The font lives no longer than the tracker it was made with.
  mOverlay.Release();
  if (theOwn) MakeCurrent(nullptr);
}

bool Editor::WaitForFix() {
  ShowProblemAlone();
  for (;;) {
    SDL_Event theEvent;
    while (SDL_PollEvent(&theEvent)) {
      if (theEvent.type == SDL_QUIT) return false;
      if (theEvent.type == SDL_KEYDOWN && theEvent.key.keysym.sym == SDLK_ESCAPE) return false;
      if (theEvent.type == SDL_VIDEOEXPOSE) ShowProblemAlone();
    }
    if (mWatcher.Poll(SDL_GetTicks())) {
      mWatcher.TakeChanged();
      if (TakeSave()) return true;
      ShowProblemAlone();  // the new save's message
    }
    SDL_Delay(20);
  }
}

bool Editor::RestoreLastGood(uint32_t inTime) {
  OwnedDemo theGood;
  std::string theIgnored;  // it loaded when it was brought up
  if (mGoodText.empty() || !theGood.TryLoadText(mGoodText, mSession->Settings().options.demoPath.c_str(), theIgnored))
    return false;
  if (!mSession->Reopen(theGood, "", inTime)) return false;
  Adopt();  // under the problem's message, until a good save
  return true;
}

int Editor::Run() {
  ChooseWindow(mOptions);
  mControl.onEvent = [this](const SDL_Event& inEvent) { return OnEvent(inEvent); };
  mControl.jumps = [this] { return mTransport.Jumps(); };
  mControl.clockIsDemoTime = true;
  mControl.ignoreActivation = true;

  SessionSettings theSettings;
  theSettings.options = mOptions;
  theSettings.allowSetupWindow = false;
  theSettings.clock = &mTransport;
  theSettings.afterDraw = [this](const Demo& inDemo, uint32_t inTime) { AfterDraw(inDemo, inTime); };
  theSettings.loopControl = &mControl;
  mSession = std::make_unique<PlayerSession>(theSettings);
  if (!mSession->Open()) return mSession->Close();
  if (!ReadDocument(mSession->Settings().options.demoPath, mGoodText)) mGoodText.clear();
  if (!mWatcher.Usable()) WriteLogF("Live reload is off: %s\n", mWatcher.Error().c_str());
  // Start-up took its time: the first frame is at the start time all the same.
  mTransport.SeekTo(mOptions.startMs);
  Adopt();
  bool thePlayed = false;
  for (;;) {
    if (mSession->Reached() == StartupStep::kMusicReady) {
      mSession->Play();
      thePlayed = true;
    }
    mOverlay.Release();  // the tracker goes with the demo
    mStrip.Release();
    if (!mReload) break;  // the viewer quit
    mReload = false;
    const uint32_t theTime = mTransport.NowMs();
    // The save checked when it was seen is the one brought up, and its text
    // is kept as the last good one.
    const bool theOpened = mSession->Reopen(*mNext, "", theTime);
    mNext.reset();
    if (theOpened) {
      mProblem.clear();
      mGoodText = std::move(mNextText);
      Adopt();
      continue;
    }
    if (!mSession->FailedLibrary().empty()) {
      Report("Zorbit_Init of library '" + mSession->FailedLibrary() + "' failed (" + LastLogLine() + ")", false);
    } else {
      Report(LastLogLine(), true);
    }
    // The loop has ended either way: the last good document comes back (a
    // plug-in failed to load or start, or the document wants the other kind
    // of video mode), unless what fails is in it too.
    if (RestoreLastGood(theTime)) continue;
    if (!WaitForFix()) break;
    mReload = true;
  }
  mBase.SetTarget(nullptr);
  mTransport.SetMusic(nullptr);
  mMusicClock.reset();
  const int theExit = mSession->Close();
  return thePlayed ? 0 : theExit;
}

}  // namespace

int RunEditor(const PlayerOptions& inOptions) {
  setenv(kEditModeVariable, "1", 1);
  Editor theEditor(inOptions);
  return theEditor.Run();
}
