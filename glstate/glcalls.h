// Internal to glstate: the OpenGL entry points the tracker uses, behind one
// seam so that the unit tests can observe exactly which calls it issues.
//
//   production build:  ZGL(Enable) is glEnable, ZGL(BlendEquation) is GLEW's
//                      function pointer glBlendEquation (null without a
//                      context or before glewInit).
//   -DZORBIT_GL_RECORDING (test library zorbit_glstate_recording only):
//                      every call goes through the table glrec::gTable, which
//                      the test fills with recording functions.
#pragma once

#include <GL/glew.h>

#ifdef ZORBIT_GL_RECORDING
namespace glrec {
struct Table {
  void (*Enable)(GLenum);
  void (*Disable)(GLenum);
  void (*BlendFunc)(GLenum, GLenum);
  void (*BlendEquation)(GLenum);  // null models "GLEW has no entry point"
  void (*Color4d)(GLdouble, GLdouble, GLdouble, GLdouble);
  void (*ClearColor)(GLclampf, GLclampf, GLclampf, GLclampf);
  void (*ColorMask)(GLboolean, GLboolean, GLboolean, GLboolean);
  void (*DepthMask)(GLboolean);
  void (*ShadeModel)(GLenum);
  void (*ClipPlane)(GLenum, const GLdouble*);
  void (*BindTexture)(GLenum, GLuint);
  void (*MatrixMode)(GLenum);
  void (*Viewport)(GLint, GLint, GLsizei, GLsizei);
  void (*LoadIdentity)();
  void (*Ortho)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
  void (*Frustum)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
};
extern Table gTable;
}  // namespace glrec
#define ZGL(name) (::glrec::gTable.name)
#else
#define ZGL(name) gl##name
#endif
