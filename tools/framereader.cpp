#include "framereader.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// OpenGL's rows run bottom to top; frames are written top to bottom, opaque.
// The rows are read as BGRA, the layout of the window's pixels, which the
// driver copies as they are (asked for RGBA it converts every pixel, slowly);
// the swap to RGBA is done here, in the copy that turns the rows over anyway.
void CopyFlipped(const uint8_t* inRows, Image& outImage) {
  const size_t theStride = static_cast<size_t>(outImage.width) * 4;
  for (int y = 0; y < outImage.height; ++y) {
    const uint8_t* theSource = inRows + (outImage.height - 1 - y) * theStride;
    uint8_t* theTarget = outImage.Pixel(0, y);
    for (size_t i = 0; i < theStride; i += 4) {
      // Little-endian words: 0xAARRGGBB read, 0xFFBBGGRR written.
      uint32_t p;
      std::memcpy(&p, theSource + i, 4);
      p = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
      std::memcpy(theTarget + i, &p, 4);
    }
  }
}

}  // namespace

BackBufferReader::BackBufferReader(std::shared_ptr<ImagePool> inPool, int inDepth)
    : mPool(std::move(inPool)), mDepth(inDepth) {
  if (mDepth > 0 && !(GLEW_VERSION_2_1 || GLEW_ARB_pixel_buffer_object)) mDepth = 0;
}

void BackBufferReader::Queue(int inWidth, int inHeight) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  const size_t theBytes = static_cast<size_t>(inWidth) * inHeight * 4;
  if (mDepth == 0) {
    mRows.resize(theBytes);
    glReadPixels(0, 0, inWidth, inHeight, GL_BGRA, GL_UNSIGNED_BYTE, mRows.data());
    std::shared_ptr<Image> theImage = mPool->Get(inWidth, inHeight);
    CopyFlipped(mRows.data(), *theImage);
    mPending.push_back(InFlight{0, inWidth, inHeight, theImage});
    return;
  }
  if (mBuffers.empty()) {
    mBuffers.resize(static_cast<size_t>(mDepth));
    glGenBuffers(mDepth, mBuffers.data());
  }
  const unsigned theBuffer = mBuffers[mNext];
  mNext = (mNext + 1) % mBuffers.size();
  glBindBuffer(GL_PIXEL_PACK_BUFFER, theBuffer);
  glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(theBytes), nullptr, GL_STREAM_READ);
  glReadPixels(0, 0, inWidth, inHeight, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  mPending.push_back(InFlight{theBuffer, inWidth, inHeight, nullptr});
}

std::shared_ptr<Image> BackBufferReader::Take() {
  if (mPending.empty()) return nullptr;
  InFlight theFrame = mPending.front();
  mPending.erase(mPending.begin());
  if (theFrame.buffer == 0) return theFrame.image;
  std::shared_ptr<Image> theImage = mPool->Get(theFrame.width, theFrame.height);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, theFrame.buffer);
  const void* theRows = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  if (theRows) {
    CopyFlipped(static_cast<const uint8_t*>(theRows), *theImage);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  } else {
    theImage.reset();
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  return theImage;
}

void BackBufferReader::Release() {
  if (!mBuffers.empty()) glDeleteBuffers(static_cast<GLsizei>(mBuffers.size()), mBuffers.data());
  mBuffers.clear();
  mPending.clear();
}
