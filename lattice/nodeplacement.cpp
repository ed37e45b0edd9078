#include <zorbit/lattice/nodeplacement.h>

#include <zorbit/lattice/lattice_math.h>
#include <zorbit/lattice/node3d.h>

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
