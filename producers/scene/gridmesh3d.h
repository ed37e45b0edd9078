// GridMesh3D: a polygon node showing a vertex grid (the GRID record) as a
// mesh of quads, filled in one colour, textured, or as a wireframe.
#pragma once

#include <cstdint>
#include <vector>

#include <zorbit/lattice/poly3d.h>
#include <zorbit/zorbit.h>

class GridMesh3D : public Poly3D {
 public:
  GridMesh3D();
  ~GridMesh3D() override;

  // Copies the grid's vertices (the grid may change every frame). With a
  // texture, the image covers the whole grid upright: column 0 at s = 0,
  // the last column at the texture's s extent, the last row (largest y for
  // a grid made flat) at t = 0. False, leaving the mesh empty, when the grid
  // is unusable: fewer than 2 columns or rows, no vertices, or more than
  // kMaxVertices vertices.
  bool Update(const Grid& inGrid, const TextureRecord* inTexture, bool inWireframe);

  // Colour 0x00RRGGBB; the opacity is added as alpha.
  void SetColour(uint32_t inColour) { mColour = inColour & 0xFFFFFFu; }

  static constexpr int32_t kMaxVertices = 1 << 22;

  int GetPrimitive() const override;  // GL_QUADS
  const float* GetVertices() const override;
  int32_t& GetVertexCount() override;
  int32_t& GetIndexCount() override;
  const int32_t* GetIndices() const override;
  uint32_t GetColour() const override;
  bool IsWireframe() const override;
  bool HasTexture() const override;
  bool HasTexCoords() const override;
  const int16_t* GetTexCoords() const override;
  uint32_t GetTexture() const override;

 private:
  std::vector<float> mVertices;
  std::vector<int16_t> mTexCoords;
  std::vector<int32_t> mIndices;  // 4 per quad, rebuilt when the grid's size changes
  int32_t mVertexCount;
  int32_t mIndexCount;
  int32_t mColumns;
  int32_t mRows;
  uint32_t mColour;
  uint32_t mTexture;  // 0: untextured
  bool mWireframe;
};
