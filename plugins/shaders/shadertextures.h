// The pictures shaders read and write: targets (two textures each, the
// newer in front, so a pass that reads its own target sees its previous
// frame), copies of TXTR textures in the orientation Shadertoy gives, the
// frame drawn so far, and the music as textures. Also the quad every pass
// draws and the program that copies and composites pictures.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <string>

#include <zorbit/zorbit.h>

// A picture a pass draws into. Made cleared; SetSize to another size makes
// it cleared again.
struct Target {
  int width = 0;
  int height = 0;
  GLuint textures[2] = {};
  GLuint framebuffers[2] = {};
  int front = 0;                  // the texture holding the newest picture
  uint32_t serial = 0;            // passes drawn into it
  uint32_t mipmapSerial = UINT32_MAX;
  // Offered as TXTR: the front picture copied with its rows from the top,
  // as image textures have them, when someone asks for it.
  TextureRecord record{};
  GLuint offeredFramebuffer = 0;
  uint32_t offeredSerial = UINT32_MAX;

  GLuint Front() const { return textures[front]; }
};

// Everything the plug-in draws with, made once per context.
struct ShaderKit {
  GLuint quadArray = 0;   // vertex array of the full-screen strip
  GLuint quadBuffer = 0;
  GLuint copyProgram = 0;
  GLint copySource = -1, copyWindow = -1, copyArea = -1, copyMode = -1, copyOpacity = -1;
  GLuint samplers[16] = {};  // by ChannelSampling bits
  GLenum bufferFormat = GL_RGBA8;  // GL_RGBA32F where the driver offers it
  GLuint frameTexture = 0;   // the frame drawn so far, copied at the pass that reads it
  int frameWidth = 0, frameHeight = 0;
  uint32_t frameSerial = 0;
  uint32_t frameMipmapSerial = UINT32_MAX;
};

// False (with the reason) when the context cannot draw shaders.
bool MakeKit(ShaderKit& outKit, std::string& outProblem);
void DropKit(ShaderKit& ioKit);

bool SetTargetSize(const ShaderKit& inKit, Target& ioTarget, int inWidth, int inHeight);
void ClearTarget(Target& ioTarget);
void DropTarget(Target& ioTarget);
// Binds the back texture's framebuffer for a pass; EndPass puts it in front.
void BeginPass(const Target& inTarget);
void EndPass(Target& ioTarget);
// The record offered as TXTR, brought up to the front picture.
TextureRecord* OfferedRecord(const ShaderKit& inKit, Target& ioTarget, const std::string& inName);

// How a copy draws: the source's window (s0, t0, s1, t1) spread over the
// area (x, y, width, height in window pixels, bottom-left origin).
enum CopyMode { COPY_PLAIN = 0, COPY_ALPHA = 1, COPY_MULTIPLY = 2, COPY_SCALED = 3 };
void DrawCopy(const ShaderKit& inKit, GLuint inSource, const float inWindow[4], const float inArea[4], CopyMode inMode,
              float inOpacity);
void DrawQuad(const ShaderKit& inKit);

// A TXTR texture copied to exactly its image's size, turned the way
// Shadertoy gives images unless inAsStored. Made again when the record's
// texture, its size or (not static) its contents may have changed.
struct ImageCopy {
  GLuint texture = 0;
  GLuint framebuffer = 0;
  int width = 0, height = 0;
  GLuint source = 0;
  uint32_t serial = 0;
  uint32_t mipmapSerial = UINT32_MAX;
};
void UpdateImageCopy(const ShaderKit& inKit, ImageCopy& ioCopy, const TextureRecord& inRecord, bool inAsStored,
                     bool inStatic);
void DropImageCopy(ImageCopy& ioCopy);

// The frame drawn so far, inside the viewport (bottom-left origin), into the kit's frame texture.
void CopyFrame(ShaderKit& ioKit, int inX, int inY, int inWidth, int inHeight);

// A music record as textures: levels 512 x 2 bytes (row 0 the spectrum,
// row 1 the waveform) and spectra 1024 x 2 floats (row 0 the spectrum,
// row 1 the smoothed one). Uploaded once per serial.
struct MusicTextures {
  GLuint levels = 0;
  GLuint spectra = 0;
  uint32_t serial = 0;
  bool filled = false;
  uint32_t mipmapSerial = UINT32_MAX;
  uint32_t uploads = 0;  // how often the record was uploaded
};
void UpdateMusic(MusicTextures& ioMusic, const MusicRecord& inRecord);
void DropMusic(MusicTextures& ioMusic);

// glGenerateMipmap on inTexture once per serial.
void EnsureMipmaps(GLuint inTexture, uint32_t inSerial, uint32_t& ioMipmapSerial);

// Every piece of OpenGL state a Shader call may change, taken when made
// and put back when destroyed: the other plug-ins draw with the fixed
// function through the state tracker, which must find OpenGL as it left it.
class SavedGLState {
 public:
  SavedGLState();
  ~SavedGLState();
  SavedGLState(const SavedGLState&) = delete;
  SavedGLState& operator=(const SavedGLState&) = delete;

  static constexpr int kUnits = 5;  // iChannel0..3 and iSpectrum

 private:
  GLint mProgram = 0, mArray = 0, mArrayBuffer = 0, mActiveTexture = 0;
  GLint mTextures[kUnits] = {}, mSamplers[kUnits] = {};
  GLint mDrawFramebuffer = 0, mReadFramebuffer = 0;
  GLint mViewport[4] = {};
  GLboolean mBlend = GL_FALSE, mDepthTest = GL_FALSE, mScissor = GL_FALSE, mCull = GL_FALSE;
  GLboolean mClip[4] = {};
  GLint mBlendSrcRgb = 0, mBlendDstRgb = 0, mBlendSrcAlpha = 0, mBlendDstAlpha = 0;
  GLint mEquationRgb = 0, mEquationAlpha = 0;
  GLfloat mBlendColour[4] = {};
  GLboolean mColourMask[4] = {};
  GLint mPolygonMode[2] = {};
};
