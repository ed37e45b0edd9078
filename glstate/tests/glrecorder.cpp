#include "glrecorder.h"

#include <cstdio>

#include "glcalls.h"

namespace glrec {

Table gTable{};

namespace {

std::vector<Call> gCalls;

// Which arguments are enumerants (shown in hex).
bool IsEnumCall(const std::string& inName, size_t inIndex) {
  if (inName == "glEnable" || inName == "glDisable" || inName == "glBlendFunc" ||
      inName == "glBlendEquation" || inName == "glShadeModel" || inName == "glMatrixMode")
    return true;
  if ((inName == "glClipPlane" || inName == "glBindTexture") && inIndex == 0) return true;
  return false;
}

void Add(const char* inName, std::vector<double> inArgs) { gCalls.push_back({inName, inArgs}); }

void Enable(GLenum c) { Add("glEnable", {double(c)}); }
void Disable(GLenum c) { Add("glDisable", {double(c)}); }
void BlendFunc(GLenum s, GLenum d) { Add("glBlendFunc", {double(s), double(d)}); }
void BlendEquation(GLenum m) { Add("glBlendEquation", {double(m)}); }
void Color4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) { Add("glColor4d", {r, g, b, a}); }
void ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  Add("glClearColor", {r, g, b, a});
}
void ColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
  Add("glColorMask", {double(r), double(g), double(b), double(a)});
}
void DepthMask(GLboolean f) { Add("glDepthMask", {double(f)}); }
void ShadeModel(GLenum m) { Add("glShadeModel", {double(m)}); }
void ClipPlane(GLenum p, const GLdouble* e) { Add("glClipPlane", {double(p), e[0], e[1], e[2], e[3]}); }
void BindTexture(GLenum t, GLuint n) { Add("glBindTexture", {double(t), double(n)}); }
void MatrixMode(GLenum m) { Add("glMatrixMode", {double(m)}); }
void Viewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  Add("glViewport", {double(x), double(y), double(w), double(h)});
}
void LoadIdentity() { Add("glLoadIdentity", {}); }
void Ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  Add("glOrtho", {l, r, b, t, n, f});
}
void Frustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  Add("glFrustum", {l, r, b, t, n, f});
}

}  // namespace

std::string Call::Text() const {
  std::string theText = name + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    char theArg[64];
    if (IsEnumCall(name, i))
      std::snprintf(theArg, sizeof theArg, "0x%X", static_cast<unsigned>(args[i]));
    else
      std::snprintf(theArg, sizeof theArg, "%g", args[i]);
    theText += (i ? ", " : "") + std::string(theArg);
  }
  return theText + ")";
}

void Reset() {
  gCalls.clear();
  gTable = Table{&Enable,    &Disable,   &BlendFunc,   &BlendEquation, &Color4d,    &ClearColor,
                 &ColorMask, &DepthMask, &ShadeModel,  &ClipPlane,     &BindTexture, &MatrixMode,
                 &Viewport,  &LoadIdentity, &Ortho,    &Frustum};
}

void RemoveBlendEquation() { gTable.BlendEquation = nullptr; }

const std::vector<Call>& Calls() { return gCalls; }

std::vector<std::string> Texts() {
  std::vector<std::string> theTexts;
  for (const Call& c : gCalls) theTexts.push_back(c.Text());
  return theTexts;
}

void Clear() { gCalls.clear(); }

}  // namespace glrec
