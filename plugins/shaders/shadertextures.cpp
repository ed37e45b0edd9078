#include "shadertextures.h"

#include <cstring>

#include "shaderprogram.h"
#include "shaders.h"

namespace {

const char* const kCopyVertex =
    "#version 130\n"
    "in vec2 zorbitPosition;\n"
    "void main() { gl_Position = vec4(zorbitPosition, 0.0, 1.0); }\n";

// Texel centres land on texel centres: a copy of the same size is exact.
const char* const kCopyFragment =
    "#version 130\n"
    "uniform sampler2D source;\n"
    "uniform vec4 window;\n"
    "uniform vec4 area;\n"
    "uniform int mode;\n"
    "uniform float opacity;\n"
    "out vec4 colour;\n"
    "void main() {\n"
    "  vec2 f = (gl_FragCoord.xy - area.xy) / area.zw;\n"
    "  vec4 c = texture(source, mix(window.xy, window.zw, f));\n"
    "  if (mode == 1) c.a *= opacity;\n"
    "  else if (mode == 2) c = mix(vec4(1.0), c, opacity);\n"
    "  else if (mode == 3) c *= opacity;\n"
    "  colour = c;\n"
    "}\n";

void MakeSamplers(ShaderKit& ioKit) {
  glGenSamplers(16, ioKit.samplers);
  for (int theBits = 0; theBits < 16; ++theBits) {
    const GLuint theSampler = ioKit.samplers[theBits];
    const bool theNearest = (theBits & SAMPLE_NEAREST) != 0;
    const bool theMipmaps = (theBits & SAMPLE_MIPMAPS) != 0;
    const GLint theWrap = (theBits & SAMPLE_REPEAT) != 0 ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    const GLint theMin = theMipmaps ? (theNearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR)
                                    : (theNearest ? GL_NEAREST : GL_LINEAR);
    glSamplerParameteri(theSampler, GL_TEXTURE_MIN_FILTER, theMin);
    glSamplerParameteri(theSampler, GL_TEXTURE_MAG_FILTER, theNearest ? GL_NEAREST : GL_LINEAR);
    glSamplerParameteri(theSampler, GL_TEXTURE_WRAP_S, theWrap);
    glSamplerParameteri(theSampler, GL_TEXTURE_WRAP_T, theWrap);
  }
}

// A texture of inFormat with one level, nearest filtering as its own
// setting (samplers decide when shaders read it).
GLuint MakeTexture(GLenum inFormat, int inWidth, int inHeight) {
  GLuint theTexture = 0;
  glGenTextures(1, &theTexture);
  glBindTexture(GL_TEXTURE_2D, theTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  const bool theFloat = inFormat == GL_RGBA32F || inFormat == GL_R32F;
  const GLenum theLayout = inFormat == GL_R8 || inFormat == GL_R32F ? GL_RED : GL_RGBA;
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(inFormat), inWidth, inHeight, 0, theLayout,
               theFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, nullptr);
  return theTexture;
}

GLuint MakeFramebuffer(GLuint inTexture) {
  GLuint theFramebuffer = 0;
  glGenFramebuffers(1, &theFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, theFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, inTexture, 0);
  return theFramebuffer;
}

void ClearBound() {
  GLfloat theClear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, theClear);
  const GLboolean theScissor = glIsEnabled(GL_SCISSOR_TEST);
  if (theScissor) glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(theClear[0], theClear[1], theClear[2], theClear[3]);
  if (theScissor) glEnable(GL_SCISSOR_TEST);
}

GLenum ChooseBufferFormat() {
  if (!GLEW_VERSION_3_0 && !GLEW_ARB_texture_float) return GL_RGBA8;
  const GLuint theTexture = MakeTexture(GL_RGBA32F, 4, 4);
  const GLuint theFramebuffer = MakeFramebuffer(theTexture);
  const bool theComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glDeleteFramebuffers(1, &theFramebuffer);
  glDeleteTextures(1, &theTexture);
  return theComplete ? GL_RGBA32F : GL_RGBA8;
}

}  // namespace

