// Movie frame file names: "frame???.png" with frame 7 is "frame007.png".
#pragma once

#include <cstdint>

#include "buffer.h"

// Writes the frame number over the first run of '?' in inPattern, zero-padded
// to the run's length; a number with more digits than the run keeps only its
// leading digits (1234 in "???" gives "123"). A pattern without '?' comes
// back unchanged. The whole run is replaced whatever its length, so no '?'
// of the first run survives into a file name.
Buffer MakeFrameName(const char* inPattern, int32_t inFrame);
