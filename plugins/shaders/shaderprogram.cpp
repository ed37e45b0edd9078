#include "shaderprogram.h"

#include <map>

namespace {

// The vertex shader in the fragment shader's language: ES shaders link only
// with ES shaders of their own version.
std::string VertexSource(const shadersource::Prepared& inPrepared) {
  const int theVersion = inPrepared.effectiveVersion;
  const bool theEs = inPrepared.effectiveEs;
  const bool theOld = theEs ? theVersion < 300 : theVersion < 130;
  return "#version " + std::to_string(theVersion) + (theEs && theVersion >= 300 ? " es" : "") + "\n" +
         (theOld ? "attribute" : "in") + " vec2 zorbitPosition;\n" +
         "void main() { gl_Position = vec4(zorbitPosition, 0.0, 1.0); }\n";
}

std::string ShaderLog(GLuint inShader) {
  GLint theLength = 0;
  glGetShaderiv(inShader, GL_INFO_LOG_LENGTH, &theLength);
  std::string theLog(size_t(theLength > 0 ? theLength : 0), '\0');
  if (theLength > 0) glGetShaderInfoLog(inShader, theLength, nullptr, &theLog[0]);
  while (!theLog.empty() && theLog.back() == '\0') theLog.pop_back();
  return theLog;
}

std::string ProgramLog(GLuint inProgram) {
  GLint theLength = 0;
  glGetProgramiv(inProgram, GL_INFO_LOG_LENGTH, &theLength);
  std::string theLog(size_t(theLength > 0 ? theLength : 0), '\0');
  if (theLength > 0) glGetProgramInfoLog(inProgram, theLength, nullptr, &theLog[0]);
  while (!theLog.empty() && theLog.back() == '\0') theLog.pop_back();
  return theLog;
}

GLuint CompileShader(GLenum inKind, const std::string& inSource, bool& outCompiled, std::string& outLog) {
  const GLuint theShader = glCreateShader(inKind);
  const char* theText = inSource.c_str();
  glShaderSource(theShader, 1, &theText, nullptr);
  glCompileShader(theShader);
  GLint theStatus = GL_FALSE;
  glGetShaderiv(theShader, GL_COMPILE_STATUS, &theStatus);
  outCompiled = theStatus == GL_TRUE;
  outLog = ShaderLog(theShader);
  return theShader;
}

// Links the two; 0 when it fails (the log in outLog).
GLuint Link(GLuint inVertex, GLuint inFragment, std::string& outLog) {
  const GLuint theProgram = glCreateProgram();
  glAttachShader(theProgram, inVertex);
  glAttachShader(theProgram, inFragment);
  glBindAttribLocation(theProgram, kPositionAttribute, "zorbitPosition");
  glLinkProgram(theProgram);
  GLint theStatus = GL_FALSE;
  glGetProgramiv(theProgram, GL_LINK_STATUS, &theStatus);
  outLog = ProgramLog(theProgram);
  glDetachShader(theProgram, inVertex);
  glDetachShader(theProgram, inFragment);
  if (theStatus != GL_TRUE) {
    glDeleteProgram(theProgram);
    return 0;
  }
  return theProgram;
}

GLenum GLTypeOf(const char* inType) {
  const std::string theType = inType;
  if (theType == "float") return GL_FLOAT;
  if (theType == "int") return GL_INT;
  if (theType == "vec3") return GL_FLOAT_VEC3;
  if (theType == "vec4") return GL_FLOAT_VEC4;
  if (theType == "vec2") return GL_FLOAT_VEC2;
  return GL_SAMPLER_2D;
}

// The location of inName when the program's uniform of that name has the
// type the player gives, else -1.
GLint Locate(GLuint inProgram, const std::map<std::string, std::pair<GLenum, GLint>>& inActive, const char* inName,
             const char* inType, int inArraySize) {
  const std::string theKey = inArraySize > 0 ? std::string(inName) + "[0]" : std::string(inName);
  auto theFound = inActive.find(theKey);
  if (theFound == inActive.end()) theFound = inActive.find(inName);
  if (theFound == inActive.end()) return -1;
  if (theFound->second.first != GLTypeOf(inType)) return -1;
  if (inArraySize > 0 && theFound->second.second > inArraySize) return -1;
  return glGetUniformLocation(inProgram, inName);
}

ProgramInputs LocateInputs(GLuint inProgram) {
  std::map<std::string, std::pair<GLenum, GLint>> theActive;
  GLint theCount = 0;
  glGetProgramiv(inProgram, GL_ACTIVE_UNIFORMS, &theCount);
  for (GLint i = 0; i < theCount; ++i) {
    char theName[256];
    GLsizei theLength = 0;
    GLint theSize = 0;
    GLenum theType = 0;
    glGetActiveUniform(inProgram, GLuint(i), sizeof theName, &theLength, &theSize, &theType, theName);
    theActive[std::string(theName, size_t(theLength))] = {theType, theSize};
  }
  auto theAt = [&](const char* inName, const char* inType, int inArraySize = 0) {
    return Locate(inProgram, theActive, inName, inType, inArraySize);
  };
  ProgramInputs theInputs;
  theInputs.resolution = theAt("iResolution", "vec3");
  theInputs.time = theAt("iTime", "float");
  theInputs.globalTime = theAt("iGlobalTime", "float");
  theInputs.timeDelta = theAt("iTimeDelta", "float");
  theInputs.frameRate = theAt("iFrameRate", "float");
  theInputs.frame = theAt("iFrame", "int");
  theInputs.channelTime = theAt("iChannelTime", "float", 4);
  theInputs.channelResolution = theAt("iChannelResolution", "vec3", 4);
  theInputs.mouse = theAt("iMouse", "vec4");
  theInputs.date = theAt("iDate", "vec4");
  theInputs.sampleRate = theAt("iSampleRate", "float");
  const char* const kChannels[] = {"iChannel0", "iChannel1", "iChannel2", "iChannel3"};
  for (int c = 0; c < 4; ++c) theInputs.channel[c] = theAt(kChannels[c], "sampler2D");
  theInputs.param = theAt("iParam", "float", 20);
  theInputs.paramInt = theAt("iParamInt", "int", 20);
  theInputs.spectrum = theAt("iSpectrum", "sampler2D");
  theInputs.origin = theAt("zorbitFragOrigin", "vec2");
  return theInputs;
}

}  // namespace