bool MakeKit(ShaderKit& outKit, std::string& outProblem) {
  if (!GLEW_VERSION_3_3) {
    outProblem = "OpenGL 3.3 is needed (framebuffers, samplers, GLSL)";
    return false;
  }
  std::string theLog;
  outKit.copyProgram = BuildOwnProgram(kCopyVertex, kCopyFragment, theLog);
  if (outKit.copyProgram == 0) {
    outProblem = "the copy program does not build: " + theLog;
    return false;
  }
  outKit.copySource = glGetUniformLocation(outKit.copyProgram, "source");
  outKit.copyWindow = glGetUniformLocation(outKit.copyProgram, "window");
  outKit.copyArea = glGetUniformLocation(outKit.copyProgram, "area");
  outKit.copyMode = glGetUniformLocation(outKit.copyProgram, "mode");
  outKit.copyOpacity = glGetUniformLocation(outKit.copyProgram, "opacity");
  const GLfloat theQuad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
  glGenVertexArrays(1, &outKit.quadArray);
  glBindVertexArray(outKit.quadArray);
  glGenBuffers(1, &outKit.quadBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, outKit.quadBuffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof theQuad, theQuad, GL_STATIC_DRAW);
  glVertexAttribPointer(kPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(kPositionAttribute);
  MakeSamplers(outKit);
  outKit.bufferFormat = ChooseBufferFormat();
  return true;
}

void DropKit(ShaderKit& ioKit) {
  if (ioKit.copyProgram != 0) glDeleteProgram(ioKit.copyProgram);
  if (ioKit.quadArray != 0) glDeleteVertexArrays(1, &ioKit.quadArray);
  if (ioKit.quadBuffer != 0) glDeleteBuffers(1, &ioKit.quadBuffer);
  if (ioKit.samplers[0] != 0) glDeleteSamplers(16, ioKit.samplers);
  if (ioKit.frameTexture != 0) glDeleteTextures(1, &ioKit.frameTexture);
  ioKit = ShaderKit();
}

bool SetTargetSize(const ShaderKit& inKit, Target& ioTarget, int inWidth, int inHeight) {
  if (ioTarget.textures[0] != 0 && ioTarget.width == inWidth && ioTarget.height == inHeight) return false;
  const TextureRecord theRecord = ioTarget.record;
  DropTarget(ioTarget);
  ioTarget.record = theRecord;  // stays where it is for its users
  ioTarget.width = inWidth;
  ioTarget.height = inHeight;
  for (int i = 0; i < 2; ++i) {
    ioTarget.textures[i] = MakeTexture(inKit.bufferFormat, inWidth, inHeight);
    ioTarget.framebuffers[i] = MakeFramebuffer(ioTarget.textures[i]);
    ClearBound();
  }
  ioTarget.serial += 1;
  return true;
}

void ClearTarget(Target& ioTarget) {
  for (int i = 0; i < 2; ++i) {
    if (ioTarget.framebuffers[i] == 0) continue;
    glBindFramebuffer(GL_FRAMEBUFFER, ioTarget.framebuffers[i]);
    ClearBound();
  }
  ioTarget.serial += 1;
}

void DropTarget(Target& ioTarget) {
  glDeleteFramebuffers(2, ioTarget.framebuffers);
  glDeleteTextures(2, ioTarget.textures);
  if (ioTarget.offeredFramebuffer != 0) glDeleteFramebuffers(1, &ioTarget.offeredFramebuffer);
  if (ioTarget.record.texture != 0) glDeleteTextures(1, &ioTarget.record.texture);
  const uint32_t theSerial = ioTarget.serial;
  ioTarget = Target();
  ioTarget.serial = theSerial + 1;
}

void BeginPass(const Target& inTarget) { glBindFramebuffer(GL_FRAMEBUFFER, inTarget.framebuffers[1 - inTarget.front]); }

void EndPass(Target& ioTarget) {
  ioTarget.front = 1 - ioTarget.front;
  ioTarget.serial += 1;
}

TextureRecord* OfferedRecord(const ShaderKit& inKit, Target& ioTarget, const std::string& inName) {
  TextureRecord& theRecord = ioTarget.record;
  std::snprintf(theRecord.name, sizeof theRecord.name, "%s", inName.c_str());
  if (ioTarget.textures[0] == 0) return &theRecord;
  if (theRecord.texture == 0 || theRecord.width != ioTarget.width || theRecord.height != ioTarget.height) {
    if (ioTarget.offeredFramebuffer != 0) glDeleteFramebuffers(1, &ioTarget.offeredFramebuffer);
    if (theRecord.texture != 0) glDeleteTextures(1, &theRecord.texture);
    theRecord.texture = MakeTexture(GL_RGBA8, ioTarget.width, ioTarget.height);
    glBindTexture(GL_TEXTURE_2D, theRecord.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    ioTarget.offeredFramebuffer = MakeFramebuffer(theRecord.texture);
    theRecord.width = ioTarget.width;
    theRecord.height = ioTarget.height;
    theRecord.sExtent = 1.0f;
    theRecord.tExtent = 1.0f;
    ioTarget.offeredSerial = UINT32_MAX;
  }
  if (ioTarget.offeredSerial == ioTarget.serial) return &theRecord;
  glBindFramebuffer(GL_FRAMEBUFFER, ioTarget.offeredFramebuffer);
  glViewport(0, 0, ioTarget.width, ioTarget.height);
  const float theFlip[4] = {0, 1, 1, 0};
  const float theArea[4] = {0, 0, float(ioTarget.width), float(ioTarget.height)};
  glDisable(GL_BLEND);
  DrawCopy(inKit, ioTarget.Front(), theFlip, theArea, COPY_PLAIN, 1.0f);
  ioTarget.offeredSerial = ioTarget.serial;
  return &theRecord;
}

void DrawQuad(const ShaderKit& inKit) {
  glBindVertexArray(inKit.quadArray);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void DrawCopy(const ShaderKit& inKit, GLuint inSource, const float inWindow[4], const float inArea[4], CopyMode inMode,
              float inOpacity) {
  glUseProgram(inKit.copyProgram);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, inSource);
  glBindSampler(0, inKit.samplers[SAMPLE_NEAREST]);
  glUniform1i(inKit.copySource, 0);
  glUniform4fv(inKit.copyWindow, 1, inWindow);
  glUniform4fv(inKit.copyArea, 1, inArea);
  glUniform1i(inKit.copyMode, inMode);
  glUniform1f(inKit.copyOpacity, inOpacity);
  DrawQuad(inKit);
}

void UpdateImageCopy(const ShaderKit& inKit, ImageCopy& ioCopy, const TextureRecord& inRecord, bool inAsStored,
                     bool inStatic) {
  const bool theSame = ioCopy.texture != 0 && ioCopy.source == inRecord.texture && ioCopy.width == inRecord.width &&
                       ioCopy.height == inRecord.height;
  if (theSame && inStatic) return;
  if (!theSame) {
    DropImageCopy(ioCopy);
    ioCopy.texture = MakeTexture(GL_RGBA8, inRecord.width, inRecord.height);
    ioCopy.framebuffer = MakeFramebuffer(ioCopy.texture);
    ioCopy.width = inRecord.width;
    ioCopy.height = inRecord.height;
    ioCopy.source = inRecord.texture;
  }
  const float theS = inRecord.sExtent > 0 && inRecord.sExtent <= 1 ? inRecord.sExtent : 1.0f;
  const float theT = inRecord.tExtent > 0 && inRecord.tExtent <= 1 ? inRecord.tExtent : 1.0f;
  const float theWindow[4] = {0, inAsStored ? 0 : theT, theS, inAsStored ? theT : 0};
  const float theArea[4] = {0, 0, float(ioCopy.width), float(ioCopy.height)};
  glBindFramebuffer(GL_FRAMEBUFFER, ioCopy.framebuffer);
  glViewport(0, 0, ioCopy.width, ioCopy.height);
  glDisable(GL_BLEND);
  DrawCopy(inKit, inRecord.texture, theWindow, theArea, COPY_PLAIN, 1.0f);
  ioCopy.serial += 1;
}

void DropImageCopy(ImageCopy& ioCopy) {
  if (ioCopy.framebuffer != 0) glDeleteFramebuffers(1, &ioCopy.framebuffer);
  if (ioCopy.texture != 0) glDeleteTextures(1, &ioCopy.texture);
  const uint32_t theSerial = ioCopy.serial;
  ioCopy = ImageCopy();
  ioCopy.serial = theSerial + 1;
}

void CopyFrame(ShaderKit& ioKit, int inX, int inY, int inWidth, int inHeight) {
  if (ioKit.frameTexture == 0 || ioKit.frameWidth != inWidth || ioKit.frameHeight != inHeight) {
    if (ioKit.frameTexture != 0) glDeleteTextures(1, &ioKit.frameTexture);
    ioKit.frameTexture = MakeTexture(GL_RGBA8, inWidth, inHeight);
    ioKit.frameWidth = inWidth;
    ioKit.frameHeight = inHeight;
  }
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, ioKit.frameTexture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, inX, inY, inWidth, inHeight);
  ioKit.frameSerial += 1;
}

void UpdateMusic(MusicTextures& ioMusic, const MusicRecord& inRecord) {
  if (ioMusic.filled && ioMusic.serial == inRecord.serial) return;
  if (ioMusic.levels == 0) {
    ioMusic.levels = MakeTexture(GL_R8, 512, 2);
    ioMusic.spectra = MakeTexture(GL_R32F, 1024, 2);
  }
  GLint theAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &theAlignment);
  GLint theRowLength = 0;
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &theRowLength);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, ioMusic.levels);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 512, 2, GL_RED, GL_UNSIGNED_BYTE, inRecord.levels);
  glBindTexture(GL_TEXTURE_2D, ioMusic.spectra);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1024, 1, GL_RED, GL_FLOAT, inRecord.spectrum);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 1, 1024, 1, GL_RED, GL_FLOAT, inRecord.smoothed);
  glPixelStorei(GL_UNPACK_ALIGNMENT, theAlignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, theRowLength);
  ioMusic.serial = inRecord.serial;
  ioMusic.filled = true;
  ioMusic.uploads += 1;
}

