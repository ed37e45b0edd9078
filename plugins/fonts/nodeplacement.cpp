#include "nodeplacement.h"

#include "axisnode3d.h"
#include "fontshost.h"
#include "lattice_math.h"
#include "node3d.h"

void PlaceNode(Node3D& ioNode, int32_t inX, int32_t inY, int32_t inZ, int32_t inQx, int32_t inQy, int32_t inQz,
               int32_t inQw, int32_t inScale) {
  ioNode.mPosition[0] = float(inX / 1000.0);
  ioNode.mPosition[1] = float(inY / 1000.0);
  ioNode.mPosition[2] = float(inZ / 1000.0);
  float theQuat[4] = {float(inQx / 10000.0), float(inQy / 10000.0), float(inQz / 10000.0), float(inQw / 10000.0)};
  unit_quat_self(theQuat);
  quat_to_mat3(theQuat, ioNode.mMatrix);
  const float theScale = float(inScale / 100000.0);
  float theScaling[9];
  make_scale_mat(theScaling, theScale, theScale, theScale);
  mul_mat_mat_self(theScaling, ioNode.mMatrix);
}

void ShowInGroup(int32_t inGroup, const char* inRequester, Node3D* ioNode, AxisNode3D* inAxis) {
  if (inAxis) {
    copy_vec(ioNode->mPosition, inAxis->mPosition);
    copy_mat(ioNode->mMatrix, inAxis->mMatrix);
  }
  bool theScratch = false;
  Node3D* theGroup =
      static_cast<Node3D*>(gUseResource(KIND_3DWR, inGroup, nullptr, false, inRequester, "3D group", &theScratch));
  if (!theGroup) return;
  theGroup->AddChild(ioNode);
  if (inAxis) theGroup->AddChild(inAxis);
}
