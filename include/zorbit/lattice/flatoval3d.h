// FlatOval3D: a filled flat oval in the node's x-y plane, centred on its
// origin, in one uniform colour.
//
// FlatOval3D(inHalfWidth, inHalfHeight, inSegments, inRoundness, inColour):
//   * inHalfWidth, inHalfHeight: the semi-axes in scene units (the oval
//     spans 2 * inHalfWidth by 2 * inHalfHeight). Negative values count as 0.
//   * inSegments: rim segments per quarter turn (15 gives a smooth 60-sided
//     rim); clamped to 1..1024.
//   * inRoundness r: the rim point at angle a is
//     (w * sign(cos a) * |cos a|^r, h * sign(sin a) * |sin a|^r).
//     r = 1 is an ellipse; below 1 the oval bulges toward a rounded rectangle
//     (0.8 gives the slightly square comic-balloon look); above 1 it pinches.
//     Clamped to 0.05..4; a value that is not a number counts as 1.
//   * inColour: 0xAARRGGBB; the alpha is multiplied by the opacity.
// Drawn as a GL_TRIANGLE_FAN: the centre, then 4 * segments + 1 rim points
// (the last repeats the first), all at z = 0.
#pragma once

#include "poly3d.h"

class FlatOval3D : public Poly3D {
 public:
  FlatOval3D(int inHalfWidth, int inHalfHeight, int inSegments, float inRoundness, unsigned long inColour);
  ~FlatOval3D() override;

  int GetPrimitive() const override;  // GL_TRIANGLE_FAN (6)
  const float* GetVertices() const override;
  int32_t& GetVertexCount() override;
  // The colour's alpha times opacity / 255, with the colour's red, green, blue.
  uint32_t GetColour() const override;

  // Slot 36: replaces the colour (0xAARRGGBB).
  virtual void SetColour(unsigned long inColour);

 private:
  int32_t mVertexCount;
  float* mVertices;   // mVertexCount * 3, owned
  uint32_t mColour;
};
