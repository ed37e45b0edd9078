// Reads frames back from OpenGL's back buffer. With pixel buffer objects
// (where the driver offers them) the copy of frame k is started before frame
// k is shown and collected a frame or two later, so that it overlaps drawing
// the next one; otherwise each frame is read at once.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "framepipeline.h"

class BackBufferReader {
 public:
  // inDepth buffers in flight (2 or 3); 0, or a driver without pixel buffer
  // objects: the plain read.
  BackBufferReader(std::shared_ptr<ImagePool> inPool, int inDepth);
  BackBufferReader(const BackBufferReader&) = delete;
  BackBufferReader& operator=(const BackBufferReader&) = delete;

  // Starts reading the back buffer of the current frame, inWidth x inHeight.
  void Queue(int inWidth, int inHeight);
  // Frames started and not yet taken.
  int Pending() const { return static_cast<int>(mPending.size()); }
  // True when the oldest pending frame should be taken now to keep at most
  // depth - 1 frames in flight.
  bool Full() const { return Pending() >= std::max(1, mDepth); }
  // The oldest pending frame, rows top to bottom, opaque.
  std::shared_ptr<Image> Take();
  // Frees the buffers; call while the OpenGL context still exists.
  void Release();

 private:
  struct InFlight {
    unsigned buffer;  // 0: mImage holds the plain read
    int width, height;
    std::shared_ptr<Image> image;
  };
  std::shared_ptr<ImagePool> mPool;
  int mDepth;
  std::vector<unsigned> mBuffers;
  size_t mNext = 0;
  std::vector<InFlight> mPending;  // oldest first
  std::vector<uint8_t> mRows;     // the plain read, bottom to top
};
