// Edit mode's message over the picture: a failed save's "file:line:
// message" lines, white on a dark panel at the viewport's top-left corner,
// drawn with a monospaced face that fontconfig finds, through FreeType.
#pragma once

#include <GL/glew.h>

#include <string>

#include "shadertextures.h"

class ShaderNotice {
 public:
  ShaderNotice() = default;
  ~ShaderNotice();
  ShaderNotice(const ShaderNotice&) = delete;
  ShaderNotice& operator=(const ShaderNotice&) = delete;

  // inViewport in window pixels, bottom-left origin. Nothing when no font
  // can be had (the messages are in the log all the same).
  void Draw(const ShaderKit& inKit, const std::string& inText, const int inViewport[4]);
  // The texture, while the context is there.
  void Release();

 private:
  bool Open();
  void Compose(const std::string& inText, int inMaxWidth);

  bool mTried = false;
  void* mLibrary = nullptr;  // FT_Library
  void* mFace = nullptr;     // FT_Face
  std::string mText;         // what the texture shows
  GLuint mTexture = 0;
  int mWidth = 0, mHeight = 0;
};