bool BuildProgram(const shadersource::Prepared& inPrepared, const std::string& inFileName, ShaderProgram& outProgram,
                  std::string& outLog, std::vector<std::string>& outWarnings) {
  bool theCompiled = false;
  std::string theLog;
  const GLuint theFragment = CompileShader(GL_FRAGMENT_SHADER, inPrepared.source, theCompiled, theLog);
  outLog = shadersource::MapLog(theLog, inFileName, inPrepared);
  if (!theCompiled) {
    glDeleteShader(theFragment);
    if (outLog.empty()) outLog = inFileName + ": the driver refused the shader without a message\n";
    return false;
  }
  bool theVertexCompiled = false;
  std::string theVertexLog;
  const GLuint theVertex = CompileShader(GL_VERTEX_SHADER, VertexSource(inPrepared), theVertexCompiled, theVertexLog);
  std::string theLinkLog;
  const GLuint theProgram = theVertexCompiled ? Link(theVertex, theFragment, theLinkLog) : 0;
  glDeleteShader(theVertex);
  glDeleteShader(theFragment);
  if (theProgram == 0) {
    outLog += shadersource::MapLog(theVertexCompiled ? theLinkLog : theVertexLog, inFileName, inPrepared);
    if (outLog.empty()) outLog = inFileName + ": the program does not link\n";
    return false;
  }
  outProgram.program = theProgram;
  outProgram.inputs = LocateInputs(theProgram);
  outWarnings.clear();
  for (const std::string& theWarning : inPrepared.warnings) outWarnings.push_back(inFileName + ":" + theWarning);
  outProgram.named.clear();
  for (const shadersource::ValueName& theName : inPrepared.analysis.valueNames) {
    const bool theInt = theName.type == "int";
    const GLint theLocation = theInt || theName.type == "float" ? glGetUniformLocation(theProgram, theName.name.c_str()) : -1;
    if (theLocation < 0) {
      outWarnings.push_back(inFileName + ":" + std::to_string(theName.line) + ": " + theName.name +
                            " is no float or int uniform the shader uses; its value is not given");
      continue;
    }
    outProgram.named.push_back({theLocation, theName.index, theName.asInt, theInt});
  }
  return true;
}

void DeleteProgram(ShaderProgram& ioProgram) {
  if (ioProgram.program != 0) glDeleteProgram(ioProgram.program);
  ioProgram = ShaderProgram();
}

GLuint BuildOwnProgram(const char* inVertex, const char* inFragment, std::string& outLog) {
  bool theVertexCompiled = false, theFragmentCompiled = false;
  std::string theVertexLog, theFragmentLog;
  const GLuint theVertex = CompileShader(GL_VERTEX_SHADER, inVertex, theVertexCompiled, theVertexLog);
  const GLuint theFragment = CompileShader(GL_FRAGMENT_SHADER, inFragment, theFragmentCompiled, theFragmentLog);
  GLuint theProgram = 0;
  if (theVertexCompiled && theFragmentCompiled) theProgram = Link(theVertex, theFragment, outLog);
  else outLog = theVertexLog + theFragmentLog;
  glDeleteShader(theVertex);
  glDeleteShader(theFragment);
  return theProgram;
}
