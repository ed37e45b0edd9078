// Authoring mode's on-screen display: lines of text on a dark panel in the
// window's top-left corner, drawn after the demo's frame with the GUI's
// fonts through the state tracker, which is left as it was found. The panel
// is composed by the processor and shown as one textured quad.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OGLGUIFactory;
class OGLFont;

class Overlay {
 public:
  Overlay();
  ~Overlay();
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  // Needs a current OpenGL context and tracker; the font is built at the
  // first call after Release.
  void Draw(int inWidth, int inHeight, const std::vector<std::string>& inLines);
  // Drops the font while its context and tracker still exist (before a
  // reload takes the tracker down).
  void Release();

 private:
  std::unique_ptr<OGLGUIFactory> mFactory;
  std::unique_ptr<OGLFont> mFont;
  std::vector<uint8_t> mPixels;  // the panel as drawn, premultiplied RGBA
  unsigned mTexture = 0;         // holds mPixels in its top-left corner
  int mTextureSide = 0;
  bool mBroken = false;  // the font could not be made: draw nothing rather than fail each frame
};
