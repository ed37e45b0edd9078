#include <zorbit/lattice/poly3d.h>

#include <GL/gl.h>

#include <zorbit/lattice/visitor3d.h>

Poly3D::Poly3D()
    : mOpacity(255),
      mAttribute(0),
      mBlendSrc(GL_SRC_ALPHA),
      mBlendDst(GL_ONE_MINUS_SRC_ALPHA),
      mTexCoordScale(kDefaultTexCoordScale),
      mNoCount(0) {}

Poly3D::~Poly3D() = default;

int Poly3D::GetKind() const { return NODE_KIND_POLY; }
void Poly3D::Accept(Visitor3D& inVisitor) { inVisitor.VisitPoly(*this); }
int Poly3D::GetPrimitive() const { return GL_TRIANGLES; }
const float* Poly3D::GetVertices() const { return nullptr; }
bool Poly3D::AddChild(Node3D*) { return false; }

bool Poly3D::IsWireframe() const { return false; }
bool Poly3D::IsVisible() const { return true; }
int32_t& Poly3D::GetVertexCount() {
  mNoCount = 0;
  return mNoCount;
}
int32_t& Poly3D::GetIndexCount() {
  mNoCount = 0;
  return mNoCount;
}
const int32_t* Poly3D::GetIndices() const { return nullptr; }
const float* Poly3D::GetNormals() const { return nullptr; }
bool Poly3D::IgnoresDepth() const { return false; }
bool Poly3D::HasVertexColours() const { return false; }
const unsigned char* Poly3D::GetVertexColours() const { return nullptr; }
uint32_t Poly3D::GetColour() const { return (uint32_t(mOpacity) << 24) | 0xFFFFFFu; }
int Poly3D::GetLineWidth() const { return 0; }
bool Poly3D::HasTexture() const { return false; }
bool Poly3D::HasTexCoords() const { return false; }
const int16_t* Poly3D::GetTexCoords() const { return nullptr; }
uint32_t Poly3D::GetTexture() const { return 0; }
int Poly3D::GetTextureType() const { return GL_TEXTURE_2D; }
float Poly3D::GetTexCoordScale() const { return mTexCoordScale; }
bool Poly3D::UsesAlphaTest() const { return false; }
float Poly3D::GetPointSize(float) const { return 10.0f; }
bool Poly3D::IsTransparant() const { return mOpacity < 255; }
bool Poly3D::NeedsBlending() const { return !(mBlendSrc == GL_ONE && mBlendDst == GL_ZERO); }
long Poly3D::GetAttribute() const { return mAttribute; }
long Poly3D::GetBlendSrc() const { return mBlendSrc; }
long Poly3D::GetBlendDst() const { return mBlendDst; }

void Poly3D::SetOpacity(long inOpacity) {
  // Kept in 0..255 so that it can be folded into a colour's alpha byte.
  mOpacity = inOpacity < 0 ? 0 : (inOpacity > 255 ? 255 : inOpacity);
}

void Poly3D::SetAttribute(long inAttribute) { mAttribute = inAttribute; }
void Poly3D::SetBlendSrc(long inFactor) { mBlendSrc = inFactor; }
void Poly3D::SetBlendDst(long inFactor) { mBlendDst = inFactor; }
