// Handing a placed text node to a 3D group; shared by Text3D and
// TextSwarm3D (placing it: lattice's nodeplacement.h).
#pragma once

#include <cstdint>

class AxisNode3D;
class Node3D;

// Looks the 3D group named by text inGroup up (kind 3DWR) and adds ioNode
// to it for this frame. With inAxis, the axis cross first takes the node's
// place and is added after it. Nothing happens when the group is missing;
// the group is never released.
void ShowInGroup(int32_t inGroup, const char* inRequester, Node3D* ioNode, AxisNode3D* inAxis);
