// Placing a text node from effect parameters and handing it to a 3D group;
// shared by Text3D and TextSwarm3D.
#pragma once

#include <cstdint>

class AxisNode3D;
class Node3D;

// Position = (inX, inY, inZ) / 1000; matrix = rotation of the quaternion
// (inQx, inQy, inQz, inQw) / 10000 after normalising, scaled by
// inScale / 100000.
void PlaceNode(Node3D& ioNode, int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz,
               int32_t inQw, int32_t inScale);

// Looks the 3D group named by text inGroup up (kind 3DWR) and adds ioNode
// to it for this frame. With inAxis, the axis cross first takes the node's
// place and is added after it. Nothing happens when the group is missing;
// the group is never released.
void ShowInGroup(int32_t inGroup, const char* inRequester, Node3D* ioNode, AxisNode3D* inAxis);
