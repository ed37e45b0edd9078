#include "gridmesh3d.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace {

// A texture extent usable as a coordinate: NaN or out of range gives 1.
float SaneExtent(float inExtent) { return inExtent > 0.0f && inExtent <= 1.0f ? inExtent : 1.0f; }

}  // namespace

GridMesh3D::GridMesh3D()
    : mVertexCount(0), mIndexCount(0), mColumns(0), mRows(0), mColour(0xFFFFFF), mTexture(0), mWireframe(false) {}

GridMesh3D::~GridMesh3D() = default;

bool GridMesh3D::Update(const Grid& inGrid, const TextureRecord* inTexture, bool inWireframe) {
  mWireframe = inWireframe;
  mTexture = inTexture != nullptr ? inTexture->texture : 0;
  const int64_t theCount = int64_t(inGrid.columns) * int64_t(inGrid.rows);
  if (inGrid.columns < 2 || inGrid.rows < 2 || inGrid.vertices == nullptr || theCount > kMaxVertices) {
    mVertexCount = 0;
    mIndexCount = 0;
    return false;
  }
  const int32_t C = inGrid.columns, R = inGrid.rows;
  if (C != mColumns || R != mRows) {
    mColumns = C;
    mRows = R;
    mIndices.clear();
    mIndices.reserve(size_t(C - 1) * size_t(R - 1) * 4);
    for (int32_t r = 0; r + 1 < R; ++r)
      for (int32_t c = 0; c + 1 < C; ++c) {
        mIndices.push_back(r * C + c);
        mIndices.push_back(r * C + c + 1);
        mIndices.push_back((r + 1) * C + c + 1);
        mIndices.push_back((r + 1) * C + c);
      }
    mVertices.resize(size_t(theCount) * 3);
    mTexCoords.resize(size_t(theCount) * 2);
  }
  mVertexCount = int32_t(theCount);
  mIndexCount = int32_t(mIndices.size());
  std::memcpy(mVertices.data(), inGrid.vertices, size_t(theCount) * 3 * sizeof(float));
  if (inTexture != nullptr) {
    const float theS = SaneExtent(inTexture->sExtent) * mTexCoordScale;
    const float theT = SaneExtent(inTexture->tExtent) * mTexCoordScale;
    for (int32_t r = 0; r < R; ++r)
      for (int32_t c = 0; c < C; ++c) {
        int16_t* theCoord = &mTexCoords[size_t(r * C + c) * 2];
        theCoord[0] = int16_t(theS * float(c) / float(C - 1));
        theCoord[1] = int16_t(theT * float(R - 1 - r) / float(R - 1));
      }
  }
  return true;
}

int GridMesh3D::GetPrimitive() const { return GL_QUADS; }
const float* GridMesh3D::GetVertices() const { return mVertexCount > 0 ? mVertices.data() : nullptr; }
int32_t& GridMesh3D::GetVertexCount() { return mVertexCount; }
int32_t& GridMesh3D::GetIndexCount() { return mIndexCount; }
const int32_t* GridMesh3D::GetIndices() const { return mIndexCount > 0 ? mIndices.data() : nullptr; }
uint32_t GridMesh3D::GetColour() const { return (uint32_t(mOpacity) << 24) | mColour; }
bool GridMesh3D::IsWireframe() const { return mWireframe; }
bool GridMesh3D::HasTexture() const { return mTexture != 0; }
bool GridMesh3D::HasTexCoords() const { return mTexture != 0 && mVertexCount > 0; }
const int16_t* GridMesh3D::GetTexCoords() const { return HasTexCoords() ? mTexCoords.data() : nullptr; }
uint32_t GridMesh3D::GetTexture() const { return mTexture; }
