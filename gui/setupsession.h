// One run of the setup window, step by step: RunSetupWindow is Open, Pass
// until it returns false, then Close. Tests drive the passes themselves to
// feed events between them, the way a viewer's mouse would.
#pragma once

#include <string>

#include "sdlconfig.h"
#include "setupmemory.h"

class GUIContainer;
class OGLState;
class SetupListener;

class SetupSession {
 public:
  static constexpr int kWidth = 320;   // window pixels
  static constexpr int kHeight = 240;  // window pixels

  SetupSession();
  // Closes a session that is still open, discarding its results.
  ~SetupSession();
  SetupSession(const SetupSession&) = delete;
  SetupSession& operator=(const SetupSession&) = delete;

  // Opens the window and builds the controls with the caller's gamma and
  // volume, and the viewer's remembered choices (SetupMemoryPath) selected,
  // but for a gamma or volume inGiven says the command line gave. False when
  // no window could be opened (the reason is logged when the window system
  // refused; a failed GLEW start is silent); nothing is read then. A
  // remembered file that cannot be used is one line in the log.
  bool Open(double inGamma, int inVolume, const SetupGiven& inGiven = SetupGiven());
  // Delivers the pending events and redraws when anything happened and the
  // window is visible (otherwise sleeps 3 ms). False once the window was
  // closed, "Cancel" or "Start Demo" was pressed.
  bool Pass();
  // Clears and draws every stacked container, without showing the frame.
  void DrawFrame();
  // Fills the demo's record and the choices, remembers the choices when
  // "Start Demo" was pressed (a failure is one line in the log), closes the
  // window and releases everything the session built.
  void Close(SDL_Config& outConfig, double& ioGamma, bool& outStart, int& ioVolume, float& outAspect);

  bool IsOpen() const { return mOpen; }
  bool QuitRequested() const { return mQuit; }
  SetupListener* GetListener() const { return mListener; }
  GUIContainer* GetContainer() const { return mContainer; }

 private:
  void Release();
  void ReadMemory();
  void Remember();

  bool mOpen;
  bool mQuit;
  bool mFirstFrame;
  bool mViewPushed;
  int mStackBase;  // handler stack size before the window's container
  OGLState* mState;
  SetupListener* mListener;
  GUIContainer* mContainer;
  std::string mMemoryPath;  // empty: no state folder
  SetupMemory mRemembered;
  SetupGiven mGiven;
  bool mMayRemember;  // false when something other than a file stands at mMemoryPath
};

// Writes to the setup window's log (SetSetupWindowLog), standard error without one.
void SetupLog(const char* inText);
