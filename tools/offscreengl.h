// An OpenGL context without a display or a window, for tools that compile
// shaders: Mesa's surfaceless EGL platform with the desktop OpenGL API, so
// the driver is the one the player's window gets (on llvmpipe the same
// OpenGL 4.5 Compatibility Profile with GLSL 4.50), and DISPLAY is never read.
#pragma once

#include <memory>
#include <string>

class OffscreenGL {
 public:
  OffscreenGL();
  ~OffscreenGL();
  OffscreenGL(const OffscreenGL&) = delete;
  OffscreenGL& operator=(const OffscreenGL&) = delete;

  // Brings the context up and makes it current on this thread. False when
  // none can be had (no EGL vendor, no surfaceless platform, no desktop
  // OpenGL), with the reason in outWhy; the object then stays closed and
  // Open may be tried again.
  bool Open(std::string& outWhy);
  bool IsOpen() const;
  // "4.5 (Compatibility Profile) Mesa ..., llvmpipe ...": what compiles here.
  std::string Driver() const;

  struct Result {
    bool compiled = false;   // the fragment shader compiled
    bool linked = false;     // and the program linked
    std::string compileLog;  // the driver's messages on the fragment shader, in its own format
    std::string linkLog;     // the driver's messages on the program, or on a vertex shader that failed
  };
  // Compiles a fragment shader and links it into a program, with the vertex
  // shader inVertex when one is given, else alone (the Compatibility
  // Profile's fixed vertex stage), as a plug-in would before drawing with
  // it. Needs Open.
  Result Build(const char* inVertex, const char* inFragment);

 private:
  struct Context;
  std::unique_ptr<Context> mContext;
};
