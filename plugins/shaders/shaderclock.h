// The time inputs of a shader, from the player's clock alone (the event's
// FrameInfo) and the date the plug-in started at. Free of OpenGL and host.
#pragma once

#include <cstdint>
#include <ctime>

namespace shaderclock {

// One event's frame counting. The first frame of an event (and the first
// after Restart) has iFrame 0, iTimeDelta 0 and iFrameRate kFirstFrameRate:
// nothing that integrates over iTimeDelta moves, and nothing that divides by
// iFrameRate divides by zero. Later frames: iTimeDelta is the elapsed time
// since the previous frame, iFrameRate its inverse; a frame at the same
// millisecond as the one before keeps the previous rate.
constexpr float kFirstFrameRate = 60.0f;

struct Frame {
  float time;       // iTime, seconds
  float timeDelta;  // iTimeDelta, seconds
  float frameRate;  // iFrameRate, frames per second
  int32_t frame;    // iFrame
};

class EventClock {
 public:
  // inElapsedMs: FrameInfo::elapsed; inDemoMs: the frame's demo time
  // (startTime + elapsed). inDemoClock chooses the demo time as iTime.
  // Call once per drawn frame.
  Frame Advance(int32_t inElapsedMs, uint32_t inDemoMs, bool inDemoClock);
  void Restart() { mStarted = false; }

 private:
  bool mStarted = false;
  int64_t mLastMs = 0;
  int32_t mFrame = 0;
  float mRate = kFirstFrameRate;
};

// iDate: year, month (0 = January, as Shadertoy gives it), day of the month,
// and seconds since midnight, of the local date inStart advanced by
// inDemoMs of demo time.
struct Date {
  float year, month, day, seconds;
};
Date DateAt(std::time_t inStart, uint32_t inDemoMs);

}  // namespace shaderclock
