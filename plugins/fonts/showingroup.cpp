#include "showingroup.h"

#include <zorbit/lattice/axisnode3d.h>
#include "fontshost.h"
#include <zorbit/lattice/lattice_math.h>
#include <zorbit/lattice/node3d.h>

void ShowInGroup(int32_t inGroup, const char* inRequester, Node3D* ioNode, AxisNode3D* inAxis) {
  if (inAxis) {
    copy_vec(ioNode->mPosition, inAxis->mPosition);
    copy_mat(ioNode->mMatrix, inAxis->mMatrix);
  }
  bool theScratch = false;
  Node3D* theGroup =
      static_cast<Node3D*>(gHost.Use(KIND_3DWR, inGroup, nullptr, false, inRequester, "3D group", &theScratch));
  if (!theGroup) return;
  theGroup->AddChild(ioNode);
  if (inAxis) theGroup->AddChild(inAxis);
}
