#include "offscreengl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

namespace {

// The entry points the tool calls, found through EGL once the context is
// current: nothing here links against libGL, which would want an X display.
struct Functions {
  PFNGLCREATESHADERPROC createShader = nullptr;
  PFNGLSHADERSOURCEPROC shaderSource = nullptr;
  PFNGLCOMPILESHADERPROC compileShader = nullptr;
  PFNGLGETSHADERIVPROC getShaderiv = nullptr;
  PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
  PFNGLDELETESHADERPROC deleteShader = nullptr;
  PFNGLCREATEPROGRAMPROC createProgram = nullptr;
  PFNGLATTACHSHADERPROC attachShader = nullptr;
  PFNGLLINKPROGRAMPROC linkProgram = nullptr;
  PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
  PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
  PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
  const GLubyte* (*getString)(GLenum) = nullptr;

  template <typename T>
  static bool Find(T& outFunction, const char* inName) {
    outFunction = reinterpret_cast<T>(eglGetProcAddress(inName));
    return outFunction != nullptr;
  }
  bool Load() {
    return Find(createShader, "glCreateShader") && Find(shaderSource, "glShaderSource") &&
           Find(compileShader, "glCompileShader") && Find(getShaderiv, "glGetShaderiv") &&
           Find(getShaderInfoLog, "glGetShaderInfoLog") && Find(deleteShader, "glDeleteShader") &&
           Find(createProgram, "glCreateProgram") && Find(attachShader, "glAttachShader") &&
           Find(linkProgram, "glLinkProgram") && Find(getProgramiv, "glGetProgramiv") &&
           Find(getProgramInfoLog, "glGetProgramInfoLog") && Find(deleteProgram, "glDeleteProgram") &&
           Find(getString, "glGetString");
  }
};

std::string ErrorName(EGLint inError) {
  switch (inError) {
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    default: return "EGL error " + std::to_string(inError);
  }
}

}  // namespace

struct OffscreenGL::Context {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  Functions gl;

  // The display stays initialised until the process ends: terminating it
  // unloads Mesa's driver, and what the driver never frees would then be
  // reported by LeakSanitizer from a module no suppression can name. EGL
  // hands out one display per platform, so a second Open finds it again.
  ~Context() {
    if (context != EGL_NO_CONTEXT) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(display, context);
    }
  }

  std::string ShaderLog(GLuint inShader) {
    GLint theLength = 0;
    gl.getShaderiv(inShader, GL_INFO_LOG_LENGTH, &theLength);
    std::vector<char> theLog(size_t(theLength > 0 ? theLength : 0) + 1, 0);
    gl.getShaderInfoLog(inShader, GLsizei(theLog.size()), nullptr, theLog.data());
    return theLog.data();
  }
  std::string ProgramLog(GLuint inProgram) {
    GLint theLength = 0;
    gl.getProgramiv(inProgram, GL_INFO_LOG_LENGTH, &theLength);
    std::vector<char> theLog(size_t(theLength > 0 ? theLength : 0) + 1, 0);
    gl.getProgramInfoLog(inProgram, GLsizei(theLog.size()), nullptr, theLog.data());
    return theLog.data();
  }
  // A compiled shader, or 0 with the driver's messages in outLog.
  GLuint Compile(GLenum inStage, const char* inSource, std::string& outLog) {
    GLuint theShader = gl.createShader(inStage);
    gl.shaderSource(theShader, 1, &inSource, nullptr);
    gl.compileShader(theShader);
    GLint theCompiled = GL_FALSE;
    gl.getShaderiv(theShader, GL_COMPILE_STATUS, &theCompiled);
    outLog = ShaderLog(theShader);
    if (theCompiled == GL_TRUE) return theShader;
    gl.deleteShader(theShader);
    return 0;
  }
};

OffscreenGL::OffscreenGL() = default;
OffscreenGL::~OffscreenGL() = default;

bool OffscreenGL::IsOpen() const { return mContext != nullptr; }

bool OffscreenGL::Open(std::string& outWhy) {
  if (mContext) return true;
  auto theContext = std::make_unique<Context>();
  theContext->display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (theContext->display == EGL_NO_DISPLAY) {
    outWhy = "EGL offers no surfaceless display (" + ErrorName(eglGetError()) + ")";
    return false;
  }
  EGLint theMajor = 0, theMinor = 0;
  if (!eglInitialize(theContext->display, &theMajor, &theMinor)) {
    outWhy = "EGL's surfaceless display does not start (" + ErrorName(eglGetError()) + ")";
    theContext->display = EGL_NO_DISPLAY;
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    outWhy = "EGL offers no desktop OpenGL (" + ErrorName(eglGetError()) + ")";
    return false;
  }
  // No attributes: the driver's default, a Compatibility Profile context of
  // its highest version, which is what SDL's legacy window context gets.
  theContext->context = eglCreateContext(theContext->display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
  if (theContext->context == EGL_NO_CONTEXT) {
    outWhy = "EGL makes no OpenGL context without a surface (" + ErrorName(eglGetError()) + ")";
    return false;
  }
  if (!eglMakeCurrent(theContext->display, EGL_NO_SURFACE, EGL_NO_SURFACE, theContext->context)) {
    outWhy = "the OpenGL context cannot be made current without a surface (" + ErrorName(eglGetError()) + ")";
    return false;
  }
  if (!theContext->gl.Load()) {
    outWhy = "the OpenGL driver lacks the shader entry points";
    return false;
  }
  mContext = std::move(theContext);
  return true;
}

std::string OffscreenGL::Driver() const {
  if (!mContext) return std::string();
  auto Text = [this](GLenum inName) {
    const GLubyte* theText = mContext->gl.getString(inName);
    return theText ? std::string(reinterpret_cast<const char*>(theText)) : std::string("?");
  };
  return "OpenGL " + Text(GL_VERSION) + ", " + Text(GL_RENDERER) + ", GLSL " + Text(GL_SHADING_LANGUAGE_VERSION);
}

OffscreenGL::Result OffscreenGL::Build(const char* inVertex, const char* inFragment) {
  Result theResult;
  if (!mContext) return theResult;
  Context& c = *mContext;
  GLuint theFragment = c.Compile(GL_FRAGMENT_SHADER, inFragment, theResult.compileLog);
  theResult.compiled = theFragment != 0;
  if (!theFragment) return theResult;
  GLuint theVertex = inVertex ? c.Compile(GL_VERTEX_SHADER, inVertex, theResult.linkLog) : 0;
  if (inVertex && !theVertex) {
    c.gl.deleteShader(theFragment);
    return theResult;
  }
  GLuint theProgram = c.gl.createProgram();
  if (theVertex) c.gl.attachShader(theProgram, theVertex);
  c.gl.attachShader(theProgram, theFragment);
  c.gl.linkProgram(theProgram);
  GLint theLinked = GL_FALSE;
  c.gl.getProgramiv(theProgram, GL_LINK_STATUS, &theLinked);
  theResult.linked = theLinked == GL_TRUE;
  theResult.linkLog = c.ProgramLog(theProgram);
  c.gl.deleteProgram(theProgram);
  if (theVertex) c.gl.deleteShader(theVertex);
  c.gl.deleteShader(theFragment);
  return theResult;
}
