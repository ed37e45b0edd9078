// Placing a node from the integer parameters of an effect, the one
// convention every effect that hands nodes to a 3D group follows.
#pragma once

#include <cstdint>

class Node3D;

// Position = (inX, inY, inZ) / 1000; matrix = rotation of the quaternion
// (inQx, inQy, inQz, inQw) / 10000 after normalising (all zero: no
// rotation), then scaled uniformly by inScale / 100000 (scale * rotation).
void PlaceNode(Node3D& ioNode, int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz,
               int32_t inQw, int32_t inScale);
