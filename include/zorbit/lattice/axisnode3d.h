// AxisNode3D: an axis cross, three lines from the node's origin along its
// own x, y and z axes (through its matrix, so it shows the node's rotation
// and scale), kLength scene units long, for placing things by eye.
//
// The colours are 0xAARRGGBB and given z first: the plug-ins pass
// (0xFF8080FF, 0xFF80FF80, 0xFFFF8080), which draws x red, y green, z blue.
#pragma once

#include <cstdint>

#include "node3d.h"

class AxisNode3D : public Node3D {
 public:
  static constexpr float kLength = 100.0f;  // scene units (a font pixel each)

  AxisNode3D(unsigned long inColourZ, unsigned long inColourY, unsigned long inColourX);
  ~AxisNode3D() override;

  int GetKind() const override;                // NODE_KIND_AXIS
  void Accept(Visitor3D& inVisitor) override;  // VisitAxis

  // 0xAARRGGBB of the line along axis inAxis (0 x, 1 y, 2 z).
  uint32_t GetAxisColour(int inAxis) const;

 private:
  uint32_t mColours[3];  // x, y, z
};