void DropMusic(MusicTextures& ioMusic) {
  if (ioMusic.levels != 0) glDeleteTextures(1, &ioMusic.levels);
  if (ioMusic.spectra != 0) glDeleteTextures(1, &ioMusic.spectra);
  ioMusic = MusicTextures();
}

void EnsureMipmaps(GLuint inTexture, uint32_t inSerial, uint32_t& ioMipmapSerial) {
  if (ioMipmapSerial == inSerial || inTexture == 0) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, inTexture);
  glGenerateMipmap(GL_TEXTURE_2D);
  ioMipmapSerial = inSerial;
}

SavedGLState::SavedGLState() {
  glGetIntegerv(GL_CURRENT_PROGRAM, &mProgram);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &mArray);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &mArrayBuffer);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &mActiveTexture);
  for (int i = 0; i < kUnits; ++i) {
    glActiveTexture(GLenum(GL_TEXTURE0 + i));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &mTextures[i]);
    glGetIntegerv(GL_SAMPLER_BINDING, &mSamplers[i]);
  }
  glActiveTexture(GLenum(mActiveTexture));
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &mDrawFramebuffer);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &mReadFramebuffer);
  glGetIntegerv(GL_VIEWPORT, mViewport);
  mBlend = glIsEnabled(GL_BLEND);
  mDepthTest = glIsEnabled(GL_DEPTH_TEST);
  mScissor = glIsEnabled(GL_SCISSOR_TEST);
  mCull = glIsEnabled(GL_CULL_FACE);
  for (int i = 0; i < 4; ++i) mClip[i] = glIsEnabled(GLenum(GL_CLIP_DISTANCE0 + i));
  glGetIntegerv(GL_BLEND_SRC_RGB, &mBlendSrcRgb);
  glGetIntegerv(GL_BLEND_DST_RGB, &mBlendDstRgb);
  glGetIntegerv(GL_BLEND_SRC_ALPHA, &mBlendSrcAlpha);
  glGetIntegerv(GL_BLEND_DST_ALPHA, &mBlendDstAlpha);
  glGetIntegerv(GL_BLEND_EQUATION_RGB, &mEquationRgb);
  glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &mEquationAlpha);
  glGetFloatv(GL_BLEND_COLOR, mBlendColour);
  glGetBooleanv(GL_COLOR_WRITEMASK, mColourMask);
  glGetIntegerv(GL_POLYGON_MODE, mPolygonMode);
  // What every pass draws with.
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_CULL_FACE);
  for (int i = 0; i < 4; ++i) glDisable(GLenum(GL_CLIP_DISTANCE0 + i));
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBlendEquation(GL_FUNC_ADD);
}

