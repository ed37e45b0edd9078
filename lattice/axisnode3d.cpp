#include <zorbit/lattice/axisnode3d.h>

#include <zorbit/lattice/visitor3d.h>

AxisNode3D::AxisNode3D(unsigned long inColourZ, unsigned long inColourY, unsigned long inColourX)
    : mColours{uint32_t(inColourX), uint32_t(inColourY), uint32_t(inColourZ)} {}

AxisNode3D::~AxisNode3D() = default;
int AxisNode3D::GetKind() const { return NODE_KIND_AXIS; }
void AxisNode3D::Accept(Visitor3D& inVisitor) { inVisitor.VisitAxis(*this); }

uint32_t AxisNode3D::GetAxisColour(int inAxis) const {
  return inAxis >= 0 && inAxis < 3 ? mColours[inAxis] : 0;
}