namespace {
void SetEnabled(GLenum inCap, GLboolean inOn) {
  if (inOn) glEnable(inCap);
  else glDisable(inCap);
}
}  // namespace

SavedGLState::~SavedGLState() {
  glUseProgram(GLuint(mProgram));
  glBindVertexArray(GLuint(mArray));
  glBindBuffer(GL_ARRAY_BUFFER, GLuint(mArrayBuffer));
  for (int i = kUnits; i-- > 0;) {
    glActiveTexture(GLenum(GL_TEXTURE0 + i));
    glBindTexture(GL_TEXTURE_2D, GLuint(mTextures[i]));
    glBindSampler(GLuint(i), GLuint(mSamplers[i]));
  }
  glActiveTexture(GLenum(mActiveTexture));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(mDrawFramebuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(mReadFramebuffer));
  glViewport(mViewport[0], mViewport[1], mViewport[2], mViewport[3]);
  SetEnabled(GL_BLEND, mBlend);
  SetEnabled(GL_DEPTH_TEST, mDepthTest);
  SetEnabled(GL_SCISSOR_TEST, mScissor);
  SetEnabled(GL_CULL_FACE, mCull);
  for (int i = 0; i < 4; ++i) SetEnabled(GLenum(GL_CLIP_DISTANCE0 + i), mClip[i]);
  glBlendFuncSeparate(GLenum(mBlendSrcRgb), GLenum(mBlendDstRgb), GLenum(mBlendSrcAlpha), GLenum(mBlendDstAlpha));
  glBlendEquationSeparate(GLenum(mEquationRgb), GLenum(mEquationAlpha));
  glBlendColor(mBlendColour[0], mBlendColour[1], mBlendColour[2], mBlendColour[3]);
  glColorMask(mColourMask[0], mColourMask[1], mColourMask[2], mColourMask[3]);
  glPolygonMode(GL_FRONT, GLenum(mPolygonMode[0]));
  glPolygonMode(GL_BACK, GLenum(mPolygonMode[1]));
}
